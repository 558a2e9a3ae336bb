#pragma once

#include "quotefields.h"

#include <QString>

namespace tickora {

/// The cut of a 2012 stock-detail page by its markers:
/// - shortName: between the first "】" and the next "株" within 300 characters, on any page;
/// - isDetailPage: the page contains "株価詳細"; when false, no other field is cut;
/// - name: the <h1> element's text; price: the "stoksPrice" cell; change: after "前日比" (the
///   rise and fall icons understood); open, high, low, volume: the labelled values (the limit-up
///   and limit-down forms understood); prevClose: the bold text before "前日終値"; time: the
///   "yjSb real" span of a real-time or 20-minute-delay price, kept when it holds ":".
/// Pure; never fails: a missing field takes its fallback. Linear in the length of the page.
QuoteFields cutMarkupQuotePage(const QString& page);

/// The pieces of the Nikkei average cut from a 2012 index page:
/// - index: the first bold text within the 400 characters from "cmn-index_value no-bg";
/// - change: the text in "(" ")" within the 20 characters from the first "</a>" that lies within
///   the 50 characters from "cmn-indexes_index_link";
/// - fixed: the first bold text within the 200 characters from character 9220.
/// A missing marker or "</a>" leaves its piece empty. Marker positions are not limited in range.
struct MarkupIndexCut
{
    bool marked = false; ///< either marker stands in the page
    QString index, change, fixed;
};
MarkupIndexCut cutMarkupIndexPage(const QString& page);

/// The line of a 2012 index page: "日経平均 " + index + " (" + change + ") " + fixed; the literal
/// pieces always stand.
QString markupIndexLine(const MarkupIndexCut& cut);

} // namespace tickora
