#pragma once

// The Tokyo exchange's trading day: its sessions and the days it is closed, worked out by rule
// from the national holiday law, in Japan time. Pure functions, no clock: callers pass the moment.

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

namespace tickora {

/// Japan's time zone from the system's zone data ("Asia/Tokyo"); UTC+9 when the data is missing
/// (Japan has kept no daylight saving time since 1951).
QTimeZone japanZone();
/// `moment` as Japan time.
QDateTime japanTime(const QDateTime& moment);

/// Why a day is a national holiday: one of the days the law names (fixed days, the Monday
/// holidays, the equinoxes), a substitute for a named day that fell on a Sunday, or a citizens'
/// holiday between two named days.
enum class Holiday
{
    None,
    Named,
    Substitute,
    Citizens
};
Holiday holidayOn(QDate date);
/// Day of March of the vernal equinox, and of September of the autumnal one, in Japan time, by
/// the formula the National Astronomical Observatory's dates follow.
int vernalEquinoxDay(int year);
int autumnalEquinoxDay(int year);

/// The exchange is closed on Saturdays, Sundays, national holidays, 31 December and 1-3 January.
bool isExchangeClosed(QDate date);
/// The next and the previous day the exchange is open.
QDate nextTradingDay(QDate date);
QDate previousTradingDay(QDate date);

/// The sessions in Japan time: 9:00-11:30 and 12:30-15:30.
namespace session {
inline const QTime Open{9, 0};
inline const QTime MorningClose{11, 30};
inline const QTime AfternoonOpen{12, 30};
inline const QTime Close{15, 30};
} // namespace session

/// Whether a Japan time of day lies in a session, its opening and closing minutes included
/// (11:30:59 still belongs to the morning).
bool inSession(QTime time);

/// A stretch in which no price can change any more: from 15 minutes after a session ends (the
/// index page lags that long) until the next session opens, and every closed day.
struct QuietPeriod
{
    enum class Kind
    {
        None,       ///< prices may change
        Lunch,      ///< 11:45 to 12:30
        AfterHours, ///< 15:45 to 9:00 of the next trading day
        ClosedDay   ///< a day the exchange is closed
    };
    Kind kind = Kind::None;
    /// When the stretch ends: the next opening, in Japan time; it names the stretch.
    QDateTime ends;
};
/// The quiet period a Japan-time moment lies in, compared in whole seconds.
QuietPeriod quietPeriodAt(const QDateTime& japan);

} // namespace tickora
