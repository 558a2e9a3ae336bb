// The exchange's calendar against its published lists and against the holiday law's own rules.
#include "exchange/tradingcalendar.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

QDate md(int year, const char* monthDay)
{
    const QList<QByteArray> parts = QByteArray(monthDay).split('/');
    return QDate(year, parts[0].toInt(), parts[1].toInt());
}

} // namespace

class TestTradingCalendar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every day of a year: closed exactly on the weekends and the exchange's published closed days.
    void publishedYears_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QList<QDate>>("closed");
        QList<QDate> y2026;
        for (const char* d : {"1/1", "1/2", "1/12", "2/11", "2/23", "3/20", "4/29", "5/4", "5/5", "5/6",
                              "7/20", "8/11", "9/21", "9/22", "9/23", "10/12", "11/3", "11/23", "12/31"})
            y2026 << md(2026, d);
        QList<QDate> y2027;
        for (const char* d : {"1/1", "1/11", "2/11", "2/23", "3/22", "4/29", "5/3", "5/4", "5/5", "7/19",
                              "8/11", "9/20", "9/23", "10/11", "11/3", "11/23", "12/31"})
            y2027 << md(2027, d);
        QTest::newRow("2026") << 2026 << y2026;
        QTest::newRow("2027") << 2027 << y2027;
    }
    void publishedYears()
    {
        QFETCH(int, year);
        QFETCH(QList<QDate>, closed);
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
            const bool expected = d.dayOfWeek() >= Qt::Saturday || closed.contains(d);
            QVERIFY2(isExchangeClosed(d) == expected, qPrintable(d.toString(Qt::ISODate)));
        }
        QCOMPARE(holidayOn(md(2026, "5/6")), Holiday::Substitute); // Constitution Day on a Sunday
        QCOMPARE(holidayOn(md(2026, "9/22")), Holiday::Citizens);
        QCOMPARE(holidayOn(md(2027, "3/22")), Holiday::Substitute); // the equinox on a Sunday
    }

    // The equinoxes as the observatory gives them, and the days the exchange keeps for them.
    void equinoxes()
    {
        const QList<int> vernal = {20, 20, 21, 20, 20, 20, 21, 20, 20, 20, 21};   // 2025..2035
        const QList<int> autumnal = {23, 23, 23, 22, 23, 23, 23, 22, 23, 23, 23}; // 2025..2035
        for (int year = 2025; year <= 2035; ++year) {
            QCOMPARE(vernalEquinoxDay(year), vernal[year - 2025]);
            QCOMPARE(autumnalEquinoxDay(year), autumnal[year - 2025]);
            QCOMPARE(holidayOn(QDate(year, 3, vernal[year - 2025])), Holiday::Named);
            QCOMPARE(holidayOn(QDate(year, 9, autumnal[year - 2025])), Holiday::Named);
        }
        QVERIFY(isExchangeClosed(md(2028, "9/22")));
        QVERIFY(isExchangeClosed(md(2029, "9/24"))); // 9/23 is a Sunday
        QVERIFY(!isExchangeClosed(md(2029, "9/25")));
        QVERIFY(isExchangeClosed(md(2030, "9/23")));
    }

    // Over 2025-2035: each Sunday holiday is made up on the first later day that is not a named
    // holiday, and only there; a citizens' holiday lies between two named days.
    void lawRules()
    {
        int sundays = 0;
        int substitutes = 0;
        for (QDate d(2025, 1, 1); d.year() <= 2035; d = d.addDays(1)) {
            const Holiday h = holidayOn(d);
            if (h == Holiday::Substitute) {
                ++substitutes;
                QVERIFY(d.dayOfWeek() != Qt::Sunday);
            }
            if (h == Holiday::Citizens) {
                QCOMPARE(holidayOn(d.addDays(-1)), Holiday::Named);
                QCOMPARE(holidayOn(d.addDays(1)), Holiday::Named);
            }
            if (h != Holiday::Named || d.dayOfWeek() != Qt::Sunday)
                continue;
            ++sundays;
            QDate next = d.addDays(1);
            while (holidayOn(next) == Holiday::Named)
                next = next.addDays(1);
            QVERIFY2(holidayOn(next) == Holiday::Substitute, qPrintable(next.toString(Qt::ISODate)));
        }
        QVERIFY(sundays > 5);
        QCOMPARE(substitutes, sundays);
        QCOMPARE(holidayOn(QDate()), Holiday::None);
        // The days the exchange keeps closed besides the holidays.
        for (const QDate d : {QDate(2029, 12, 31), QDate(2030, 1, 2), QDate(2030, 1, 3)})
            QVERIFY(isExchangeClosed(d));
        QVERIFY(!isExchangeClosed(QDate(2030, 1, 4)));
        QVERIFY(!isExchangeClosed(QDate(2029, 12, 28)));
        QCOMPARE(nextTradingDay(QDate(2026, 12, 30)), QDate(2027, 1, 4));
        QCOMPARE(previousTradingDay(QDate(2027, 1, 4)), QDate(2026, 12, 30));
        QCOMPARE(previousTradingDay(QDate(2026, 5, 7)), QDate(2026, 5, 1));
    }

    // Which quiet stretch a Japan-time moment lies in, and when that stretch ends.
    void quietPeriods_data()
    {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QDateTime>("ends");
        const QTimeZone jp = japanZone();
        const QDate tue(2026, 12, 8);
        const QDate fri(2026, 12, 11);
        const QDateTime none;
        auto row = [&](const char* name, QDate d, QTime t, QuietPeriod::Kind kind, const QDateTime& ends) {
            QTest::newRow(name) << QDateTime(d, t, jp) << int(kind) << ends;
        };
        using K = QuietPeriod::Kind;
        row("before open", tue, QTime(8, 59, 59, 900), K::AfterHours, QDateTime(tue, QTime(9, 0), jp));
        row("open", tue, QTime(9, 0), K::None, none);
        row("lunch lag", tue, QTime(11, 44, 59), K::None, none);
        row("lunch", tue, QTime(11, 45), K::Lunch, QDateTime(tue, QTime(12, 30), jp));
        row("lunch end", tue, QTime(12, 29, 59), K::Lunch, QDateTime(tue, QTime(12, 30), jp));
        row("afternoon", tue, QTime(12, 30), K::None, none);
        row("close lag", tue, QTime(15, 44, 59), K::None, none);
        row("after close", tue, QTime(15, 45), K::AfterHours, QDateTime(tue.addDays(1), QTime(9, 0), jp));
        row("friday night", fri, QTime(23, 0), K::AfterHours,
            QDateTime(QDate(2026, 12, 14), QTime(9, 0), jp));
        row("saturday", QDate(2026, 12, 12), QTime(10, 0), K::ClosedDay,
            QDateTime(QDate(2026, 12, 14), QTime(9, 0), jp));
        row("new year", QDate(2027, 1, 1), QTime(10, 0), K::ClosedDay,
            QDateTime(QDate(2027, 1, 4), QTime(9, 0), jp));
    }
    void quietPeriods()
    {
        QFETCH(QDateTime, at);
        QFETCH(int, kind);
        QFETCH(QDateTime, ends);
        const QuietPeriod q = quietPeriodAt(at);
        QCOMPARE(int(q.kind), kind);
        QCOMPARE(q.ends, ends);
    }

    // The sessions with their edges; Japan time whatever the moment's own zone.
    void sessionsAndZone()
    {
        for (const auto& [time, in] : {std::pair{QTime(8, 59, 59), false},
                                       {QTime(9, 0), true},
                                       {QTime(11, 30, 59), true},
                                       {QTime(11, 31), false},
                                       {QTime(12, 29, 59), false},
                                       {QTime(12, 30), true},
                                       {QTime(15, 30, 59), true},
                                       {QTime(15, 31), false}})
            QVERIFY2(inSession(time) == in, qPrintable(time.toString()));
        const QDateTime utc(QDate(2026, 12, 8), QTime(23, 30), QTimeZone::utc());
        QCOMPARE(japanTime(utc).date(), QDate(2026, 12, 9));
        QCOMPARE(japanTime(utc).time(), QTime(8, 30));
        QCOMPARE(japanZone().offsetFromUtc(utc), 9 * 3600);
    }
};

QTEST_GUILESS_MAIN(TestTradingCalendar)
#include "tst_tradingcalendar.moc"
