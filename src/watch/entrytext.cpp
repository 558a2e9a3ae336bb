#include "entrytext.h"

#include "exchange/securitycode.h"

namespace tickora {

namespace {

// `kept` is the number of characters before `c` that stay: a "-" is allowed only when none do.
bool isRefused(QChar c, qsizetype kept)
{
    if (c == u'-')
        return kept != 0;
    const char16_t u = c.unicode();
    return (u >= 32 && u <= 44) || u == u'/' || u > u'9';
}

qsizetype charLength(QStringView text, qsizetype i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
}

} // namespace

RefusedChar firstRefused(QStringView text)
{
    // Every character before the first refused one stays, so its position is the count kept.
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isRefused(text.at(i), i))
            return {i, charLength(text, i)};
    return {};
}

FilteredText removeRefused(QStringView text)
{
    // Removing a character only moves the later ones forward, so each character meets the rule
    // at the place it has among the characters kept before it.
    FilteredText result;
    result.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = charLength(text, i);
        if (isRefused(text.at(i), result.text.size()))
            ++result.removed;
        else
            result.text.append(text.mid(i, length));
        i += length;
    }
    return result;
}

FilteredText filterCodeText(QStringView text)
{
    FilteredText result;
    result.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = charLength(text, i);
        char16_t u = halfWidth(text.at(i)).unicode();
        i += length;
        if (u >= u'a' && u <= u'z')
            u = char16_t(u - u'a' + u'A');
        const QChar c(u);
        const qsizetype place = result.text.size();
        if ((c >= u'0' && c <= u'9') || (isCodeLetter(c) && place % 2 == 1 && place < 4))
            result.text.append(c);
        else
            ++result.removed;
    }
    return result;
}

} // namespace tickora
