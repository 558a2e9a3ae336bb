// The exchange's calendar against its published lists and against the holiday law's own rules.
#include "exchange/tradingcalendar.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

/// Days of one year given by month and day.
auto dayIn(int year)
{
    return [year](int month, int day) { return QDate(year, month, day); };
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
        const auto y26 = dayIn(2026), y27 = dayIn(2027);
        QTest::newRow("2026") << 2026
                              << QList<QDate>{y26(1, 1),   y26(1, 2),  y26(1, 12),  y26(2, 11), y26(2, 23),
                                              y26(3, 20),  y26(4, 29), y26(5, 4),   y26(5, 5),  y26(5, 6),
                                              y26(7, 20),  y26(8, 11), y26(9, 21),  y26(9, 22), y26(9, 23),
                                              y26(10, 12), y26(11, 3), y26(11, 23), y26(12, 31)};
        QTest::newRow("2027") << 2027
                              << QList<QDate>{y27(1, 1),   y27(1, 11), y27(2, 11), y27(2, 23),  y27(3, 22),
                                              y27(4, 29),  y27(5, 3),  y27(5, 4),  y27(5, 5),   y27(7, 19),
                                              y27(8, 11),  y27(9, 20), y27(9, 23), y27(10, 11), y27(11, 3),
                                              y27(11, 23), y27(12, 31)};
    }
    void publishedYears()
    {
        QFETCH(int, year);
        QFETCH(QList<QDate>, closed);
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
            const bool expected = d.dayOfWeek() >= Qt::Saturday || closed.contains(d);
            QVERIFY2(isExchangeClosed(d) == expected, qPrintable(d.toString(Qt::ISODate)));
        }
    }

    // The equinoxes as the observatory gives them; both are named holidays.
    void equinoxes_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("vernal");
        QTest::addColumn<int>("autumnal");
        const int vernal[] = {20, 20, 21, 20, 20, 20, 21, 20, 20, 20, 21};
        const int autumnal[] = {23, 23, 23, 22, 23, 23, 23, 22, 23, 23, 23};
        for (int year = 2025; year <= 2035; ++year)
            QTest::addRow("%d", year) << year << vernal[year - 2025] << autumnal[year - 2025];
    }
    void equinoxes()
    {
        QFETCH(int, year);
        QFETCH(int, vernal);
        QFETCH(int, autumnal);
        QCOMPARE(vernalEquinoxDay(year), vernal);
        QCOMPARE(autumnalEquinoxDay(year), autumnal);
        QCOMPARE(holidayOn(QDate(year, 3, vernal)), Holiday::Named);
        QCOMPARE(holidayOn(QDate(year, 9, autumnal)), Holiday::Named);
    }

    // Days the exchange keeps closed or open around the equinoxes and the year's turn.
    void closedDays_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("closed");
        QTest::newRow("made up for a Sunday equinox") << QDate(2029, 9, 24) << true;
        QTest::newRow("the day after that") << QDate(2029, 9, 25) << false;
        QTest::newRow("3 January") << QDate(2030, 1, 3) << true;
        QTest::newRow("4 January") << QDate(2030, 1, 4) << false;
    }
    void closedDays()
    {
        QFETCH(QDate, day);
        QFETCH(bool, closed);
        QCOMPARE(isExchangeClosed(day), closed);
    }

    // Over 2025-2035: each Sunday holiday is made up on the first later day that is not a named
    // holiday, and only there; a citizens' holiday lies between two named days; no date is no holiday.
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
        QCOMPARE(holidayOn(QDate(2026, 9, 22)), Holiday::Citizens); // between two named days
        QCOMPARE(holidayOn(QDate()), Holiday::None);
    }

    // The trading days next to a day, across the year's turn and a holiday week.
    void neighbouringTradingDays()
    {
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

    // The sessions with their edges.
    void sessions_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("in");
        QTest::newRow("before the morning") << QTime(8, 59, 59) << false;
        QTest::newRow("morning opens") << QTime(9, 0) << true;
        QTest::newRow("morning's last minute") << QTime(11, 30, 59) << true;
        QTest::newRow("morning closed") << QTime(11, 31) << false;
        QTest::newRow("before the afternoon") << QTime(12, 29, 59) << false;
        QTest::newRow("afternoon opens") << QTime(12, 30) << true;
        QTest::newRow("afternoon's last minute") << QTime(15, 30, 59) << true;
        QTest::newRow("afternoon closed") << QTime(15, 31) << false;
    }
    void sessions()
    {
        QFETCH(QTime, time);
        QFETCH(bool, in);
        QCOMPARE(inSession(time), in);
    }

    // Japan time whatever the moment's own zone.
    void japanTimeOfAnyZone()
    {
        const QDateTime utc(QDate(2026, 12, 8), QTime(23, 30), QTimeZone::utc());
        QCOMPARE(japanTime(utc).date(), QDate(2026, 12, 9));
        QCOMPARE(japanTime(utc).time(), QTime(8, 30));
        QCOMPARE(japanZone().offsetFromUtc(utc), 9 * 3600);
    }
};

QTEST_GUILESS_MAIN(TestTradingCalendar)
#include "tst_tradingcalendar.moc"
