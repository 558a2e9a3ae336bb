#pragma once

#include <QString>

namespace tickora {

/// The quote read from one stock page, whatever its form. Every field is text as the page shows
/// it. When `isDetailPage` is false the fields stay empty (a 2012 page may still give
/// `shortName`).
struct QuoteFields
{
    QString shortName;         ///< the short company name
    bool isDetailPage = false; ///< the page carries a stock's quote
    QString name;              ///< company name; empty when missing
    QString price;             ///< current price, e.g. "1,234"; empty when missing, not checked
    QString change;            ///< change with its sign, e.g. "+15"; "0" when missing or not numeric
    QString open;              ///< "0" when missing or not numeric
    QString high;              ///< "0" when missing or not numeric (limit-up form understood)
    QString low;               ///< "0" when missing or not numeric (limit-down form understood)
    QString volume;            ///< "0" when missing or not numeric
    QString prevClose;         ///< previous close; empty when missing, not checked
    QString time;              ///< time of the quote, e.g. "15:00"; empty unless it holds ":"
    QString boardCode;         ///< the code the page's price board names, without its market; empty when none

    friend bool operator==(const QuoteFields&, const QuoteFields&) = default;
};

} // namespace tickora

namespace tickora {

/// The Nikkei average read from an index page: texts as the page shows them.
struct IndexFields
{
    bool found = false; ///< a known index board with a numeric price
    QString price, change, time;
    QString boardCode; ///< the index code the board names, without its market; empty when none
};

} // namespace tickora
