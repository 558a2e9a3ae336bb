#include "securitycode.h"

#include <algorithm>

namespace tickora {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QChar upper(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - u'a' + u'A') : c;
}

QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && (s.front() == u' ' || s.front() == u'\t'))
        s = s.mid(1);
    while (!s.isEmpty() && (s.back() == u' ' || s.back() == u'\t'))
        s.chop(1);
    return s;
}

} // namespace

bool isCodeLetter(QChar c)
{
    return c >= u'A' && c <= u'Z' && !QStringView(u"BEIOQVZ").contains(c);
}

std::optional<QString> canonicalCode(QStringView text)
{
    text = trimBlanks(text);
    if (text.isEmpty())
        return std::nullopt;
    if (std::all_of(text.begin(), text.end(), isDigit)) {
        qsizetype zeros = 0;
        while (zeros + 1 < text.size() && text[zeros] == u'0')
            ++zeros;
        return text.mid(zeros).toString();
    }
    if (text.size() != 4)
        return std::nullopt;
    QString code;
    for (qsizetype i = 0; i < 4; ++i) {
        const QChar c = upper(text[i]);
        // Places 1 and 3 (0 and 2 here) are digits; 2 and 4 a digit or a code letter.
        if (!isDigit(c) && (i % 2 == 0 || !isCodeLetter(c)))
            return std::nullopt;
        code += c;
    }
    return code;
}

QChar halfWidth(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) // full-width ASCII forms
        return QChar(char16_t(u - 0xFF01 + u'!'));
    return u == 0x3000 ? QChar(u' ') : c;
}

std::optional<QString> typedCode(QStringView text)
{
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text)
        folded += halfWidth(c);
    return canonicalCode(folded);
}

bool hasIssuedCodeForm(QStringView code)
{
    const std::optional<QString> canonical = canonicalCode(code);
    return canonical && *canonical == code && code.size() == 4 && code.front() != u'0';
}

} // namespace tickora
