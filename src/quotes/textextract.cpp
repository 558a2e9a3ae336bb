#include "textextract.h"

namespace tickora {

using namespace Qt::StringLiterals;

QStringView textBetweenView(QStringView all, QStringView start, QStringView end)
{
    const qsizetype s = all.indexOf(start);
    if (s < 0)
        return {};
    const qsizetype a = s + start.size();
    const qsizetype b = all.indexOf(end, a);
    if (b == -1)
        return {};
    return all.sliced(a, b - a);
}

QStringView valueAfterLabelView(QStringView all, QStringView label)
{
    // Only the last block that holds the label decides. Find the label's last occurrence that no
    // delimiter cuts through, then the delimiters around it: each character is looked at a
    // bounded number of times, however many blocks the text has.
    static const QString delimiter = u"</div>"_s;
    const qsizetype d = delimiter.size();
    auto delimiterAt = [&](qsizetype from) { return all.indexOf(delimiter, from, Qt::CaseInsensitive); };
    auto delimiterBefore = [&](qsizetype from) {
        return from < 0 ? qsizetype(-1) : all.lastIndexOf(delimiter, from, Qt::CaseInsensitive);
    };

    qsizetype pos = all.size() - label.size();
    while (pos != -1) { // -1 would search from the end again
        pos = all.lastIndexOf(label, pos, Qt::CaseInsensitive);
        if (pos < 0)
            return {};
        // A delimiter that starts before the label ends and ends after it starts splits it; one
        // found from here always ends after the label starts.
        const qsizetype cut = delimiterAt(qMax<qsizetype>(0, pos - d + 1));
        if (cut >= 0 && cut < pos + label.size()) {
            --pos;
            continue;
        }
        const qsizetype before = delimiterBefore(pos - d);
        const qsizetype blockStart = before == -1 ? 0 : before + d;
        const qsizetype after = delimiterAt(pos + label.size());
        const qsizetype blockEnd = after < 0 ? all.size() : after;
        return textBetweenView(all.sliced(blockStart, blockEnd - blockStart), u"<strong>", u"</strong>");
    }
    return {};
}

QString textBetween(const QString& all, const QString& start, const QString& end)
{
    return textBetweenView(all, start, end).toString();
}

QString valueAfterLabel(const QString& all, const QString& label)
{
    return valueAfterLabelView(all, label).toString();
}

} // namespace tickora
