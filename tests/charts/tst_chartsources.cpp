// Chart addresses (one per kind of rule), their files and the code conversion of the chart
// routines.
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
    QTest::newRow("6-month stock") << Builder([](const Config& c) { return sixMonthChart(c, 9984); })
                                   << b + u"/chart/z?s=9984.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=%22"_s
                                   << u"ny.gif"_s << false;
    QTest::newRow("code below 1000") << Builder([](const Config& c) { return yearChart(c, 72); })
                                     << b + u"/chart/b?s=72.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s
                                     << u"chart.jpg"_s << false;
    QTest::newRow("index chart") << Builder([](const Config& c) { return nikkeiIndexChart(c); })
                                 << b + u"/nikkei/gifdata/nk_chart_L.gif"_s << u"rel.jpg"_s << true;
    QTest::newRow("advance/decline") << Builder([](const Config& c) { return advanceDeclineChart(c); })
                                     << b + u"/md/Pics/Stock/Day/K001881.GIF"_s << u"trk.gif"_s << true;
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

void TestChartSources::thumbnailPathBySize_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("path");
    QTest::newRow("800 is small") << 800 << u"/t"_s;
    QTest::newRow("801 is large") << 801 << u"/f"_s;
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

    QTest::newRow("leading zeros dropped") << u"0072"_s << 72;
    QTest::newRow("upper bound") << u"32767"_s << 32767;
    QTest::newRow("above 16 bits") << u"32768"_s << -1;
    QTest::newRow("blanks around") << u" 7203 "_s << 7203;
    QTest::newRow("point zero") << u"7203.0"_s << 7203;
    QTest::newRow("trailing point") << u"7203."_s << 7203;
    QTest::newRow("small fraction") << u"7203.01"_s << -1;
    QTest::newRow("negative") << u"-1"_s << -1;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("exponent") << u"7e3"_s << -1;
    QTest::newRow("full-width digits") << u"７２０３"_s << -1;
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
