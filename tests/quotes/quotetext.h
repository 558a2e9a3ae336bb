#pragma once

// Quote fields as one line of text, for comparing a reader's whole result in one assertion.

#include "quotes/quotefields.h"

#include <QStringList>

namespace tickora::test {

/// The fields joined by "|", the page kind written "detail" or "other".
inline QString joined(const QuoteFields& q)
{
    const QString kind = q.isDetailPage ? QStringLiteral("detail") : QStringLiteral("other");
    return QStringList{q.shortName, kind,  q.name,   q.price,     q.change, q.open,
                       q.high,      q.low, q.volume, q.prevClose, q.time}
        .join(u'|');
}

/// `expected` when it is a whole joined line, else `base` with its "field=value;..." changes; the
/// fields are named short, kind, name, price, change, open, high, low, volume, prev, time.
inline QString withChanges(const QString& base, const QString& expected)
{
    if (expected.contains(u'|'))
        return expected;
    static const QStringList names =
        QStringLiteral("short kind name price change open high low volume prev time").split(u' ');
    QStringList fields = base.split(u'|');
    for (const QString& c : expected.split(u';', Qt::SkipEmptyParts))
        fields[names.indexOf(c.section(u'=', 0, 0))] = c.section(u'=', 1);
    return fields.join(u'|');
}

} // namespace tickora::test
