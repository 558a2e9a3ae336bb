#pragma once

#include "quotefields.h"

#include <QJsonObject>
#include <QString>
#include <QStringView>

#include <optional>

// The reader of quote pages in the state form: the page's data assigned as one JSON object.

namespace tickora {

/// The script element of a quote page of the current site that assigns its JSON state,
/// `window.__PRELOADED_STATE__ = {...}`, and the state read from it.
struct EmbeddedState
{
    std::optional<QJsonObject> state; ///< empty when the text is not one whole JSON object
    qsizetype textFrom = 0;           ///< index of the element's first text character
    qsizetype textTo = 0;             ///< index just past its text (the page's end when unclosed)
};

/// Finds the first `<script>` element whose text assigns `window.__PRELOADED_STATE__` (blank
/// lines and `//` comment lines may stand before the assignment, blanks around "=", an optional
/// ";" at the end) and parses the assigned object with QJsonDocument. Empty when no element
/// assigns it. The state is empty when the element is not closed (a page cut short) and when
/// the object text is not one whole JSON object (truncated, malformed, nested deeper than the
/// JSON reader takes). The first assigning element decides. Linear in the length of the page.
std::optional<EmbeddedState> findEmbeddedState(QStringView page);

/// The state object alone, when the page carries a readable one; see findEmbeddedState.
std::optional<QJsonObject> embeddedPageState(const QString& page);

/// The quote read from a page state, in the same fields and with the same fallbacks as the cut
/// of a 2012 stock-detail page. `isDetailPage` is true when the state carries the stock price
/// board object (`mainStocksPriceBoard.priceBoard`, the day's figures beside it in
/// `mainStocksDetail.detail`); otherwise every field is empty. Values read as dataValueText
/// gives them; a value without a text takes the field's fallback. Texts are kept as a cell holds
/// them; a numeric field whose text does not fit falls back to "0" rather than showing a cut
/// number.
QuoteFields stateQuoteFields(const QJsonObject& state);

/// The quote of a page of the current site: stateQuoteFields of its state; all fields empty
/// (not a detail page) when the page carries no readable state.
QuoteFields parseStateQuotePage(const QString& page);

/// The Nikkei average read from a page state: indexBoardFields of its boards
/// `mainDomesticIndexPriceBoard` and `mainIndexPriceBoard`.
IndexFields stateIndexFields(const QJsonObject& state);

} // namespace tickora
