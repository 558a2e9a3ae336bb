#pragma once

// How the market's pages write numbers, changes, times and text.

#include <QDate>
#include <QString>

namespace tickora::market {

/// "1,234" for whole prices, with `decimals` digits after the point otherwise.
QString formatNumber(double value, int decimals = 0);
/// A signed change: "+15", "-3", "0"; with decimals "+123.45".
QString formatChange(double change, int decimals = 0);
/// A signed percentage with two decimals: "+0.45%", "-0.20%", "0.00%".
QString formatPercent(double change, double base);
/// "15:00", "9:05".
QString formatMinute(int minuteOfDay);
/// "09:05": a minute of the day with two-digit hours.
QString clockText(int minuteOfDay);
/// "12/04", or "--/--" for no date.
QString monthDay(QDate date);

/// Escapes &, <, >, " and ' for HTML text and attributes.
QString htmlEscape(const QString& text);

/// The change as the price board writes it: a rise without its sign ("30.5"), a fall with it
/// ("-21.5"), no change "0" (or "0.00" with decimals).
QString boardChange(double change, int decimals = 0);
/// The change in percent of `base`, two decimals, signed as boardChange(): "1.04", "-0.81", "0.00".
QString boardChangeRate(double change, double base);

} // namespace tickora::market
