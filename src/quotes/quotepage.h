#pragma once

#include "quotefields.h"

#include <QString>

namespace tickora {

/// The form in which a quote page carries its data.
enum class PageForm
{
    Streamed,   ///< streamed to the page's script (`self.__next_f.push([1, "…"])`)
    State,      ///< one JSON state (`window.__PRELOADED_STATE__ = {…}`)
    Markup2012, ///< the 2012 stock-detail or index markup
    None,       ///< none of these
};

/// The form's name as a user reads it: "streamed", "state", "2012 markup", "none".
QString pageFormName(PageForm form);

/// A stock page read: the form whose data the page carries and the quote read from it.
struct QuoteReading
{
    PageForm form = PageForm::None;
    QuoteFields fields;
    /// A 2012 detail page whose price cell was found (the cell after `stoksPrice"`, up to
    /// "/td>"); false for every other page.
    bool priceCell = false;
};

/// Reads the quote of a stock page; pure, never fails. Data wins over markup: a page with a
/// price board in its streamed data is read from it; else a page with a price board in its state;
/// else a page that streams data, or carries a state element, is of that form but not a detail
/// page (a page cut short, a code with no quote); only a page with neither is cut as a 2012 page
/// when its markup says "株価詳細" (else form None, with the 2012 short-name cut alone). Linear in
/// the length of the page.
QuoteReading readQuotePage(const QString& page);

/// readQuotePage(page).fields.
QuoteFields parseQuotePage(const QString& page);

/// An index page read: the form, whether a known index board with a numeric price was found, its
/// pieces, and the line the window shows.
struct IndexReading
{
    PageForm form = PageForm::None;
    bool found = false;
    QString price, change, time;
    QString boardCode; ///< the index code the board names, without its market; empty when none
    QString line;      ///< "日経平均 " + price + " (" + time + ") " + change; the 2012 cut's own line
};

/// Reads the Nikkei average from an index page, data before markup as readQuotePage does: the
/// domestic index board (`mainDomesticIndexPriceBoard.indexPrices`), else the older index board,
/// of the streamed data, else of the state; a page of a data form without a board is of that
/// form, not found; only a page with neither is cut as a 2012 index page (form Markup2012 when
/// it carries one of its markers, else None; found when the index value is numeric).
IndexReading readIndexPage(const QString& page);

/// readIndexPage(page).line.
QString nikkeiLine(const QString& page);

} // namespace tickora
