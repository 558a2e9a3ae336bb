#pragma once

// Property checks inside fuzz targets: a broken property is reported and aborts, so libFuzzer
// keeps the input that broke it as a crash.

#include <QString>

#include <cstdio>
#include <cstdlib>

using Qt::Literals::StringLiterals::operator""_s;

namespace tickora::fuzz {

inline void check(bool ok, const char* what, const QString& detail = {})
{
    if (ok)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    std::abort();
}

/// Shows a text with its non-ASCII characters as \uXXXX, for failure messages.
inline QString escaped(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            out += c;
        else
            out += u"\\u%1"_s.arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

} // namespace tickora::fuzz
