#include "tradingcalendar.h"

#include <cmath>

namespace tickora {

namespace {

/// 1 to 5 for the first to fifth Monday of its month, 0 for any other day.
int mondayOrdinal(QDate d)
{
    return d.dayOfWeek() == Qt::Monday ? (d.day() - 1) / 7 + 1 : 0;
}

bool isNamedHoliday(QDate d)
{
    const int day = d.day();
    switch (d.month()) {
    case 1:
        return day == 1 || mondayOrdinal(d) == 2; // New Year's Day, Coming of Age Day
    case 2:
        return day == 11 || day == 23; // Foundation Day, the Emperor's Birthday
    case 3:
        return day == vernalEquinoxDay(d.year());
    case 4:
        return day == 29; // Showa Day
    case 5:
        return day >= 3 && day <= 5; // Constitution Day, Greenery Day, Children's Day
    case 7:
        return mondayOrdinal(d) == 3; // Marine Day
    case 8:
        return day == 11; // Mountain Day
    case 9:
        return mondayOrdinal(d) == 3 || day == autumnalEquinoxDay(d.year()); // Respect for the Aged Day
    case 10:
        return mondayOrdinal(d) == 2; // Sports Day
    case 11:
        return day == 3 || day == 23; // Culture Day, Labour Thanksgiving Day
    }
    return false;
}

/// The equinox day from its base day of 1980 and the year's drift.
int equinoxDay(double base1980, int year)
{
    const int n = year - 1980;
    return int(std::floor(base1980 + 0.242194 * n - std::floor(n / 4.0)));
}

QTime wholeSeconds(QTime t)
{
    return QTime(t.hour(), t.minute(), t.second());
}

} // namespace

QTimeZone japanZone()
{
    static const QTimeZone zone = [] {
        QTimeZone tokyo("Asia/Tokyo");
        return tokyo.isValid() ? tokyo : QTimeZone(9 * 3600);
    }();
    return zone;
}

QDateTime japanTime(const QDateTime& moment)
{
    return moment.toTimeZone(japanZone());
}

int vernalEquinoxDay(int year)
{
    return equinoxDay(20.8431, year);
}

int autumnalEquinoxDay(int year)
{
    return equinoxDay(23.2488, year);
}

Holiday holidayOn(QDate date)
{
    if (!date.isValid())
        return Holiday::None;
    if (isNamedHoliday(date))
        return Holiday::Named;
    // A named day on a Sunday moves to the first following day that is not itself a named day.
    for (QDate d = date.addDays(-1); isNamedHoliday(d); d = d.addDays(-1))
        if (d.dayOfWeek() == Qt::Sunday)
            return Holiday::Substitute;
    if (isNamedHoliday(date.addDays(-1)) && isNamedHoliday(date.addDays(1)))
        return Holiday::Citizens;
    return Holiday::None;
}

bool isExchangeClosed(QDate date)
{
    if (date.dayOfWeek() >= Qt::Saturday)
        return true;
    if ((date.month() == 12 && date.day() == 31) || (date.month() == 1 && date.day() <= 3))
        return true;
    return holidayOn(date) != Holiday::None;
}

QDate nextTradingDay(QDate date)
{
    do
        date = date.addDays(1);
    while (isExchangeClosed(date));
    return date;
}

QDate previousTradingDay(QDate date)
{
    do
        date = date.addDays(-1);
    while (isExchangeClosed(date));
    return date;
}

bool inSession(QTime time)
{
    const QTime t(time.hour(), time.minute());
    return (t >= session::Open && t <= session::MorningClose) ||
           (t >= session::AfternoonOpen && t <= session::Close);
}

QuietPeriod quietPeriodAt(const QDateTime& japan)
{
    const QDate day = japan.date();
    const QTime t = wholeSeconds(japan.time());
    auto opening = [](QDate d, QTime at) { return QDateTime(d, at, japanZone()); };
    constexpr int Lag = 15 * 60; // the index page shows prices 15 minutes late
    if (isExchangeClosed(day))
        return {QuietPeriod::Kind::ClosedDay, opening(nextTradingDay(day), session::Open)};
    if (t < session::Open)
        return {QuietPeriod::Kind::AfterHours, opening(day, session::Open)};
    if (t >= session::MorningClose.addSecs(Lag) && t < session::AfternoonOpen)
        return {QuietPeriod::Kind::Lunch, opening(day, session::AfternoonOpen)};
    if (t >= session::Close.addSecs(Lag))
        return {QuietPeriod::Kind::AfterHours, opening(nextTradingDay(day), session::Open)};
    return {};
}

} // namespace tickora
