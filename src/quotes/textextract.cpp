#include "textextract.h"

namespace tickora {

using namespace Qt::StringLiterals;

QStringView getTextView(QStringView all, QStringView start, QStringView end)
{
    const qsizetype s = all.indexOf(start);
    if (s < 0)
        return {};
    const qsizetype a = s + start.size();
    const qsizetype b = all.indexOf(end, a);
    if (b <= a)
        return {};
    return all.sliced(a, b - a);
}

QStringView getValueView(QStringView all, QStringView label)
{
    // Only the last block that holds the label decides, so walk the blocks from the end and
    // stop at the first match: every character is looked at a bounded number of times.
    static const QString delimiter = u"</div>"_s;
    qsizetype blockEnd = all.size();
    while (true) {
        const qsizetype from = blockEnd - delimiter.size();
        const qsizetype d = from < 0 ? -1 : all.lastIndexOf(delimiter, from, Qt::CaseInsensitive);
        const qsizetype blockStart = d < 0 ? 0 : d + delimiter.size();
        const QStringView block = all.sliced(blockStart, blockEnd - blockStart);
        if (block.contains(label, Qt::CaseInsensitive))
            return getTextView(block, u"<strong>", u"</strong>");
        if (d < 0)
            return {};
        blockEnd = d;
    }
}

QString GetText(const QString& all, const QString& start, const QString& end)
{
    return getTextView(all, start, end).toString();
}

QString GetValue(const QString& all, const QString& label)
{
    return getValueView(all, label).toString();
}

} // namespace tickora
