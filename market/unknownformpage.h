#pragma once

#include "quoteviews.h"

#include <QString>

// A stock page that a reader must not take for a quote: the site's shell with the quote in a form
// no reader knows.

namespace tickora::market {

/// A stock page in a form no reader knows: the site's shell and its markup (the invisible heading
/// "株価詳細値" included), the quote in a JSON script element of another shape, with neither
/// streamed data, nor a page state, nor the 2012 price cell.
QString unknownFormQuotePage(const QuoteView& quote);

} // namespace tickora::market
