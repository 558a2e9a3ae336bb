// The second source: the series JSON read as a page would show it, and the requests for it.
#include "quotes/seriesquote.h"
#include "quotetext.h"
#include "seriesjson.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

// 2026-09-27 00:49 UTC is 9:49 in Japan.
const QString FullMeta = u"\"regularMarketPrice\":2648.5,\"previousClose\":2618,\"chartPreviousClose\":1,"
                         u"\"regularMarketDayHigh\":2660,\"regularMarketDayLow\":2600.5,"
                         u"\"regularMarketVolume\":27485000,\"regularMarketTime\":1790470140"_s;

/// A series answer of `size` bytes.
QByteArray padded(qsizetype size)
{
    const QByteArray body = seriesJson(u"\"regularMarketPrice\":1,\"x\":\"\""_s);
    return QByteArray(body).insert(body.indexOf("\"}"), QByteArray(size - body.size(), 'x'));
}

} // namespace

class TestSeriesQuote : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void quoteFromSeriesJson_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QDate>("today");    ///< no day: the time whatever the day
        QTest::addColumn<QString>("fields"); ///< as joined() writes them
        QTest::newRow("every field, the open from the first bar that has one")
            << seriesJson(FullMeta, u"[null,\"x\",2620,2630]"_s) << -1 << QDate()
            << u"トヨタ|detail|トヨタ|2,648.5|+30.5|2,620|2,660|2,600.5|27,485,000|2,618|9:49"_s;
        QTest::newRow("chart's previous close when there is no other")
            << seriesJson(u"\"regularMarketPrice\":2600,\"chartPreviousClose\":2621.5"_s) << -1 << QDate()
            << u"トヨタ|detail|トヨタ|2,600|-21.5|0|0|0|0|2,621.5|"_s;
        QTest::newRow("no change, the close's time")
            << seriesJson(
                   u"\"regularMarketPrice\":1000.25,\"previousClose\":1000.25,\"regularMarketTime\":1790488800"_s)
            << -1 << QDate() << u"トヨタ|detail|トヨタ|1,000.25|0|0|0|0|0|1,000.25|15:00"_s;
        QTest::newRow("two decimals")
            << seriesJson(u"\"regularMarketPrice\":38412.7,\"previousClose\":38538.16"_s) << 2 << QDate()
            << u"トヨタ|detail|トヨタ|38,412.70|-125.46|0|0|0|0|38,538.16|"_s;
        QTest::newRow("two decimals, volume rounded")
            << seriesJson(u"\"regularMarketPrice\":5,\"previousClose\":4.5,\"regularMarketVolume\":1234.6"_s)
            << 2 << QDate() << u"トヨタ|detail|トヨタ|5.00|+0.50|0|0|0|1,235|4.50|"_s;
        QTest::newRow("no previous close: no change") << seriesJson(u"\"regularMarketPrice\":5"_s) << -1
                                                      << QDate() << u"トヨタ|detail|トヨタ|5|0|0|0|0|0||"_s;
        // The same time cell as the pages: today's time, another day's date.
        const QString day = u"トヨタ|detail|トヨタ|2,648.5|+30.5|0|2,660|2,600.5|27,485,000|2,618|"_s;
        QTest::newRow("the quote's day")
            << seriesJson(FullMeta) << -1 << QDate(2026, 9, 27) << day + u"9:49"_s;
        QTest::newRow("a later day") << seriesJson(FullMeta) << -1 << QDate(2026, 9, 28) << day + u"9/27"_s;
        QTest::newRow("a day before the quote's")
            << seriesJson(FullMeta) << -1 << QDate(2026, 9, 26) << day + u"9/27"_s;
    }
    void quoteFromSeriesJson()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, decimals);
        QFETCH(QDate, today);
        QFETCH(QString, fields);
        QCOMPARE(
            joined(tickora::quoteFromSeriesJson(body, u"トヨタ"_s, decimals, today).value_or(QuoteFields())),
            fields);
    }

    // A body that gives no quote, and the cap on a body's size.
    void readable_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("readable");
        QTest::newRow("price as text") << seriesJson(u"\"regularMarketPrice\":\"1\""_s) << false;
        QTest::newRow("not JSON") << QByteArray("{") << false;
        QTest::newRow("the cap's size") << padded(MaxSeriesQuoteBytes) << true;
        QTest::newRow("one byte over the cap") << padded(MaxSeriesQuoteBytes + 1) << false;
        QTest::newRow("no result") << QByteArray("{\"chart\":{\"result\":null}}") << false;
    }
    void readable()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, readable);
        QCOMPARE(tickora::quoteFromSeriesJson(body, {}).has_value(), readable);
    }

    void nikkeiLineOf()
    {
        QCOMPARE(tickora::nikkeiLineOf(*tickora::quoteFromSeriesJson(seriesJson(FullMeta), {}, 2)),
                 u"日経平均 2,648.50 (9:49) +30.50"_s);
    }

    void daySeriesRequest()
    {
        const HttpRequest index = tickora::daySeriesRequest(QUrl(u"http://s.test/base/"_s), u"^N225"_s),
                          stock = tickora::daySeriesRequest(QUrl(u"http://s.test"_s),
                                                            seriesSymbolOfCode(u" 7203"_s));
        QCOMPARE(index.url.toString(QUrl::FullyEncoded),
                 u"http://s.test/base/v8/finance/chart/%5EN225?range=1d&interval=5m"_s);
        QCOMPARE(stock.url.path(), u"/v8/finance/chart/7203.T"_s);
        QCOMPARE(stock.maxBodyBytes, qint64(MaxSeriesQuoteBytes));
    }
};

QTEST_GUILESS_MAIN(TestSeriesQuote)
#include "tst_seriesquote.moc"
