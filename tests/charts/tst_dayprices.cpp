// The day's prices behind the drawn charts; the readers of the grid's cells and of the Nikkei line.
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
    PriceSeries s{u"7203.T"_s, u"トヨタ自動車"_s, {}, previousClose, qQNaN(), TokyoGmtOffset, {}};
    for (const auto& [minute, price] : minutes)
        s.bars.append({at(Day, minute / 60, minute % 60), price, price, price, price, 100});
    return s;
}

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
    // The price a grid cell holds, -1 where it holds none.
    void cellPrices_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("price");
        QTest::newRow("grouped, with blanks") << u" 23,381.56 "_s << 23381.56;
        QTest::newRow("one yen") << u"1"_s << 1.0;
        QTest::newRow("dashes") << u"---"_s << -1.0;
        QTest::newRow("zero") << u"0"_s << -1.0;
        QTest::newRow("infinity") << u"inf"_s << -1.0;
        QTest::newRow("misplaced comma") << u"1,23"_s << -1.0;
    }
    void cellPrices()
    {
        QFETCH(QString, text);
        QFETCH(double, price);
        QCOMPARE(priceFromText(text).value_or(-1), price);
    }

    // The trade time a time cell stands for on the given day, -1 where it holds none.
    void cellTimes_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("minute"); ///< of the day, -1 for none
        QTest::newRow("9:59") << u"9:59"_s << 599;
        QTest::newRow("23:00") << u"23:00"_s << 1380;
        QTest::newRow("a date") << u"12/04"_s << -1;
        QTest::newRow("hour 24") << u"24:00"_s << -1;
        QTest::newRow("minute 60") << u"9:60"_s << -1;
        QTest::newRow("no hour") << u":30"_s << -1;
    }
    void cellTimes()
    {
        QFETCH(QString, cell);
        QFETCH(int, minute);
        QCOMPARE(tradeTimeOf(cell, Day).value_or(-1), minute < 0 ? -1 : at(Day, minute / 60, minute % 60));
    }

    // The Nikkei line's value and change ("nan" when the line has none); nothing without a value.
    void indexLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2012 form") << u"日経平均 12,283.62 (+193.16) 12,283.62"_s << u"12283.62 193.16"_s;
        QTest::newRow("time, fall") << u"日経平均 22,126.09 (9:00) -257.22"_s << u"22126.09 -257.22"_s;
        QTest::newRow("time, rise") << u"日経平均 22,155.52 (9:02) +130.44"_s << u"22155.52 130.44"_s;
        QTest::newRow("no change") << u"日経平均 22,155.52 (15:30) 0.00"_s << u"22155.52 0"_s;
        QTest::newRow("change missing") << u"日経平均 22,155.52 (9:02) "_s << u"22155.52 nan"_s;
        QTest::newRow("change dashes") << u"日経平均 22,155.52 (9:02) ---"_s << u"22155.52 nan"_s;
        QTest::newRow("empty brackets") << u"日経平均 22,155.52 () +130.44"_s << u"22155.52 nan"_s;
        QTest::newRow("a word in brackets") << u"日経平均 22,155.52 (前日比) +130.44"_s << u"22155.52 nan"_s;
        QTest::newRow("value alone") << u"日経平均 22,155.52"_s << u"22155.52 nan"_s;
        QTest::newRow("no value") << u"日経平均  () "_s << QString();
        QTest::newRow("value badly grouped") << u"日経平均 1,23 (+1.5)"_s << QString();
        QTest::newRow("change badly grouped")
            << u"日経平均 22,155.52 (+1,30) 22,155.52"_s << u"22155.52 nan"_s;
    }
    void indexLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        const auto got = indexLineValue(line);
        QCOMPARE(got ? QString::number(got->value, 'g', 10) + u' ' + QString::number(got->change, 'g', 10)
                     : QString(),
                 expected);
    }

    // The fetched bars first, then the later samples, whose previous close and last price win.
    void samplesAfterTheSeries()
    {
        DayPrices prices;
        const QString s = u"7203.T"_s;
        prices.addSample(s, Day, at(Day, 9, 20), 1010, 1000); // the series' last bar wins
        prices.addSample(s, Day, at(Day, 9, 30), 1030);
        prices.addSeries(s, Day, fetched({{9 * 60, 1001}, {9 * 60 + 15, 1015}, {9 * 60 + 20, 1020}}));
        prices.addSample(s, Day, at(Day, 9, 35), 1035);
        const PriceSeries got = prices.series(s, Day);
        QCOMPARE(closes(got), u"5 9:00 1001, 5 9:15 1015, 5 9:20 1020, 5 9:30 1030, 5 9:35 1035"_s);
        QCOMPARE(QList<double>({got.previousClose, got.lastPrice}), QList<double>({1000, 1035}));
        QCOMPARE(got.name + got.symbol + QString::number(got.gmtOffset), u"トヨタ自動車7203.T32400"_s);
        // An unusable price changes nothing; a sample at the same time replaces the last.
        prices.addSample(s, Day, at(Day, 9, 40), qQNaN());
        prices.addSample(s, Day, at(Day, 9, 35), 1036);
        QCOMPARE(prices.series(s, Day).bars.size(), 5);
        QCOMPARE(prices.series(s, Day).lastPrice, 1036.0);
        DayPrices other;
        other.addSeries(s, Day, fetched({{9 * 60, 1001}}, 980));
        other.addSample(s, Day, at(Day, 9, 0), 1002); // at the last bar's time: the latest price
        QCOMPARE(std::pair(other.series(s, Day).previousClose, other.series(s, Day).lastPrice),
                 std::pair(980.0, 1002.0));
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
        prices.addSample(u"7203.T"_s, next, at(next, 9, 0), 1100);
        QVERIFY(prices.size() == 1 && !prices.toppedUp(u"7203.T"_s, next) &&
                prices.series(u"7203.T"_s, Day).bars.isEmpty());
        prices.addSample(u"7203.T"_s, Day, at(Day, 10, 0), 900);
        prices.addSeries(u"6758.T"_s, Day, fetched({{9 * 60, 1}}));
        QCOMPARE(prices.size(), 1);
        QCOMPARE(closes(prices.series(u"7203.T"_s, next)), u"6 9:00 1100"_s);
        QCOMPARE(prices.series(u"7203.T"_s, next).gmtOffset, TokyoGmtOffset); // samples alone: Tokyo time too
        // A day's samples are bounded: the oldest go.
        for (qsizetype i = 0; i < MaxDaySamples + 10; ++i)
            prices.addSample(u"^N225"_s, next, at(next, 9, 0) + i, 10000 + double(i));
        const PriceSeries got = prices.series(u"^N225"_s, next);
        QCOMPARE(std::pair(got.bars.size(), got.bars.first().close), std::pair(MaxDaySamples, 10010.0));
    }
};

QTEST_MAIN(TestDayPrices)
#include "tst_dayprices.moc"
