#pragma once

#include "quoteviews.h"

#include <QDate>
#include <QString>

#include <optional>

namespace tickora::market {

/// The minute a page gives as the time of a quote: 20 minutes back for a delayed quote, never
/// before 9:00.
int shownMinute(const QuoteView& quote);

/// "short", "seconds" or "dated"; nothing for another name.
std::optional<TimeForm> parseTimeForm(const QString& name);
QString timeFormName(TimeForm form);

/// The time of a quote as a board writes it in `form`: the minute `minute` of `date` when the
/// quote is of that day's session, else (`minute` empty: no trade yet) the date alone. Short:
/// "9:05" or "12/4"; Seconds: "09:05:00" or "12/04"; Dated: "2026/12/05 09:05" or "2026/12/04".
QString boardTime(TimeForm form, QDate date, std::optional<int> minute);

/// The time a stock's board shows in the quote's form: `shortText` (the page's own short form)
/// when it is Short; else the shown minute of the quote's day once it has traded, the previous
/// close's date before.
QString quoteBoardTime(const QuoteView& quote, const QString& shortText);

} // namespace tickora::market
