#pragma once

#include "pages.h"

#include <QString>

// Today's pages in the forms that are not the default ones: the Nikkei's page streamed, and the
// pages a reader must not take for a quote (a form no reader knows, a board of another code).

namespace tickora::market {

/// The Nikkei average's page in the streamed form: the site's shell without a page state, its
/// board (`mainDomesticIndexPriceBoard.indexPrices`, naming `index.code`) and the day's figures
/// (`mainDomesticIndexDetail.indexPrices`) in a row of the stream. The time carries its date in
/// front ("2026/09/18 15:30", as the service's streamed index pages write it) unless the index's
/// time form says otherwise.
QString streamedIndexPage(const IndexView& index);

/// A stock page in a form no reader knows: the site's shell and its markup (the invisible heading
/// "株価詳細値" included), the quote in a JSON script element of another shape, with neither
/// streamed data, nor a page state, nor the 2012 price cell.
QString unknownFormQuotePage(const QuoteView& quote);

} // namespace tickora::market
