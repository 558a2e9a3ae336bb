#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

namespace tickora {

/// The time cell of a quote in the one form the grid shows: "H:MM" for a quote of today (no
/// leading zero, no seconds: "9:20", "15:30"), "M/D" for a quote of an earlier trading day
/// ("9/4"). Read from the forms the quote services write:
/// - a time alone, "9:20", "09:30", "09:30:00": a quote of today;
/// - a month and day alone, "9/4", "09/04", "12/05": a quote of an earlier day;
/// - a full date, "2026/09/18", optionally with a time, "2026/09/18 15:30": today when the date
///   is `japanToday` and a time is given, else an earlier day;
/// - a month and day with a time, "9/25 15:30": today when month and day are `japanToday`'s.
/// Blanks around the text are dropped. Anything else (out-of-range hours, minutes or dates,
/// other characters) is unreadable and gives the empty text. Pure.
QString quoteTimeCell(QStringView pageTime, QDate japanToday);

} // namespace tickora
