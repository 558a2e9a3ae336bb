#pragma once

#include "quoteviews.h"

#include <QString>
#include <QStringList>

namespace tickora::market {

/// A stream text as the service writes it into a page: a JSON string literal (with its quotes)
/// in which `&`, `<` and `>` are also escaped (`\u0026`, `\u003c`, `\u003e`), so that no text in
/// it can end the script element it stands in.
QString streamStringLiteral(const QString& text);

/// The pushes of a stream as script elements, in order: the empty first push
/// `(self.__next_f=self.__next_f||[]).push([0])`, then `self.__next_f.push([1,"..."])` for each
/// text of `pushes`.
QString streamScripts(const QStringList& pushes);

/// The rows of a listed stock's page data, joined: rows `<id>:<payload>\n` (and one text row
/// `<id>:T<hex length>,<text>` that runs straight into the next row). One row holds the store with
/// the price board (after `"priceBoard":{"currentKey":"detail","board":`), another the detail
/// data (after `"detailData":`, with its `indicators`), a third a back-reference to it. Row ids
/// depend on the page. `"$undefined"` stands for a value not known yet (before the first trade).
QString quoteStream(const QuoteView& quote);

/// The quote page of a listed stock in the streamed form of 2026: the site's shell without a page
/// state, its data in a run of pushes of quoteStream(). The stream is cut into a few pushes at row
/// ends, and on about one page in three once more inside the price board, as nothing promises
/// that an object stays within one push.
QString streamedQuotePage(const QuoteView& quote);

/// The Nikkei average's page in the streamed form: the site's shell without a page state, its
/// board (`mainDomesticIndexPriceBoard.indexPrices`, naming `index.code`) and the day's figures
/// (`mainDomesticIndexDetail.indexPrices`) in a row of the stream. The time carries its date in
/// front ("2026/09/18 15:30", as the service's streamed index pages write it) unless the index's
/// time form says otherwise.
QString streamedIndexPage(const IndexView& index);

} // namespace tickora::market
