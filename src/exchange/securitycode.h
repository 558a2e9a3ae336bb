#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tickora {

/// The capital letters a securities code may carry in its second and fourth places: every
/// letter but B, E, I, O, Q, V and Z (they read too much like digits or like each other).
bool isCodeLetter(QChar c);

/// The form a code is compared in: a code of digits alone is a number, written without leading
/// zeros ("0123" gives "123", "0000" gives "0"); a code with a letter has four characters, digits
/// first and third, a digit or a code letter second and fourth, lower-case letters taken as their
/// capitals ("285a" gives "285A"). Blanks and tabs around the code are dropped. Anything else
/// ("", "72.0", "-5", "28BA", "2855A") is no code.
std::optional<QString> canonicalCode(QStringView text);

/// `c` in half width when it is a full-width form of an ASCII character ("７" gives "7", "ａ"
/// gives "a"), the ideographic space as a blank; any other character unchanged. Text from an
/// input method arrives in these forms.
QChar halfWidth(QChar c);

/// A code as a user types it, in canonical form: full-width characters taken as their half-width
/// forms, then canonicalCode ("７２０３" gives "7203", "２８５ａ" and "285a" give "285A").
std::optional<QString> typedCode(QStringView text);

/// True when `code` (in canonical form) has the four characters of a code the exchange gives:
/// "7203", "285A", "9A7A"; not "123" nor "12345".
bool hasIssuedCodeForm(QStringView code);

} // namespace tickora
