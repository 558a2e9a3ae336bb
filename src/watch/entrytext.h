#pragma once

#include <QString>
#include <QStringView>

namespace tickora {

/// The entry box's character rule outside the name column: it keeps the digits, ".", a "-" in
/// the first place and control characters; it refuses the blank, "!" to ",", "/", a "-" in any
/// later place and every character above "9" (letters, the colon, all non-ASCII characters).
/// Position of the first refused character of `text` and its length in UTF-16 units (2 for a
/// character outside the basic plane), or -1 and 0 when the text is clean.
struct RefusedChar
{
    qsizetype position = -1;
    qsizetype length = 0;
};
RefusedChar firstRefused(QStringView text);

/// What removing the first refused character again and again until none is left makes of
/// `text`, and how many characters that removes, in one pass over the text.
struct FilteredText
{
    QString text;
    int removed = 0;
};
FilteredText removeRefused(QStringView text);

/// The entry box's rule in the code column, in one pass as removeRefused: full-width digits and
/// letters become their half-width forms and lower-case letters capitals (so text from the input
/// method or a paste arrives in the form codes are compared in); then digits stay, a code letter
/// (see isCodeLetter) stays in the second or fourth place among the characters kept, and every
/// other character is removed.
FilteredText filterCodeText(QStringView text);

} // namespace tickora
