#pragma once

// Quote fields as one line of text, for comparing a reader's whole result in one assertion.

#include "quotes/quotefields.h"

#include <QStringList>

#include <initializer_list>
#include <utility>

namespace tickora::test {

/// The fields joined by "|", the page kind written "detail" or "other".
inline QString joined(const QuoteFields& q)
{
    const QString kind = q.isDetailPage ? QStringLiteral("detail") : QStringLiteral("other");
    return QStringList{q.shortName, kind,  q.name,   q.price,     q.change, q.open,
                       q.high,      q.low, q.volume, q.prevClose, q.time}
        .join(u'|');
}

/// A field of a quote and the text it is given.
using FieldText = std::pair<QString QuoteFields::*, QString>;

/// `base` with the given fields replaced, joined.
inline QString joinedWith(QuoteFields base, std::initializer_list<FieldText> changes)
{
    for (const auto& [field, text] : changes)
        base.*field = text;
    return joined(base);
}

} // namespace tickora::test
