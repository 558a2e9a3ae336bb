#pragma once

#include <QImage>
#include <QLabel>

namespace tickora {

/// The part of `image` that `room` (in units, as widgets are sized) can show from the top-left
/// corner, at the image's own device pixel ratio; the image itself (no copy) when it fits.
QImage cutToRoom(const QImage& image, QSize room);

/// A picture area: shows its picture unscaled from the top-left corner, clipped to the area; only
/// the part the area can show is kept. An empty (null) picture clears it. Emits clicked() on a
/// left click.
class PictureBox : public QLabel
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setPicture(const QImage& image);
    void clearPicture() { setPicture(QImage()); }
    QImage picture() const { return m_image; }
    bool hasPicture() const { return !m_image.isNull(); }
    /// A single-line flat border, as the thumbnails have.
    void setFlatBorder(bool on);
    /// When on, each non-empty picture resizes the area to the picture plus its border, never
    /// beyond the widget's maximum size; the top-left corner stays where it is. An empty picture
    /// leaves the size as it was.
    void setAutoSize(bool on);
    bool autoSize() const { return m_autoSize; }

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitToPicture();

    QImage m_image;
    bool m_autoSize = false;
};

/// A text label that emits clicked() on a left click.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tickora
