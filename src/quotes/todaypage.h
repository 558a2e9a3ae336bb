#pragma once

#include "quoteparser.h"

#include <QJsonObject>
#include <QString>
#include <QStringView>

#include <optional>

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

/// True when `page` contains `marker` outside the text of the state element `state`.
bool containsOutsideState(QStringView page, const EmbeddedState& state, QStringView marker);

/// The quote read from a page state, in the same fields and with the same fallbacks as the cut
/// of a 2012 stock-detail page. `isDetailPage` is true when the state carries the stock price
/// board object; otherwise every field is empty. A JSON number reads as its plain decimal text;
/// a value of another type (bool, null, array, object) takes the field's fallback. Texts have
/// control and line-separator characters replaced by blanks and are capped at 256 characters; a
/// numeric field whose text does not fit falls back to "0" rather than showing a cut number.
QuoteFields todayQuoteFields(const QJsonObject& state);

/// The quote of a page of the current site: todayQuoteFields of its state; all fields empty
/// (not a detail page) when the page carries no readable state.
QuoteFields parseTodayQuotePage(const QString& page);

/// The Nikkei average line read from a page state: "日経平均 " + price + " (" + time + ") " +
/// change, from the index price board `mainIndexPriceBoard` (its `priceBoard` object when it has
/// one). A rise without its sign is given "+". Missing or unreadable pieces are empty; the
/// literal pieces always stand.
QString todayNikkeiLine(const QJsonObject& state);

/// todayNikkeiLine of the page's state; the literal pieces alone when it carries none.
QString todayNikkeiLine(const QString& page);

/// A numeric change text with its sign written: a rise without a sign is given "+" (after any
/// leading blanks); a fall, a text already signed and a zero stay as they are.
QString signedChange(const QString& numericText);

} // namespace tickora
