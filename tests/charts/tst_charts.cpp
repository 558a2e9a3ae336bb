// Chart addresses and codes; chart windows keep only the part of a picture that shows.
#include "charts/chartsources.h"
#include "charts/chartwindows.h"
#include "charts/picturebox.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(tickora::MarketWindow)

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

// Red with a yellow lower-right quarter, so scaling or shifting shows in the corner pixels.
QImage quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter(&image).fillRect(QRect(QPoint(size.width() / 2, size.height() / 2), size), Qt::yellow);
    return image;
}

/// Counts the paint events of the object it watches.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestCharts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A click is the left button coming up inside: not another button, not a release outside.
    void clicksAreLeftReleasesInside()
    {
        PictureBox box;
        ClickLabel label;
        for (QWidget* w : {static_cast<QWidget*>(&box), static_cast<QWidget*>(&label)}) {
            w->resize(60, 40);
            QSignalSpy clicks(w, SIGNAL(clicked()));
            QTest::mouseClick(w, Qt::RightButton, {}, QPoint(30, 20));
            QCOMPARE(clicks.size(), 0);
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(30, 20));
            QTest::mousePress(w, Qt::LeftButton, {}, QPoint(30, 20));
            QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(90, 20));
            QCOMPARE(clicks.size(), 1);
        }
    }

    // A picture larger than its room is cut to the room from its top-left corner.
    void cutFromTopLeft()
    {
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setPixel(0, 0, qRgb(255, 0, 0));
        const QImage cut = cutToRoom(image, QSize(2, 5));
        QCOMPARE(cut.size(), QSize(2, 2));
        QCOMPARE(cut.pixel(0, 0), qRgb(255, 0, 0));
    }

    // A picture of more pixels per unit is cut and sized in units: a box shows it at its size in
    // units, with every pixel it has.
    void densePictures_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("units");   // the picture's size in units
        QTest::addColumn<QSize>("maximum"); // the box's largest size, border included
        QTest::addColumn<QSize>("shown");   // the part kept, in units
        QTest::newRow("1, fits") << 1.0 << QSize(100, 60) << QSize(200, 200) << QSize(100, 60);
        QTest::newRow("2, fits") << 2.0 << QSize(100, 60) << QSize(200, 200) << QSize(100, 60);
        QTest::newRow("2, exactly") << 2.0 << QSize(100, 60) << QSize(102, 62) << QSize(100, 60);
        QTest::newRow("2, too wide") << 2.0 << QSize(100, 60) << QSize(52, 200) << QSize(50, 60);
        QTest::newRow("3, too high") << 3.0 << QSize(100, 60) << QSize(200, 32) << QSize(100, 30);
    }
    void densePictures()
    {
        QFETCH(double, ratio);
        QFETCH(QSize, units);
        QFETCH(QSize, maximum);
        QFETCH(QSize, shown);
        QImage image = quadrants((QSizeF(units) * ratio).toSize());
        image.setDevicePixelRatio(ratio);
        PictureBox box;
        box.setFlatBorder(true);
        box.setMaximumSize(maximum);
        box.setAutoSize(true);
        box.setPicture(image);
        QCOMPARE(box.size(), shown + QSize(2, 2));
        QCOMPARE(box.picture().devicePixelRatio(), ratio);
        QCOMPARE(box.picture().size(), (QSizeF(shown) * ratio).toSize());
        QCOMPARE(box.picture().pixel(0, 0), qRgb(255, 0, 0));
    }

    // The 6-month address ends in a double quote; the thumbnail is large above 800 pixels.
    // Each market chart window keeps its name, caption, size, colour, picture area and place.
    void marketChartWindows_data()
    {
        QTest::addColumn<MarketWindow>("chart");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("size"); ///< at 96 DPI
        QTest::addColumn<QString>("background");
        QTest::addColumn<QRect>("picture");
        QTest::addColumn<bool>("fixedPlace");
        QTest::newRow("Nikkei 6 months") << MarketWindow::NikkeiHalfYear << u"nikkeiHalfYearChart"_s
                                         << u"日経平均 ６ヶ月チャート +ＲＳＩ\u3000+Ｗ％Ｒ"_s
                                         << QSize(553, 393) << u"#ffffff"_s << QRect(8, 8, 537, 377) << true;
        QTest::newRow("advance/decline ratio")
            << MarketWindow::AdvanceDecline << u"advanceDeclineChart"_s << QString() << QSize(618, 419)
            << u"system"_s << QRect(8, 8, 601, 401) << false;
        QTest::newRow("New York Dow") << MarketWindow::Dow << u"dowChart"_s << u"ＮＹダウ\u30003ヶ月"_s
                                      << QSize(783, 431) << u"#ffffff"_s << QRect(8, 8, 761, 409) << false;
        QTest::newRow("dollar-yen") << MarketWindow::DollarYen << u"dollarYenChart"_s
                                    << u"アメリカ/日本\u3000為替（1分)"_s << QSize(376, 377) << u"#808080"_s
                                    << QRect(8, 8, 361, 361) << true;
    }
    void marketChartWindows()
    {
        QFETCH(MarketWindow, chart);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QSize, size);
        QFETCH(QString, background);
        QFETCH(QRect, picture);
        QFETCH(bool, fixedPlace);
        MarketChartWindow w(chart, 96.0);
        QCOMPARE(w.objectName(), name);
        QCOMPARE(w.windowTitle(), caption);
        QCOMPARE(w.size(), size);
        QCOMPARE(w.autoFillBackground() ? w.palette().color(QPalette::Window).name() : u"system"_s,
                 background);
        const auto* area = w.findChild<PictureBox*>(u"chartPicture"_s);
        QVERIFY(area);
        QCOMPARE(area->geometry(), picture);
        QCOMPARE(w.standsAtFixedPlace(), fixedPlace);
        QCOMPARE(w.chart(), chart);
    }

    // The code of a cell in canonical form, or none ("-").
    void chartCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::newRow("leading zeros") << u"0072"_s << u"72"_s;
        QTest::newRow("small letter") << u"285a"_s << u"285A"_s;
        QTest::newRow("decimal point") << u"72.0"_s << u"-"_s;
    }
    void chartCodes()
    {
        QFETCH(QString, text);
        QFETCH(QString, code);
        QCOMPARE(chartCodeFromText(text).value_or(u"-"_s), code);
    }

    void addressesAndWindows()
    {
        Config c{u"/data/kabu"_s};
        c.chartBase = QUrl(u"http://h:8080/chart"_s);
        const std::tuple<ChartDownload, QString, QString> cases[] = {
            {sixMonthChart(c, u"9984"_s), u"/z?s=9984.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=%22"_s,
             u"ny.gif"_s},
            {yearChart(c, u"285A"_s), u"/b?s=285A.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s,
             u"chart.jpg"_s},
            {thumbnailChart(c, u"7203"_s, 800), u"/t?s=7203.T"_s, u"yahoo.jpg"_s},
            {thumbnailChart(c, u"7203"_s, 801), u"/f?s=7203.T"_s, u"yahoo.jpg"_s},
        };
        for (const auto& [d, url, file] : cases)
            QCOMPARE(d.url.toString(QUrl::FullyEncoded) + u' ' + d.file + u' ' +
                         QString::number(d.fileHoldsOneChart),
                     u"http://h:8080/chart"_s + url + u" /data/kabu/"_s + file + u" 0"_s);
        // Only a file that receives one address alone may stand for its chart after a failure.
        QString holdsOne;
        for (const ChartDownload& d : {nikkeiSixMonthChart(c), nikkeiIndexChart(c), nyNikkeiChart(c),
                                       advanceDeclineChart(c), dowChart(c), dollarYenChart(c)})
            holdsOne += QString::number(d.fileHoldsOneChart);
        QCOMPARE(holdsOne, u"111101"_s);
        StockHalfYearChartWindow w(96.0);
        QVERIFY(!w.testAttribute(Qt::WA_QuitOnClose)); // left open, it keeps no program running
        w.setPicture(quadrants(QSize(100, 60)));
        const QImage shown = w.grab().toImage(); // from the window's corner
        QCOMPARE(QList<QColor>({shown.pixelColor(0, 0), shown.pixelColor(99, 59)}),
                 QList<QColor>({quadrants(QSize(100, 60)).pixelColor(0, 0), Qt::yellow}));
        // A new picture in a window on the screen is drawn at once.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QApplication::processEvents();
        PaintCounter counter;
        w.installEventFilter(&counter);
        w.setPicture(quadrants(QSize(50, 50)));
        QTRY_VERIFY(counter.paints > 0);
        w.removeEventFilter(&counter);
        // Nothing beyond the screen is kept, on either side.
        for (const QSize size : {QSize(4000, 4000), QSize(100, 4000), QSize(4000, 100)}) {
            w.setPicture(quadrants(size));
            QCOMPARE(w.picture().size(), size.boundedTo(w.screen()->size()));
        }
        // A picture area cuts a larger picture; auto-size follows it plus border, up to a maximum.
        MarketChartWindow area(MarketWindow::DollarYen, 96.0);
        PictureBox* box = area.findChild<PictureBox*>(u"chartPicture"_s);
        const QSize areaSize = box->size();
        box->setPicture(quadrants(QSize(40, 20))); // without auto-size the area keeps its size
        QCOMPARE(box->size(), areaSize);
        // A smaller picture is shown at its own size from the top-left, not stretched to fill.
        const QImage small = box->grab().toImage();
        QCOMPARE(small.pixelColor(box->contentsRect().topLeft() + QPoint(39, 19)), QColor(Qt::yellow));
        QVERIFY(small.pixelColor(box->contentsRect().bottomRight()) != QColor(Qt::yellow));
        box->setPicture(quadrants(QSize(800, 800)));
        QCOMPARE(box->grab().toImage().pixelColor(box->width() - 1, box->height() - 1), QColor(Qt::red));
        QCOMPARE(box->picture().size(), box->size());
        box->setGeometry(10, 20, 280, 180);
        box->setFlatBorder(true);
        box->setAutoSize(true);
        box->setPicture(quadrants(QSize(150, 90)));
        QCOMPARE(box->geometry(), QRect(10, 20, 152, 92));
        box->clearPicture(); // the area keeps its size
        QVERIFY(box->pixmap().isNull() && box->geometry() == QRect(10, 20, 152, 92));
        box->setMaximumSize(252, 152);
        box->setPicture(quadrants(QSize(4000, 3000)));
        QCOMPARE(QList<QSize>({box->size(), box->picture().size()}), QList<QSize>({{252, 152}, {250, 150}}));
        QPointer<MarketChartWindow> closing = new MarketChartWindow(MarketWindow::Dow, 96.0);
        closing->show();
        QVERIFY(closing->close() && closing->isClosing());
        QTRY_VERIFY(closing.isNull());
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
