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
    box->setObjectName(u"chartPicture"_s);
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

StockYearChartWindow::StockYearChartWindow(qreal dpi, QWidget* owner)
    : ChartWindow(u"stockYearChart"_s, u"REAL CHART"_s, 8175, 5280, White, dpi, owner)
{
    m_chartPicture = addPicture(120, 0, 7455, 4335);
    m_chartNote = new QLabel(this);
    m_chartNote->setObjectName(u"chartNote"_s);
    m_chartNote->setTextFormat(Qt::PlainText); // a short name from a web page, never markup
    m_chartNote->setGeometry(twips(360, 4560, 7575, 495));
    setBackground(m_chartNote, White);
}

void StockYearChartWindow::showChart(const QImage& picture)
{
    m_chartPicture->setPicture(picture);
}

void StockYearChartWindow::setNote(const QString& text)
{
    m_chartNote->setText(text);
}

StockHalfYearChartWindow::StockHalfYearChartWindow(qreal dpi, QWidget* owner)
    : ChartWindow(u"stockHalfYearChart"_s, QString(), 7905, 5895, White, dpi, owner)
{
}

void StockHalfYearChartWindow::setPicture(const QImage& image)
{
    // The picture is drawn from the top-left corner: nothing beyond the screen can ever show.
    const QSize room = screen() ? screen()->size() : size();
    m_picture = cutToRoom(image, room);
    update();
}

void StockHalfYearChartWindow::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture);
}

namespace {

/// How each market chart window looks: its object name, caption, client size and background
/// (negative: the window system's colour) in twips, its picture area, and whether it stands at
/// the fixed place.
struct MarketChartLook
{
    const char16_t* name;
    const char16_t* caption;
    int width;
    int height;
    qint64 background;
    QRect picture;
    bool fixedPlace;
};

const MarketChartLook& lookOf(MarketWindow chart)
{
    static const MarketChartLook looks[] = {
        // the old program's Form5
        {u"nikkeiHalfYearChart", u"日経平均 ６ヶ月チャート +ＲＳＩ\u3000+Ｗ％Ｒ", 8295, 5895, White,
         QRect(120, 120, 8055, 5655), true},
        // the old program's Form7; its opener sets the caption
        {u"advanceDeclineChart", u"", 9270, 6285, -1, QRect(120, 120, 9015, 6015), false},
        // the old program's Form9
        {u"dowChart", u"ＮＹダウ\u30003ヶ月", 11745, 6465, White, QRect(120, 120, 11415, 6135), false},
        // the old program's Form12
        {u"dollarYenChart", u"アメリカ/日本\u3000為替（1分)", 5640, 5655, Grey, QRect(120, 120, 5415, 5415),
         true},
    };
    return looks[int(chart)];
}

} // namespace

MarketChartWindow::MarketChartWindow(MarketWindow chart, qreal dpi, QWidget* owner)
    : ChartWindow(QString::fromUtf16(lookOf(chart).name), QString::fromUtf16(lookOf(chart).caption),
                  lookOf(chart).width, lookOf(chart).height, lookOf(chart).background, dpi, owner),
      m_chart(chart)
{
    const QRect area = lookOf(chart).picture;
    m_chartPicture = addPicture(area.x(), area.y(), area.width(), area.height());
}

bool MarketChartWindow::standsAtFixedPlace() const
{
    return lookOf(m_chart).fixedPlace;
}

void MarketChartWindow::showChart(const QImage& picture)
{
    m_chartPicture->setPicture(picture);
}

} // namespace tickora
