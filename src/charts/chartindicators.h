#pragma once

#include "charts/priceseries.h"

#include <QList>

namespace tickora {

/// The closes of the bars, in order.
QList<double> closesOf(const QList<PriceBar>& bars);

/// Simple moving average over `period` values: entry i is the mean of values i-period+1 .. i, NaN
/// for the first period-1 entries, for any window holding a non-finite value and for period < 1.
QList<double> simpleMovingAverage(const QList<double>& values, int period);

/// Relative strength index with Wilder's smoothing: the first average gain and loss are plain means
/// of the first `period` changes, each later one is (previous * (period-1) + change) / period.
/// Entry i is 100 - 100 / (1 + gain/loss); 100 when there were no losses, 50 when the price did not
/// move at all. NaN for the first `period` entries and for period < 1. A non-finite close restarts
/// the smoothing after it.
QList<double> relativeStrengthIndex(const QList<double>& closes, int period = 14);

/// Williams %R over `period` bars: -100 * (highest high - close) / (highest high - lowest low),
/// from -100 (close at the low) to 0 (close at the high); -50 over a window without range.
/// NaN for the first period-1 entries, for windows with a non-finite value and for period < 1.
QList<double> williamsPercentR(const QList<PriceBar>& bars, int period = 14);

/// Each value as the percentage change from the first finite value (100 * (v / first - 1)).
/// All NaN when there is no finite, non-zero first value.
QList<double> percentOfFirst(const QList<double>& values);

} // namespace tickora
