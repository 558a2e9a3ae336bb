#include "chartwindows.h"

#include "picturebox.h"
#include "platform/geometry.h"
#include "widgetstyle.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 White = 0x00FFFFFF;
constexpr quint32 Grey = 0x00808080;

} // namespace

ChartWindow::ChartWindow(const QString& name, const QString& caption, int widthTwips, int heightTwips,
                         qint64 background, qreal dpi, QWidget* owner)
    : QWidget(owner, Qt::Window), m_dpi(dpi)
{
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    if (background >= 0)
        setBackground(this, quint32(background));
    resize(twipsToPixels(widthTwips, dpi), twipsToPixels(heightTwips, dpi));
}

void ChartWindow::moveTwips(int left, int top)
{
    move(twipsToPixels(left, m_dpi), twipsToPixels(top, m_dpi));
}

QRect ChartWindow::twips(int left, int top, int width, int height) const
{
    return twipsRect(left, top, width, height, m_dpi);
}

PictureBox* ChartWindow::addPicture(int left, int top, int width, int height)
{
    auto* box = new PictureBox(this);
    box->setObjectName(u"Image1"_s);
    box->setGeometry(twips(left, top, width, height));
    return box;
}

void ChartWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        m_closing = true;
}

void ChartWindow::keyPressEvent(QKeyEvent* event)
{
    const bool escape = event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier;
    const bool ctrlW = event->key() == Qt::Key_W && event->modifiers() == Qt::ControlModifier;
    if (escape || ctrlW || event->matches(QKeySequence::Close)) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

Form2::Form2(qreal dpi, QWidget* owner)
    : ChartWindow(u"Form2"_s, u"REAL CHART"_s, 8175, 5280, White, dpi, owner)
{
    Image1 = addPicture(120, 0, 7455, 4335);
    Label1 = new QLabel(this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setTextFormat(Qt::PlainText); // a short name from a web page, never markup
    Label1->setGeometry(twips(360, 4560, 7575, 495));
    setBackground(Label1, White);
}

Form3::Form3(qreal dpi, QWidget* owner) : ChartWindow(u"Form3"_s, QString(), 7905, 5895, White, dpi, owner)
{
}

void Form3::setPicture(const QImage& image)
{
    // The picture is drawn from the top-left corner: nothing beyond the screen can ever show.
    const QSize room = screen() ? screen()->size() : size();
    m_picture = cutToRoom(image, room);
    update();
}

void Form3::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture);
}

Form5::Form5(qreal dpi, QWidget* owner)
    : ChartWindow(u"Form5"_s, u"日経平均 ６ヶ月チャート +ＲＳＩ\u3000+Ｗ％Ｒ"_s, 8295, 5895, White, dpi,
                  owner)
{
    Image1 = addPicture(120, 120, 8055, 5655);
}

Form7::Form7(qreal dpi, QWidget* owner) : ChartWindow(u"Form7"_s, QString(), 9270, 6285, -1, dpi, owner)
{
    Image1 = addPicture(120, 120, 9015, 6015);
}

Form9::Form9(qreal dpi, QWidget* owner)
    : ChartWindow(u"Form9"_s, u"ＮＹダウ\u30003ヶ月"_s, 11745, 6465, White, dpi, owner)
{
    Image1 = addPicture(120, 120, 11415, 6135);
}

Form12::Form12(qreal dpi, QWidget* owner)
    : ChartWindow(u"Form12"_s, u"アメリカ/日本\u3000為替（1分)"_s, 5640, 5655, Grey, dpi, owner)
{
    Image1 = addPicture(120, 120, 5415, 5415);
}

} // namespace tickora
