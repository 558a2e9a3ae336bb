// Chart addresses, their files and the code conversion of the chart routines.
#include "charts/chartsources.h"

#include <QTest>

#include <functional>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

Config configWith(const QString& base)
{
    Config c;
    c.dataDir = u"/data/kabu"_s;
    c.chartBase = QUrl(base + u"/chart"_s);
    c.nikkeiChartBase = QUrl(base + u"/nikkei"_s);
    c.marketDataBase = QUrl(base + u"/md"_s);
    c.brokerBase = QUrl(base + u"/broker"_s);
    c.fxBase = QUrl(base + u"/fx"_s);
    return c;
}

using Builder = std::function<ChartDownload(const Config&)>;

} // namespace

Q_DECLARE_METATYPE(Builder)

class TestChartSources : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addresses_data();
    void addresses();
    void stockQueryTails();
    void thumbnailPathBySize_data();
    void thumbnailPathBySize();
    void codeFromText_data();
    void codeFromText();
};

void TestChartSources::addresses_data()
{
    QTest::addColumn<Builder>("build");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("oneChart");

    const QString b = u"http://h:8080"_s;
    QTest::newRow("1-year stock") << Builder([](const Config& c) { return yearChart(c, 7203); })
                                  << b + u"/chart/b?s=7203.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s
                                  << u"chart.jpg"_s << false;
    QTest::newRow("6-month stock") << Builder([](const Config& c) { return sixMonthChart(c, 9984); })
                                   << b + u"/chart/z?s=9984.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=%22"_s
                                   << u"ny.gif"_s << false;
    QTest::newRow("code below 1000") << Builder([](const Config& c) { return yearChart(c, 72); })
                                     << b + u"/chart/b?s=72.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s
                                     << u"chart.jpg"_s << false;
    QTest::newRow("thumbnail") << Builder([](const Config& c) { return thumbnailChart(c, 6758, 1080); })
                               << b + u"/chart/f?s=6758.T"_s << u"yahoo.jpg"_s << false;
    QTest::newRow("Nikkei 6 months") << Builder([](const Config& c) { return nikkeiSixMonthChart(c); })
                                     << b + u"/chart/z?s=998407.O&t=6m&q=c&l=off&z=m&p=m65,m130&a=r,w&c="_s
                                     << u"Mchart.jpg"_s << true;
    QTest::newRow("index chart") << Builder([](const Config& c) { return nikkeiIndexChart(c); })
                                 << b + u"/nikkei/gifdata/nk_chart_L.gif"_s << u"rel.jpg"_s << true;
    QTest::newRow("NY Nikkei") << Builder([](const Config& c) { return nyNikkeiChart(c); })
                               << b + u"/nikkei/chart/nka_l.gif"_s << u"nkh.gif"_s << true;
    QTest::newRow("advance/decline") << Builder([](const Config& c) { return advanceDeclineChart(c); })
                                     << b + u"/md/Pics/Stock/Day/K001881.GIF"_s << u"trk.gif"_s << true;
    QTest::newRow("Dow") << Builder([](const Config& c) {
        return dowChart(c);
    }) << b + u"/broker/rakutensecj/common/analytic.jsp?ric=.DJI&per=1&width=755&height=400&tp=0&sma=1&vol=1"_s
                         << u"ny.gif"_s << false;
    QTest::newRow("dollar-yen") << Builder([](const Config& c) {
        return dollarYenChart(c);
    }) << b + u"/fx/asp4gif/japan_gif.asp?code=JPY&exch=CU&type=2&interval=3&upper=0&lower=0&x=360&y=360&barno=100"_s
                                << u"japan.gif"_s << true;
}

void TestChartSources::addresses()
{
    QFETCH(Builder, build);
    QFETCH(QString, url);
    QFETCH(QString, file);
    QFETCH(bool, oneChart);
    const ChartDownload d = build(configWith(u"http://h:8080"_s));
    QCOMPARE(d.url.toString(QUrl::FullyEncoded), url);
    QCOMPARE(d.file, u"/data/kabu/"_s + file);
    QCOMPARE(d.fileHoldsOneChart, oneChart);
}

void TestChartSources::stockQueryTails()
{
    const Config c = configWith(u"http://h"_s);
    // The 6-month query carries exactly one double quote after "c="; the 1-year one ends at "c=".
    const QString six = sixMonthChart(c, 7203).url.query(QUrl::FullyDecoded);
    QVERIFY2(six.endsWith(u"&c=\""_s), qPrintable(six));
    QCOMPARE(six.count(u'"'), 1);
    const QString year = yearChart(c, 7203).url.query(QUrl::FullyDecoded);
    QVERIFY2(year.endsWith(u"&c="_s), qPrintable(year));
    QVERIFY(!year.contains(u'"'));
}

void TestChartSources::thumbnailPathBySize_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("path");
    QTest::newRow("600") << 600 << u"/t"_s;
    QTest::newRow("800 is small") << 800 << u"/t"_s;
    QTest::newRow("801 is large") << 801 << u"/f"_s;
    QTest::newRow("1080") << 1080 << u"/f"_s;
}

void TestChartSources::thumbnailPathBySize()
{
    QFETCH(int, height);
    QFETCH(QString, path);
    const QUrl url = thumbnailChart(configWith(u"http://h"_s), 7203, height).url;
    QCOMPARE(url.path(), u"/chart"_s + path);
    QCOMPARE(url.query(), u"s=7203.T"_s);
}

void TestChartSources::codeFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code"); // -1: no chart

    QTest::newRow("four digits") << u"7203"_s << 7203;
    QTest::newRow("leading zeros dropped") << u"0072"_s << 72;
    QTest::newRow("zero") << u"0"_s << 0;
    QTest::newRow("upper bound") << u"32767"_s << 32767;
    QTest::newRow("above 16 bits") << u"32768"_s << -1;
    QTest::newRow("far above") << u"99999999999999999999"_s << -1;
    QTest::newRow("blanks around") << u" 7203 "_s << 7203;
    QTest::newRow("point zero") << u"7203.0"_s << 7203;
    QTest::newRow("trailing point") << u"7203."_s << 7203;
    QTest::newRow("fraction") << u"7203.5"_s << -1;
    QTest::newRow("small fraction") << u"7203.01"_s << -1;
    QTest::newRow("negative") << u"-1"_s << -1;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("blanks only") << u"   "_s << -1;
    QTest::newRow("point only") << u"."_s << -1;
    QTest::newRow("letters inside") << u"72a3"_s << -1;
    QTest::newRow("exponent") << u"7e3"_s << -1;
    QTest::newRow("two points") << u"72.0.0"_s << -1;
    QTest::newRow("inner blank") << u"72 03"_s << -1;
    QTest::newRow("full-width digits") << u"７２０３"_s << -1;
    QTest::newRow("hex") << u"0x1F"_s << -1;
}

void TestChartSources::codeFromText()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    const std::optional<qint16> got = chartCodeFromText(text);
    if (code < 0) {
        QVERIFY2(!got, qPrintable(u"got %1"_s.arg(got.value_or(0))));
    } else {
        QVERIFY(got);
        QCOMPARE(int(*got), code);
    }
}

QTEST_APPLESS_MAIN(TestChartSources)
#include "tst_chartsources.moc"
