// Indicators against hand-worked values, and the chart JSON and page-state readers on good and
// broken input.
#include "charts/chartindicators.h"
#include "charts/seriesreader.h"

#include <QJsonDocument>
#include <QTest>

#include <cmath>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

constexpr double N = std::numeric_limits<double>::quiet_NaN();

bool sameValues(const QList<double>& a, const QList<double>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (std::isnan(a[i]) != std::isnan(b[i]))
            return false;
        if (!std::isnan(a[i]) && std::abs(a[i] - b[i]) > 1e-9)
            return false;
    }
    return true;
}

QString show(const QList<double>& v)
{
    QStringList parts;
    for (double d : v)
        parts << QString::number(d, 'g', 10);
    return parts.join(u", "_s);
}

/// A chart body with the given timestamp and quote arrays (JSON texts).
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
    void indicators_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<double>>("input"); // Williams %R: high, low, close per bar
        QTest::addColumn<int>("period");
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("sma 3") << u"sma"_s << QList<double>{1, 2, 3, 4, 5} << 3
                               << QList<double>{N, N, 2, 3, 4};
        QTest::newRow("sma 1 is the values") << u"sma"_s << QList<double>{7, 8} << 1 << QList<double>{7, 8};
        // A gap poisons the two windows that hold it.
        QTest::newRow("sma over a gap")
            << u"sma"_s << QList<double>{1, 2, N, 4, 5, 6} << 2 << QList<double>{N, 1.5, N, N, 4.5, 5.5};
        QTest::newRow("sma longer than data") << u"sma"_s << QList<double>{1, 2} << 3 << QList<double>{N, N};
        QTest::newRow("sma period 0") << u"sma"_s << QList<double>{1, 2} << 0 << QList<double>{N, N};
        // Changes +1 -1 +2 +1. First: gain (1+0+2)/3 = 1, loss 1/3, RS 3 -> 75. Then gain (1*2+1)/3 = 1,
        // loss (1/3*2+0)/3 = 2/9, RS 4.5 -> 100 - 100/5.5.
        QTest::newRow("rsi 3 Wilder") << u"rsi"_s << QList<double>{10, 11, 10, 12, 13} << 3
                                      << QList<double>{N, N, N, 75, 100 - 100 / 5.5};
        // Then a fall of 3: gain 2/3, loss (2/9*2+3)/3 = 31/27, RS 18/31.
        QTest::newRow("rsi 3 after a fall")
            << u"rsi"_s << QList<double>{10, 11, 10, 12, 13, 10} << 3
            << QList<double>{N, N, N, 75, 100 - 100 / 5.5, 100 - 100 / (1 + 18.0 / 31)};
        QTest::newRow("rsi only rises")
            << u"rsi"_s << QList<double>{1, 2, 3, 4} << 3 << QList<double>{N, N, N, 100};
        QTest::newRow("rsi flat") << u"rsi"_s << QList<double>{5, 5, 5, 5} << 3 << QList<double>{N, N, N, 50};
        QTest::newRow("rsi only falls")
            << u"rsi"_s << QList<double>{4, 3, 2, 1} << 3 << QList<double>{N, N, N, 0};
        QTest::newRow("rsi restarts after a gap")
            << u"rsi"_s << QList<double>{1, 2, N, 3, 4, 5} << 2 << QList<double>{N, N, N, N, N, 100};
        // (h, l, c): (10,8,9) (12,9,11) (11,7,8) (13,10,13). Bar 2: -100*(12-8)/(12-7) = -80; bar 3: 0.
        QTest::newRow("williams 3") << u"wr"_s << QList<double>{10, 8, 9, 12, 9, 11, 11, 7, 8, 13, 10, 13}
                                    << 3 << QList<double>{N, N, -80, 0};
        QTest::newRow("williams at the low")
            << u"wr"_s << QList<double>{10, 8, 9, 9, 5, 5} << 2 << QList<double>{N, -100};
        QTest::newRow("williams without range")
            << u"wr"_s << QList<double>{5, 5, 5, 5, 5, 5} << 2 << QList<double>{N, -50};
        QTest::newRow("percent") << u"pct"_s << QList<double>{200, 210, 190} << 0 << QList<double>{0, 5, -5};
        QTest::newRow("percent from first finite")
            << u"pct"_s << QList<double>{N, 50, 75} << 0 << QList<double>{N, 0, 50};
        QTest::newRow("percent of zero") << u"pct"_s << QList<double>{0, 1} << 0 << QList<double>{N, N};
    }
    void indicators()
    {
        QFETCH(QString, kind);
        QFETCH(QList<double>, input);
        QFETCH(int, period);
        QFETCH(QList<double>, expected);
        QList<double> got;
        if (kind == u"sma"_s) {
            got = simpleMovingAverage(input, period);
        } else if (kind == u"rsi"_s) {
            got = relativeStrengthIndex(input, period);
        } else if (kind == u"wr"_s) {
            QList<PriceBar> bars;
            for (qsizetype i = 0; i + 2 < input.size(); i += 3)
                bars.append(PriceBar{i, input[i + 2], input[i], input[i + 1], input[i + 2], 0});
            got = williamsPercentR(bars, period);
        } else {
            got = percentOfFirst(input);
        }
        QVERIFY2(sameValues(got, expected), qPrintable(show(got) + u" / expected "_s + show(expected)));
    }

    void requestPath_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<ChartRange>("range");
        QTest::addColumn<ChartInterval>("interval");
        QTest::addColumn<QString>("path");
        QTest::newRow("stock day") << u"7203.T"_s << ChartRange::OneDay << ChartInterval::FiveMinutes
                                   << u"/v8/finance/chart/7203.T?range=1d&interval=5m"_s;
        QTest::newRow("index caret") << u"^N225"_s << ChartRange::SixMonths << ChartInterval::OneDay
                                     << u"/v8/finance/chart/%5EN225?range=6mo&interval=1d"_s;
        QTest::newRow("rate equals") << u"JPY=X"_s << ChartRange::OneYear << ChartInterval::OneDay
                                     << u"/v8/finance/chart/JPY%3DX?range=1y&interval=1d"_s;
        QTest::newRow("slash and query stay in the segment")
            << u"a/b?c&d"_s << ChartRange::OneDay << ChartInterval::OneDay
            << u"/v8/finance/chart/a%2Fb%3Fc%26d?range=1d&interval=1d"_s;
    }
    void requestPath()
    {
        QFETCH(QString, symbol);
        QFETCH(ChartRange, range);
        QFETCH(ChartInterval, interval);
        QFETCH(QString, path);
        QCOMPARE(chartRequestPath(symbol, range, interval), path);
    }

    // "closes" lists the closes read, in order; an empty list with ok false: no series at all.
    void chartJson_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<double>>("closes");
        const char* q3 =
            R"({"open":[1,2,3],"high":[1,2,3],"low":[1,2,3],"close":[1.5,2.5,3.5],"volume":[10,20,30]})";
        QTest::newRow("three bars") << body("[100,200,300]", q3) << true << QList<double>{1.5, 2.5, 3.5};
        QTest::newRow("null close skips the bar")
            << body("[100,200,300]", R"({"close":[1,null,3],"open":[1,null,3]})") << true
            << QList<double>{1, 3};
        QTest::newRow("text close skips the bar")
            << body("[100,200]", R"({"close":["1",2]})") << true << QList<double>{2};
        QTest::newRow("bad time skips the bar")
            << body(R"([100,"x",-5,1.5,300])", R"({"close":[1,2,3,4,5]})") << true << QList<double>{1, 5};
        QTest::newRow("out of order and repeated times")
            << body("[300,100,300,200]", R"({"close":[1,2,3,4]})") << true << QList<double>{2, 4, 3};
        QTest::newRow("close shorter than timestamp")
            << body("[100,200,300]", R"({"close":[1,2]})") << false << QList<double>{};
        QTest::newRow("volume longer than timestamp")
            << body("[100]", R"({"close":[1],"volume":[1,2]})") << false << QList<double>{};
        QTest::newRow("close missing") << body("[100]", R"({"open":[1]})") << false << QList<double>{};
        QTest::newRow("close not an array") << body("[100]", R"({"close":1})") << false << QList<double>{};
        QTest::newRow("timestamp not an array") << body("7", R"({"close":[1]})") << false << QList<double>{};
        QTest::newRow("no trades in range")
            << QByteArray(
                   R"({"chart":{"result":[{"meta":{"symbol":"X"},"indicators":{"quote":[{}]}}],"error":null}})")
            << true << QList<double>{};
        QTest::newRow("unknown symbol")
            << QByteArray(
                   R"({"chart":{"result":null,"error":{"code":"Not Found","description":"No data found"}}})")
            << false << QList<double>{};
        QTest::newRow("empty result") << QByteArray(R"({"chart":{"result":[]}})") << false << QList<double>{};
        QTest::newRow("not json") << QByteArray("<html>busy</html>") << false << QList<double>{};
        QTest::newRow("cut short") << body("[100,200,300]", q3).left(80) << false << QList<double>{};
        QTest::newRow("array at top") << QByteArray("[1,2]") << false << QList<double>{};
        QTest::newRow("empty body") << QByteArray() << false << QList<double>{};
    }
    void chartJson()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, ok);
        QFETCH(QList<double>, closes);
        const auto s = readChartJson(json, 1 << 20);
        QCOMPARE(s.has_value(), ok);
        if (s)
            QCOMPARE(closesOf(s->bars), closes);
    }

    void chartJsonFields()
    {
        const QByteArray b = body(
            R"([1758153600,1758154200])",
            R"({"open":[10,null],"high":[9,12],"low":[11,null],"close":[10.5,11],"volume":[null,300]})",
            R"({"symbol":"^N225","currency":"JPY","gmtoffset":32400,"chartPreviousClose":44790.38,"regularMarketPrice":45303.43})");
        const auto s = readChartJson(b, b.size());
        QVERIFY(s);
        QCOMPARE(s->symbol, u"^N225"_s);
        QCOMPARE(s->currency, u"JPY"_s);
        QCOMPARE(s->gmtOffset, 32400);
        QCOMPARE(s->previousClose, 44790.38);
        QCOMPARE(s->lastPrice, 45303.43);
        QCOMPARE(s->bars.size(), 2);
        // A high below the open and a low above it are widened to hold open and close.
        const PriceBar& a = s->bars[0];
        QCOMPARE(a.time, 1758153600);
        QCOMPARE(a.high, 10.5);
        QCOMPARE(a.low, 10.0);
        QCOMPARE(a.volume, 0.0);
        // Missing open and low fall back to the close.
        const PriceBar& b2 = s->bars[1];
        QCOMPARE(b2.open, 11.0);
        QCOMPARE(b2.low, 11.0);
        QCOMPARE(b2.high, 12.0);
        QCOMPARE(b2.volume, 300.0);
        // One byte over the cap and the body is not read at all.
        QVERIFY(!readChartJson(b, b.size() - 1));
        QCOMPARE(chartJsonErrorCode(R"({"chart":{"result":null,"error":{"code":"Not Found"}}})"),
                 u"Not Found"_s);
        QCOMPARE(chartJsonErrorCode(b), QString());
        // No previous close known and an offset that is no time zone.
        const auto bare = readChartJson(body("[]", R"({"close":[]})", R"({"gmtoffset":1e12})"));
        QVERIFY(bare && std::isnan(bare->previousClose) && bare->gmtOffset == 0 && bare->bars.isEmpty());
    }

    void writerRoundTrip()
    {
        PriceSeries s;
        s.symbol = u"JPY=X"_s;
        s.name = u"米ドル/円"_s;
        s.currency = u"JPY"_s;
        s.gmtOffset = 3600;
        s.lastPrice = 147.25;
        s.bars = {{1000, 147.1, 147.9, 146.8, 147.5, 0}, {2000, 147.5, 148.0, 147.0, 147.75, 12345}};
        const auto back = readChartJson(chartJsonFromSeries(s));
        QVERIFY(back);
        QCOMPARE(back->symbol, s.symbol);
        QCOMPARE(back->name, s.name);
        QCOMPARE(back->currency, s.currency);
        QCOMPARE(back->gmtOffset, s.gmtOffset);
        QCOMPARE(back->lastPrice, s.lastPrice);
        QVERIFY(std::isnan(back->previousClose));
        QCOMPARE(back->bars.size(), 2);
        for (qsizetype i = 0; i < 2; ++i) {
            const PriceBar &a = s.bars[i], &b = back->bars[i];
            QCOMPARE(b.time, a.time);
            QCOMPARE(b.open, a.open);
            QCOMPARE(b.high, a.high);
            QCOMPARE(b.low, a.low);
            QCOMPARE(b.close, a.close);
            QCOMPARE(b.volume, a.volume);
        }
        // A bar without a close is written as null and read back as no bar.
        s.bars[0].close = N;
        const auto cut = readChartJson(chartJsonFromSeries(s));
        QVERIFY(cut);
        QCOMPARE(closesOf(cut->bars), QList<double>{147.75});
    }

    void histories()
    {
        const QByteArray state = R"({"mainItemDetailChartSetting":{"timeSeriesData":{"histories":[
            {"baseDatetime":"2025-09-19T00:00:00+09:00","openPrice":"2,650","highPrice":"2,700.5","lowPrice":2600,"closePrice":"2,690","volume":"12,345,600"},
            {"baseDatetime":"2025-09-18T00:00:00+09:00","openPrice":2600,"highPrice":2660,"lowPrice":2590,"closePrice":2648.5,"volume":1000},
            {"baseDatetime":"2025-09-22T00:00:00+09:00","openPrice":1,"closePrice":"---"},
            {"baseDatetime":"not a date","closePrice":1},
            {"openPrice":1,"closePrice":1},
            7,
            {"baseDatetime":"2025-09-24T00:00:00+09:00","closePrice":2700}
        ]}}})";
        const QList<PriceBar> bars = readHistories(QJsonDocument::fromJson(state).object());
        QCOMPARE(bars.size(), 3);
        QCOMPARE(bars[0].time, 1758121200); // 2025-09-18 00:00 in Tokyo
        QCOMPARE(bars[0].close, 2648.5);
        QCOMPARE(bars[1].open, 2650.0);
        QCOMPARE(bars[1].high, 2700.5);
        QCOMPARE(bars[1].close, 2690.0);
        QCOMPARE(bars[1].volume, 12345600.0);
        QCOMPARE(bars[2].open, 2700.0);
        QCOMPARE(bars[2].volume, 0.0);
        QVERIFY(readHistories(QJsonDocument::fromJson(
                                  R"({"mainItemDetailChartSetting":{"timeSeriesData":{"histories":{}}}})")
                                  .object())
                    .isEmpty());
        QVERIFY(readHistories(QJsonObject{}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSeriesReader)
#include "tst_seriesreader.moc"
