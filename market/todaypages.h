#pragma once

#include "pages.h"

#include <QJsonObject>
#include <QString>

namespace tickora::market {

/// Daily bars a quote page carries for its chart: about seven months, ending the day before the quote.
inline constexpr int QuoteStateHistoryDays = 145;

/// The change as the price board writes it: a rise without its sign ("30.5"), a fall with it
/// ("-21.5"), no change "0" (or "0.00" with decimals).
QString boardChange(double change, int decimals = 0);
/// The change in percent of `base`, two decimals, signed as boardChange(): "1.04", "-0.81", "0.00".
QString boardChangeRate(double change, double base);

/// A page state as compact JSON that can stand inside a script element: every "</" is written
/// "<\/" and every "<!--" "\u003c!--", so no text in the state can end the script or change how
/// the browser reads it. Both are plain JSON escapes; the state reads back unchanged.
QString scriptSafeJson(const QJsonObject& state);

/// The quote page of a listed stock in the service's present shape: an HTML shell with generated
/// class names, several hundred kilobytes like the real pages, drawn in the browser from a JSON
/// state in one script element (`window.__PRELOADED_STATE__ = {...}`). The state holds the price
/// board (display texts), the day's detail, reference figures and the daily bars of
/// `quote.recentDays`. Before the day's first trade (no volume) the price shows "---".
QString todayQuotePage(const QuoteView& quote);
/// The same shell for a code the service does not list: no price board, a "notFound" page type.
QString todayNotFoundPage(const QString& code);
/// The Nikkei average's page in the same shell, its price board under `mainIndexPriceBoard`.
QString todayIndexPage(const IndexView& index);

} // namespace tickora::market
