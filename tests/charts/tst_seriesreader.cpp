// Indicators against hand-worked values; the chart JSON and page-state readers on good and broken input.
#include "charts/chartindicators.h"
#include "charts/seriesreader.h"

#include <QJsonDocument>
#include <QTest>

#include <cmath>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

constexpr double N = std::numeric_limits<double>::quiet_NaN();

QString show(const QList<double>& v)
{
    QStringList parts;
    for (double d : v)
        parts << QString::number(d, 'g', 10);
    return parts.join(u", "_s);
}

QString show(const QList<PriceBar>& bars)
{
    QStringList parts;
    for (const PriceBar& b : bars)
        parts << QString::number(b.time) + u' ' + show({b.open, b.high, b.low, b.close, b.volume});
    return parts.join(u" | "_s);
}

QString meta(const PriceSeries& s)
{
    return QStringList{s.symbol, s.name, s.currency, QString::number(s.gmtOffset),
                       show({s.previousClose, s.lastPrice})}
        .join(u'|');
}

QByteArray body(const char* timestamps, const char* quote, const char* meta = R"({"symbol":"7203.T"})")
{
    return QByteArray(R"({"chart":{"result":[{"meta":)") + meta + R"(,"timestamp":)" + timestamps +
           R"(,"indicators":{"quote":[)" + quote + R"(]}}],"error":null}})";
}

} // namespace

class TestSeriesReader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void indicators()
    {
        const auto row = [](const char* name, const QString& kind, const QList<double>& input, int period,
                            const QList<double>& expected) {
            QList<PriceBar> bars; // Williams %R: high, low, close per bar
            for (qsizetype i = 0; i + 2 < input.size(); i += 3)
                bars.append(PriceBar{i, input[i + 2], input[i], input[i + 1], input[i + 2], 0});
            const QList<double> got = kind == u"sma"_s   ? simpleMovingAverage(input, period)
                                      : kind == u"rsi"_s ? relativeStrengthIndex(input, period)
                                      : kind == u"wr"_s  ? williamsPercentR(bars, period)
                                                         : percentOfFirst(input);
            QVERIFY2(show(got) == show(expected),
                     qPrintable(QString::fromLatin1(name) + u": "_s + show(got)));
        };
        const QString sma = u"sma"_s, rsi = u"rsi"_s, wr = u"wr"_s, pct = u"pct"_s;
        row("sma 3", sma, {1, 2, 3, 4, 5}, 3, {N, N, 2, 3, 4});
        row("sma 1", sma, {1, N, 3}, 1, {1, N, 3});
        row("sma over a gap", sma, {1, 2, N, 4, 5, 6}, 2, {N, 1.5, N, N, 4.5, 5.5});
        // Wilder averages: first RS 1 / (1/3) = 3, then (1*2+1)/3 / ((1/3*2)/3) = 4.5, then (2/3) / (31/27).
        row("rsi 3 Wilder", rsi, {10, 11, 10, 12, 13, 10}, 3,
            {N, N, N, 75, 100 - 100 / 5.5, 100 - 100 / (1 + 18.0 / 31)});
        row("rsi flat", rsi, {5, 5, 5, 5}, 3, {N, N, N, 50});
        row("rsi restarts after a gap", rsi, {1, 2, N, 3, 4, 5}, 2, {N, N, N, N, N, 100});
        // (h, l, c): (10,8,9) (12,9,11) (11,7,8) (13,10,13). Bar 2: -100*(12-8)/(12-7) = -80; bar 3: 0.
        row("williams 3", wr, {10, 8, 9, 12, 9, 11, 11, 7, 8, 13, 10, 13}, 3, {N, N, -80, 0});
        row("williams 1", wr, {10, 8, 9}, 1, {-50});
        row("williams without range", wr, {5, 5, 5, 5, 5, 5}, 2, {N, -50});
        row("williams without a low", wr, {10, 8, 9, 11, N, 10}, 2, {N, N});
        row("williams without a high", wr, {10, 8, 9, N, 7, 10}, 1, {-50, N});
        row("percent", pct, {200, 210, 190}, 0, {0, 5, -5});
        row("percent from first finite", pct, {N, 50, 75}, 0, {N, 0, 50});
        row("percent of zero", pct, {0, 1}, 0, {N, N});
    }

    void requestPath_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<ChartRange>("range");
        QTest::addColumn<ChartInterval>("interval");
        QTest::addColumn<QString>("query");
        QTest::newRow("a day in 5-minute bars")
            << u"7203.T"_s << ChartRange::OneDay << ChartInterval::FiveMinutes
            << u"7203.T?range=1d&interval=5m"_s;
        QTest::newRow("half a year, caret escaped")
            << u"^N225"_s << ChartRange::SixMonths << ChartInterval::OneDay
            << u"%5EN225?range=6mo&interval=1d"_s;
        QTest::newRow("a year, reserved characters escaped")
            << u"a/b?c&d=X"_s << ChartRange::OneYear << ChartInterval::OneDay
            << u"a%2Fb%3Fc%26d%3DX?range=1y&interval=1d"_s;
    }
    void requestPath()
    {
        QFETCH(QString, symbol);
        QFETCH(ChartRange, range);
        QFETCH(ChartInterval, interval);
        QFETCH(QString, query);
        QCOMPARE(chartRequestPath(symbol, range, interval), u"/v8/finance/chart/"_s + query);
    }

    // Each body: read or not, and the closes of the bars read.
    void chartJson()
    {
        const auto row = [](const char* name, const QByteArray& json, bool ok,
                            const QList<double>& closes = {}) {
            const auto s = readChartJson(json, 1 << 20);
            QVERIFY2(s.has_value() == ok && (!s || closesOf(s->bars) == closes), name);
        };
        const char* q3 =
            R"({"open":[1,2,3],"high":[1,2,3],"low":[1,2,3],"close":[1.5,2.5,3.5],"volume":[10,20,30]})";
        row("three bars", body("[100,200,300]", q3), true, {1.5, 2.5, 3.5});
        row("null close skips the bar", body("[100,200,300]", R"({"close":[1,null,3],"open":[1,null,3]})"),
            true, {1, 3});
        row("bad time skips the bar",
            body(R"([0,"x",-5,1.5,253402300800,1e300,253402300799])", R"({"close":[1,2,3,4,5,6,7]})"), true,
            {1, 7});
        row("out of order and repeated times", body("[300,100,300,200]", R"({"close":[1,2,3,4]})"), true,
            {2, 4, 3});
        row("close shorter than timestamp", body("[100,200,300]", R"({"close":[1,2]})"), false);
        row("close missing", body("[100]", R"({"open":[1]})"), false);
        row("timestamp not an array", body("7", R"({"close":[1]})"), false);
        row("no trades in range",
            R"({"chart":{"result":[{"meta":{"symbol":"X"},"indicators":{"quote":[{}]}}],"error":null}})",
            true);
        row("unknown symbol",
            R"({"chart":{"result":null,"error":{"code":"Not Found","description":"No data found"}}})", false);
        row("result not an object", R"({"chart":{"result":[7],"error":null}})", false);
        row("not json", "<html>busy</html>", false);
    }

    // Every field read from a chart body, and written back by the writer unchanged.
    void chartJsonFields()
    {
        const QByteArray b = body(
            R"([1758153600,1758154200])",
            R"({"open":[10,null],"high":[9,12],"low":[11,null],"close":[10.5,11],"volume":[-5,300]})",
            R"({"symbol":"^N225","shortName":"日経平均","currency":"JPY","gmtoffset":32400,"chartPreviousClose":44790.38,"regularMarketPrice":45303.43})");
        const auto s = readChartJson(b, b.size());
        QVERIFY(s);
        QCOMPARE(meta(*s), u"^N225|日経平均|JPY|32400|44790.38, 45303.43"_s);
        // Highs and lows widen to hold open and close; a missing open or low is the close; volume at least 0.
        QCOMPARE(show(s->bars), u"1758153600 10, 10.5, 10, 10.5, 0 | 1758154200 11, 12, 11, 11, 300"_s);
        const auto back = readChartJson(chartJsonFromSeries(*s));
        QCOMPARE(back ? meta(*back) + show(back->bars) : QString(), meta(*s) + show(s->bars));
        QVERIFY(!readChartJson(b, b.size() - 1)); // one byte over the cap: not read at all
        QCOMPARE(chartJsonErrorCode(b), QString());
        const auto bare = readChartJson(body("[]", R"({"close":[]})", R"({"gmtoffset":1e12})"));
        QVERIFY(bare && std::isnan(bare->previousClose) && bare->gmtOffset == 0 && bare->bars.isEmpty());
        const auto day =
            readChartJson(body("[]", "7", R"({"gmtoffset":-86400})")); // no quote object, no times
        QVERIFY(day && day->gmtOffset == -86400);
    }

    void histories()
    {
        const QByteArray state = R"({"mainItemDetailChartSetting":{"timeSeriesData":{"histories":[
            {"baseDatetime":"2025-09-19T00:00:00+09:00","openPrice":"2,650","highPrice":"2,700.5","lowPrice":2600,"closePrice":"2,690","volume":"12,345,600"},
            {"baseDatetime":"2025-09-18T00:00:00+09:00","openPrice":2600,"highPrice":2660,"lowPrice":2590,"closePrice":2648.5,"volume":1000},
            {"baseDatetime":"2025-09-22T00:00:00+09:00","openPrice":1,"closePrice":"---"},
            {"baseDatetime":"not a date","closePrice":1},
            {"baseDatetime":"1960-01-04T00:00:00+09:00","closePrice":1},
            7,
            {"baseDatetime":"2025-09-24T00:00:00+09:00","closePrice":2700},
            {"baseDatetime":"2025-09-25T00:00:00+09:00","closePrice":"1,23"}
        ]}}})";
        // In time order from 2025-09-18 00:00 in Tokyo; a missing open, high or low is the close.
        QCOMPARE(show(readHistories(QJsonDocument::fromJson(state).object())),
                 u"1758121200 2600, 2660, 2590, 2648.5, 1000 | 1758207600 2650, 2700.5, 2600, 2690, "
                 "12345600 | 1758639600 2700, 2700, 2700, 2700, 0"_s);
    }
};

QTEST_GUILESS_MAIN(TestSeriesReader)
#include "tst_seriesreader.moc"
