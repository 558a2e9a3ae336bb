#include "nikkei.h"

#include "textextract.h"
#include "todaypage.h"

#include <QStringView>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

// The text between the first `start` and the next `end` after it, within a small window.
QString between(QStringView all, const QString& start, const QString& end)
{
    return GetText(all.toString(), start, end);
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

    static constexpr QStringView IndexMarker = u"cmn-index_value no-bg";
    static constexpr QStringView LinkMarker = u"cmn-indexes_index_link";
    if (const std::optional<EmbeddedState> found = findEmbeddedState(page);
        found && !containsOutsideState(page, *found, IndexMarker) &&
        !containsOutsideState(page, *found, LinkMarker))
        return todayNikkeiLine(found->state.value_or(QJsonObject()));

    QString index;
    if (const qsizetype p = page.indexOf(IndexMarker); p >= 0)
        index = between(window(page, p, 400), u"<b>"_s, u"</b>"_s);

    // Character 9220 counted from 1.
    const QString fixed = between(window(page, 9219, 200), u"<b>"_s, u"</b>"_s);

    QString bracketed;
    if (const qsizetype q = page.indexOf(LinkMarker); q >= 0) {
        const QStringView near = window(page, q, 50);
        if (const qsizetype a = near.indexOf(u"</a>"); a >= 0)
            bracketed = between(window(near, a, 20), u"("_s, u")"_s);
    }

    return u"日経平均 "_s + index + u" ("_s + bracketed + u") "_s + fixed;
}

} // namespace tickora
