#pragma once

// Today's pages in the state form: the site's shell drawn in the browser from a JSON page state in
// one script element (the stock pages of 2025, the Nikkei's page by default).

#include "quoteviews.h"

#include <QJsonObject>
#include <QString>

namespace tickora::market {

/// Daily bars a quote page carries for its chart: about seven months, ending the day before the quote.
inline constexpr int QuoteStateHistoryDays = 145;

/// A page state as compact JSON that can stand inside a script element: every "</" is written
/// "<\/" and every "<!--" "\u003c!--", so no text in the state can end the script or change how
/// the browser reads it. Both are plain JSON escapes; the state reads back unchanged.
QString scriptSafeJson(const QJsonObject& state);

/// The quote page of a listed stock in the service's present shape: an HTML shell with generated
/// class names, several hundred kilobytes like the real pages, drawn in the browser from a JSON
/// state in one script element (`window.__PRELOADED_STATE__ = {...}`). The state holds the price
/// board (display texts), the day's detail, reference figures and the daily bars of
/// `quote.recentDays`. Before the day's first trade (no volume) the price shows "---".
QString stateQuotePage(const QuoteView& quote);
/// The same shell for a code the service does not list: no price board, a "notFound" page type.
QString stateNotFoundPage(const QString& code);
/// The Nikkei average's page in the same shell, its board under `mainDomesticIndexPriceBoard.indexPrices`
/// and the day's figures under `mainDomesticIndexDetail.indexPrices`.
QString stateIndexPage(const IndexView& index);

} // namespace tickora::market
