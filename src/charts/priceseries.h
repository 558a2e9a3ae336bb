#pragma once

#include <QList>
#include <QString>

#include <limits>

namespace tickora {

/// One bar of a price series: the period starting at `time` (unix seconds, UTC).
struct PriceBar
{
    qint64 time = 0;
    double open = 0;
    double high = 0;
    double low = 0;
    double close = 0;
    double volume = 0;
};

/// A price series of one symbol, oldest bar first.
struct PriceSeries
{
    QString symbol;   ///< e.g. 7203.T, ^N225, JPY=X
    QString name;     ///< display name, e.g. トヨタ自動車; empty when unknown
    QString currency; ///< e.g. JPY
    double previousClose = std::numeric_limits<double>::quiet_NaN(); ///< NaN when unknown
    double lastPrice = std::numeric_limits<double>::quiet_NaN();     ///< latest trade; NaN when unknown
    int gmtOffset = 0; ///< seconds the exchange's local time is ahead of UTC
    QList<PriceBar> bars;
};

} // namespace tickora
