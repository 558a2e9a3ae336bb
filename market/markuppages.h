#pragma once

// The pages of the site's markup form (2012): the stock-detail page and the Nikkei average's page,
// their figures written into the markup itself.

#include "quoteviews.h"

#include <QString>

namespace tickora::market {

/// The per-share figures of a quote, the same on every page drawn for that quote.
ShareFigures shareFigures(const QuoteView& quote);

/// The stock-detail page of a listed stock (HTML, UTF-8 when encoded), tens of kilobytes with the
/// site's navigation, news and footer around the quote.
QString markupQuotePage(const QuoteView& quote);
/// The service's answer for a code it does not list: a normal page (served with status 200) that
/// says so, without the detail table. The code is shown escaped.
QString markupNotFoundPage(const QString& code);
/// The Nikkei index page. Besides the index value and the bracketed change, a bold element holding
/// the time of the value starts at character NikkeiFixedPosition (1-based, in UTF-16 characters).
QString markupNikkeiPage(const IndexView& index);
constexpr int NikkeiFixedPosition = 9230;

} // namespace tickora::market
