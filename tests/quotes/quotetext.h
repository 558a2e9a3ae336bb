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

} // namespace tickora::test
