#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tickora {

/// The quote cut out of one stock-detail page. Every field is text as the page shows it.
/// When `isDetailPage` is false only `shortName` is cut; the other fields stay empty.
struct QuoteFields
{
    QString shortName;         ///< between the first "】" and the next "株" within 300 characters
    bool isDetailPage = false; ///< the page contains "株価詳細"
    QString name;              ///< company name from the <h1> element; empty when missing
    QString price;             ///< current price, e.g. "1,234"; empty when missing, not checked
    QString change;            ///< change with its sign, e.g. "+15"; "0" when missing or not numeric
    QString open;              ///< "0" when missing or not numeric
    QString high;              ///< "0" when missing or not numeric (limit-up form understood)
    QString low;               ///< "0" when missing or not numeric (limit-down form understood)
    QString volume;            ///< "0" when missing or not numeric
    QString prevClose;         ///< previous close; empty when missing, not checked
    QString time;              ///< time of the quote, e.g. "15:00"; empty unless it holds ":"

    friend bool operator==(const QuoteFields&, const QuoteFields&) = default;
};

/// True for optional blanks, an optional "+" or "-", digits with optional "," thousands
/// separators (groups of three), an optional "." followed by digits, optional blanks. The empty
/// text, exponents, currency signs, parentheses and full-width digits are not numeric.
bool isNumericText(QStringView text);

/// Compares two numeric texts by their values, exactly (no floating point). Empty when either
/// text is not numeric. Negative, zero or positive as `a` is less than, equal to or greater
/// than `b`.
std::optional<int> compareNumericTexts(QStringView a, QStringView b);

/// Cuts the quote out of a stock-detail page. Pure; never fails: a missing field takes its
/// fallback. Time is linear in the length of the page. The format is told by content: a page
/// carrying the current site's embedded state, without "株価詳細" in its markup outside that
/// state, is read from the state (parseTodayQuotePage); every other page is cut by the 2012
/// markers described on the fields above.
QuoteFields parseQuotePage(const QString& page);

} // namespace tickora
