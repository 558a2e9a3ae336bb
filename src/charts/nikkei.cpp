#include "nikkei.h"

#include <QStringView>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

// The text between the first `start` and the next `end` after it. The same cut as the quote
// parser's GetText; kept here because this library does not link the quotes library.
QStringView between(QStringView all, QStringView start, QStringView end)
{
    const qsizetype s = all.indexOf(start);
    if (s < 0)
        return {};
    const qsizetype a = s + start.size();
    const qsizetype b = all.indexOf(end, a);
    return b > a ? all.sliced(a, b - a) : QStringView();
}

// Up to `count` characters of `text` from index `from` (fewer at the end, none past it).
QStringView window(QStringView text, qsizetype from, qsizetype count)
{
    if (from < 0 || from >= text.size())
        return {};
    return text.sliced(from, qMin(count, text.size() - from));
}

} // namespace

QString nikkeiLine(const QString& pageText)
{
    const QStringView page(pageText);

    QStringView index;
    if (const qsizetype p = page.indexOf(u"cmn-index_value no-bg"); p >= 0)
        index = between(window(page, p, 400), u"<b>", u"</b>");

    // Character 9220 counted from 1.
    const QStringView fixed = between(window(page, 9219, 200), u"<b>", u"</b>");

    QStringView bracketed;
    if (const qsizetype q = page.indexOf(u"cmn-indexes_index_link"); q >= 0) {
        const QStringView near = window(page, q, 50);
        if (const qsizetype a = near.indexOf(u"</a>"); a >= 0)
            bracketed = between(window(near, a, 20), u"(", u")");
    }

    return u"日経平均 "_s + index.toString() + u" ("_s + bracketed.toString() + u") "_s + fixed.toString();
}

} // namespace tickora
