#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tickora {

/// True for optional blanks, an optional "+" or "-", digits with optional "," thousands
/// separators (groups of three), an optional "." followed by digits, optional blanks. The empty
/// text, exponents, currency signs, parentheses and full-width digits are not numeric.
bool isNumericText(QStringView text);

/// Compares two numeric texts by their values, exactly (no floating point). Empty when either
/// text is not numeric. Negative, zero or positive as `a` is less than, equal to or greater
/// than `b`.
std::optional<int> compareNumericTexts(QStringView a, QStringView b);

/// A numeric change text with its sign written: a rise without a sign is given "+" (after any
/// leading blanks); a fall, a text already signed and a zero stay as they are.
QString signedChange(const QString& numericText);

/// The text when it is numeric, else "0".
QString numericOrZero(QStringView text);

/// The value of a numeric text, read by the rule of isNumericText() ("2,648.5" is 2648.5); NaN
/// for any other text, so "1,23" is no number here either, and for a value past a double's range.
double numberFromText(QStringView text);

} // namespace tickora
