// Chart images must come at the sizes their services answer with (or the query asks for), and
// hold a drawn chart: frame, candles or a line in the chart colours, text in the title row.

#include "charts.h"

#include <QGuiApplication>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;

namespace {

int distinctColours(const QImage& img)
{
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            colours.insert(img.pixel(x, y));
    return int(colours.size());
}

/// Pixels close to a colour (candles and lines are drawn antialiased).
int pixelsNear(const QImage& img, QColor c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            n += std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) +
                     std::abs(p.blue() - c.blue()) <
                 40;
        }
    return n;
}

/// Dark pixels in the title row: the title text was drawn.
int inkInTitleRow(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < 16 && y < img.height(); ++y)
        for (int x = 0; x < img.width() / 2; ++x)
            n += qGray(img.pixel(x, y)) < 100;
    return n;
}

} // namespace

class TestMarketCharts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void chartImages_data();
    void chartImages();
    void sizeFromQuery_data();
    void sizeFromQuery();
    void noDataChart();
    void pngRoundTrip();

private:
    std::unique_ptr<Market> m_market;
};

void TestMarketCharts::initTestCase()
{
    m_market =
        std::make_unique<Market>(QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}}, 4, QDate(2020, 7, 17));
    for (int i = 0; i < 120; ++i) {
        m_market->nextQuote(u"7203"_s);
        m_market->nextNikkei();
    }
}

using Draw = std::function<QImage()>;
Q_DECLARE_METATYPE(Draw)

void TestMarketCharts::chartImages_data()
{
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("candles");
    Market* m = m_market.get();
    QTest::newRow("1 year") << Draw([m] { return drawYearChart(*m->stockSeries(u"7203.T"_s)); })
                            << QSize(512, 400) << true;
    QTest::newRow("6 months") << Draw([m] { return drawHalfYearChart(*m->stockSeries(u"7203.T"_s)); })
                              << QSize(512, 390) << true;
    QTest::newRow("nikkei 6 months") << Draw([m] { return drawNikkeiHalfYearChart(m->nikkeiSeries()); })
                                     << QSize(537, 377) << true;
    QTest::newRow("large thumbnail") << Draw([m] {
        return drawIntradayChart(*m->stockSeries(u"7203.T"_s), kLargeThumbnailSize);
    }) << QSize(288, 180) << false;
    QTest::newRow("small thumbnail") << Draw([m] {
        return drawIntradayChart(*m->stockSeries(u"7203.T"_s), kSmallThumbnailSize);
    }) << QSize(200, 126) << false;
    QTest::newRow("nikkei intraday") << Draw([m] {
        return drawIntradayChart(m->nikkeiSeries(), kNikkeiIntradaySize);
    }) << QSize(256, 200) << false;
    QTest::newRow("comparison") << Draw([m] {
        return drawComparisonChart(m->dowSeries(), m->nikkeiSeries());
    }) << QSize(256, 200) << false;
    QTest::newRow("advance decline") << Draw([m] {
        return drawAdvanceDeclineChart(m->nikkeiSeries(), m->advanceDeclineRatio());
    }) << QSize(600, 400) << false;
    QTest::newRow("dow asked size") << Draw([m] { return drawDowChart(m->dowSeries(), QSize(755, 400)); })
                                    << QSize(755, 400) << true;
    QTest::newRow("dow other size") << Draw([m] { return drawDowChart(m->dowSeries(), QSize(400, 300)); })
                                    << QSize(400, 300) << true;
    QTest::newRow("dollar yen") << Draw([m] { return drawUsdJpyChart(m->nextUsdJpy(100), QSize(360, 360)); })
                                << QSize(360, 360) << true;
    QTest::newRow("dollar yen small")
        << Draw([m] { return drawUsdJpyChart(m->nextUsdJpy(30), QSize(120, 90)); }) << QSize(120, 90) << true;
}

void TestMarketCharts::chartImages()
{
    QFETCH(Draw, draw);
    QFETCH(QSize, size);
    QFETCH(bool, candles);
    const QImage img = draw();
    QCOMPARE(img.size(), size);
    QVERIFY2(distinctColours(img) > 8, "a chart, not a blank picture");
    QVERIFY2(inkInTitleRow(img) > 20, "the title is written");
    const int red = pixelsNear(img, QColor(0xd9, 0x34, 0x3a));
    const int blue = pixelsNear(img, QColor(0x2a, 0x62, 0xc9));
    if (candles)
        QVERIFY2(red > 20 && blue > 20,
                 qPrintable(u"rising and falling candles: %1 %2"_s.arg(red).arg(blue)));
    else
        QVERIFY2(red + blue > 20 || pixelsNear(img, QColor(0x80, 0x3c, 0xa8)) > 20, "a price line");
}

void TestMarketCharts::sizeFromQuery_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("asked") << u"755"_s << u"400"_s << QSize(755, 400);
    QTest::newRow("missing") << QString() << QString() << QSize(360, 360);
    QTest::newRow("not a number") << u"abc"_s << u"12x"_s << QSize(360, 360);
    QTest::newRow("too big") << u"99999"_s << u"2001"_s << QSize(2000, 2000);
    QTest::newRow("too small") << u"-5"_s << u"0"_s << QSize(32, 32);
}

void TestMarketCharts::sizeFromQuery()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QSize, expected);
    QCOMPARE(tickora::market::sizeFromQuery(width, height, QSize(360, 360)), expected);
}

void TestMarketCharts::noDataChart()
{
    const QImage img = drawNoDataChart(u"4444.T"_s, kLargeThumbnailSize);
    QCOMPARE(img.size(), kLargeThumbnailSize);
    QVERIFY(distinctColours(img) > 2);
}

void TestMarketCharts::pngRoundTrip()
{
    const QByteArray png = encodePng(drawIntradayChart(m_market->nikkeiSeries(), kNikkeiIntradaySize));
    QVERIFY(png.startsWith("\x89PNG"));
    QCOMPARE(QImage::fromData(png).size(), kNikkeiIntradaySize);
}

QTEST_MAIN(TestMarketCharts)
#include "tst_marketcharts.moc"
