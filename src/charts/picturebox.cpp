#include "picturebox.h"

#include <QMouseEvent>
#include <QPixmap>

namespace tickora {

PictureBox::PictureBox(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScaledContents(false);
}

QImage cutToRoom(const QImage& image, QSize room)
{
    // The room is in units of the screen; a picture of more pixels per unit holds more pixels.
    const qreal ratio = image.devicePixelRatio();
    const QSize pixels = (QSizeF(room) * ratio).toSize();
    if (image.width() <= pixels.width() && image.height() <= pixels.height())
        return image;
    QImage cut = image.copy(QRect(QPoint(0, 0), pixels.boundedTo(image.size())));
    cut.setDevicePixelRatio(ratio);
    return cut;
}

void PictureBox::setPicture(const QImage& image)
{
    // Only what the area can show is kept: a larger picture is cut to it, from the top-left.
    const int border = 2 * frameWidth();
    const QSize room =
        (m_autoSize ? maximumSize() - QSize(border, border) : contentsRect().size()).expandedTo({0, 0});
    m_image = cutToRoom(image, room);
    if (image.isNull()) {
        clear();
    } else {
        setPixmap(QPixmap::fromImage(m_image));
        fitToPicture();
    }
}

void PictureBox::setAutoSize(bool on)
{
    m_autoSize = on;
    fitToPicture();
}

void PictureBox::fitToPicture()
{
    if (m_autoSize && !m_image.isNull()) {
        const int border = 2 * frameWidth();
        resize(m_image.deviceIndependentSize().toSize() + QSize(border, border));
    }
}

void PictureBox::setFlatBorder(bool on)
{
    setFrameStyle(on ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(on ? 1 : 0);
    fitToPicture();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace tickora
