#pragma once

#include <QStringView>

#include <optional>

namespace tickora {

/// Converts a securities-code text to a 16-bit signed integer, as the code list, the charts and
/// the watch-list file store it: optional blanks, an optional "+" or "-", digits, an optional
/// "." with digits; a fraction is rounded to the nearest whole number, halves to the even one.
/// Anything else, or a value outside -32768..32767, gives no value (never a crash).
std::optional<qint16> toInt16(QStringView text);

} // namespace tickora
