// The day's prices behind the drawn thumbnails and index chart, and the readers of the grid's
// price and time cells and of the Nikkei line.
#include "charts/dayprices.h"

#include <QTest>
#include <QTimeZone>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

const QDate Day(2013, 3, 5);

qint64 at(QDate day, int hour, int minute)
{
    return QDateTime(day, QTime(hour, minute), QTimeZone::utc()).toSecsSinceEpoch() - TokyoGmtOffset;
}

PriceSeries fetched(QList<std::pair<int, double>> minutes, double previousClose = 990)
{
    PriceSeries s;
    s.symbol = u"7203.T"_s;
    s.name = u"トヨタ自動車"_s;
    s.previousClose = previousClose;
    s.gmtOffset = TokyoGmtOffset;
    for (const auto& [minute, price] : minutes)
        s.bars.append({at(Day, minute / 60, minute % 60), price, price, price, price, 100});
    return s;
}

/// The bars' closes as "day hh:mm close", Tokyo time, joined by ", ".
QString closes(const PriceSeries& s)
{
    QStringList out;
    for (const PriceBar& b : s.bars)
        out << QDateTime::fromSecsSinceEpoch(b.time + TokyoGmtOffset, QTimeZone::utc())
                       .toString(u"d h:mm "_s) +
                   QString::number(b.close);
    return out.join(u", "_s);
}

} // namespace

class TestDayPrices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void priceText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("price"); // 0: none
        QTest::newRow("thousands") << u"2,648"_s << 2648.0;
        QTest::newRow("decimals") << u" 23,381.56 "_s << 23381.56;
        QTest::newRow("before the first trade") << u"---"_s << 0.0;
        QTest::newRow("zero") << u"0"_s << 0.0;
        QTest::newRow("not finite") << u"inf"_s << 0.0;
        QTest::newRow("words") << u"12 円"_s << 0.0;
    }
    void priceText()
    {
        QFETCH(QString, text);
        QFETCH(double, price);
        const auto got = priceFromText(text);
        QCOMPARE(got.has_value(), price > 0);
        if (got)
            QCOMPARE(*got, price);
    }

    void tradeTime_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("minute"); // -1: none
        QTest::newRow("morning") << u"9:05"_s << 9 * 60 + 5;
        QTest::newRow("afternoon") << u"14:59"_s << 14 * 60 + 59;
        QTest::newRow("previous close's date") << u"12/04"_s << -1;
        QTest::newRow("hour out of range") << u"24:00"_s << -1;
        QTest::newRow("minute out of range") << u"9:60"_s << -1;
        QTest::newRow("seconds") << u"9:05:10"_s << -1;
        QTest::newRow("empty") << QString() << -1;
    }
    void tradeTime()
    {
        QFETCH(QString, cell);
        QFETCH(int, minute);
        const auto got = tradeTimeOf(cell, Day);
        QCOMPARE(got.has_value(), minute >= 0);
        if (got)
            QCOMPARE(*got, at(Day, minute / 60, minute % 60));
    }

    void indexLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("value");  // 0: none
        QTest::addColumn<double>("change"); // NaN: none
        QTest::newRow("2012 line") << u"日経平均 12,283.62 (+193.16) 12,283.62"_s << 12283.62 << 193.16;
        QTest::newRow("fall") << u"日経平均 9,000 (-71.98) "_s << 9000.0 << -71.98;
        QTest::newRow("time in brackets") << u"日経平均 22,126.59 (9:00) -257.22"_s << 22126.59 << qQNaN();
        QTest::newRow("no value") << u"日経平均  () "_s << 0.0 << qQNaN();
        QTest::newRow("another title") << u"ＮＹ日経比較"_s << 0.0 << qQNaN();
    }
    void indexLine()
    {
        QFETCH(QString, line);
        QFETCH(double, value);
        QFETCH(double, change);
        const auto got = indexLineValue(line);
        QCOMPARE(got.has_value(), value > 0);
        if (!got)
            return;
        QCOMPARE(got->value, value);
        QCOMPARE(std::isnan(got->change), std::isnan(change));
        if (!std::isnan(change))
            QCOMPARE(got->change, change);
    }

    // The fetched bars first, then the samples after the last of them; the samples' previous
    // close and last price win.
    void samplesAfterTheSeries()
    {
        DayPrices prices;
        const QString s = u"7203.T"_s;
        prices.addSample(s, Day, at(Day, 9, 10), 1010, 1000);
        prices.addSample(s, Day, at(Day, 9, 30), 1030);
        prices.addSeries(s, Day, fetched({{9 * 60, 1001}, {9 * 60 + 15, 1015}, {9 * 60 + 20, 1020}}));
        prices.addSample(s, Day, at(Day, 9, 35), 1035);
        const PriceSeries got = prices.series(s, Day);
        QCOMPARE(closes(got), u"5 9:00 1001, 5 9:15 1015, 5 9:20 1020, 5 9:30 1030, 5 9:35 1035"_s);
        QCOMPARE(got.previousClose, 1000.0);
        QCOMPARE(got.lastPrice, 1035.0);
        QCOMPARE(got.name, u"トヨタ自動車"_s);
        // An unusable price changes nothing; a sample at the same time replaces the last.
        prices.addSample(s, Day, at(Day, 9, 40), qQNaN());
        prices.addSample(s, Day, at(Day, 9, 35), 1036);
        QCOMPARE(prices.series(s, Day).bars.size(), 5);
        QCOMPARE(prices.series(s, Day).lastPrice, 1036.0);
        // Without samples of its own the series' previous close stands.
        DayPrices other;
        other.addSeries(s, Day, fetched({{9 * 60, 1001}}, 980));
        QCOMPARE(other.series(s, Day).previousClose, 980.0);
    }

    // A later day drops everything of the earlier ones; a price of a day already over is ignored.
    void daysDoNotMix()
    {
        DayPrices prices;
        const QDate next = Day.addDays(1);
        prices.addSample(u"7203.T"_s, Day, at(Day, 9, 0), 1000);
        prices.setToppedUp(u"7203.T"_s, Day);
        prices.addSample(u"6758.T"_s, Day, at(Day, 9, 0), 2000);
        QVERIFY(prices.toppedUp(u"7203.T"_s, Day));
        QVERIFY(!prices.toppedUp(u"7203.T"_s, next));
        prices.addSample(u"7203.T"_s, next, at(next, 9, 0), 1100);
        QCOMPARE(prices.size(), 1);
        QVERIFY(!prices.toppedUp(u"7203.T"_s, next));
        QVERIFY(prices.series(u"7203.T"_s, Day).bars.isEmpty());
        prices.addSample(u"7203.T"_s, Day, at(Day, 10, 0), 900);
        prices.addSeries(u"6758.T"_s, Day, fetched({{9 * 60, 1}}));
        QCOMPARE(prices.size(), 1);
        QCOMPARE(closes(prices.series(u"7203.T"_s, next)), u"6 9:00 1100"_s);
    }

    void samplesAreBounded()
    {
        DayPrices prices;
        for (qsizetype i = 0; i < MaxDaySamples + 10; ++i)
            prices.addSample(u"^N225"_s, Day, at(Day, 9, 0) + i, 10000 + double(i));
        const PriceSeries got = prices.series(u"^N225"_s, Day);
        QCOMPARE(got.bars.size(), MaxDaySamples);
        QCOMPARE(got.bars.first().close, 10010.0); // the oldest went
        QCOMPARE(got.lastPrice, 10000.0 + double(MaxDaySamples + 9));
    }
};

QTEST_MAIN(TestDayPrices)
#include "tst_dayprices.moc"
