#pragma once

#include "quotefields.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace tickora {

/// A field cut from a page as one grid cell holds it: every control character (line breaks and
/// tabs included) becomes a blank, and at most 256 characters are kept.
QString cellTextFromPage(const QString& field);

/// The text of a value in a page's data: a string as it stands, a number as its plain decimal
/// text (integers exactly, others in their shortest round-trip form, never with an exponent), an
/// object by its `value` member (once). Empty for a string that starts with "$" (the stream's
/// `"$undefined"` and its references to other rows), for every other type, and for a number
/// whose text would not fit a field.
std::optional<QString> dataValueText(const QJsonValue& v);

/// A text field: the value's text as a cell holds it; empty when it has none.
QString textField(const QJsonValue& v);

/// A field that must be numeric: the value's text when it is numeric and fits a cell, else "0".
QString numericField(const QJsonValue& v);

/// A change: the numeric value with its sign written (a rise without a sign is given "+"); empty
/// when the value is not numeric or its signed text does not fit a cell.
std::optional<QString> changeField(const QJsonValue& v);

/// A time: the value's text when it holds ":" or "/" (a date once the day is over), else empty.
QString timeField(const QJsonValue& v);

/// The code a price board names: its `code`, else its `codeWithMarketExtension` without the
/// market suffix ("285A.T" gives "285A"); the same from a code with a suffix ("998407.O");
/// empty when it names none.
QString boardCodeOf(const QJsonObject& board);

/// The short name of a company: its name without "(株)" or "（株）", trimmed.
QString shortNameOf(QString name);

/// The quote of a stock's price board and its day's figures, as both data forms name them: the
/// short name from `shortName`, else the name without "(株)"; the time from the board's `timeKey`.
QuoteFields boardQuoteFields(const QJsonObject& board, const QJsonObject& detail, QStringView timeKey);

/// The index line's pieces from the boards of an index page's data: the domestic board's
/// `indexPrices` (`price`, `changePrice`, `japanUpdateTime`) when it is an object, else the older
/// board (its `priceBoard` when that is an object) with `price`, `priceChange`, `priceDateTime`.
/// `found` when the board read has a numeric price.
IndexFields indexBoardFields(const QJsonObject& domesticBoard, const QJsonObject& olderBoard);

} // namespace tickora
