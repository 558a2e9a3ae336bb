#include "charts/chartindicators.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tickora {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

QList<double> closesOf(const QList<PriceBar>& bars)
{
    QList<double> out;
    out.reserve(bars.size());
    for (const PriceBar& b : bars)
        out.append(b.close);
    return out;
}

QList<double> simpleMovingAverage(const QList<double>& values, int period)
{
    QList<double> out(values.size(), NaN);
    if (period < 1)
        return out;
    // A running sum over the window; a non-finite value poisons every window it falls in, so the
    // count of finite values in the window says whether the sum is usable.
    double sum = 0;
    qsizetype finite = 0;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (std::isfinite(values[i])) {
            sum += values[i];
            ++finite;
        }
        if (i >= period) {
            const double leaving = values[i - period];
            if (std::isfinite(leaving)) {
                sum -= leaving;
                --finite;
            }
        }
        if (i >= period - 1 && finite == period)
            out[i] = sum / period;
        if (finite == 0)
            sum = 0; // drops the rounding left over from long runs
    }
    return out;
}

QList<double> relativeStrengthIndex(const QList<double>& closes, int period)
{
    QList<double> out(closes.size(), NaN);
    if (period < 1)
        return out;
    double gain = 0;
    double loss = 0;
    int changes = 0; // changes seen since the last restart
    for (qsizetype i = 1; i < closes.size(); ++i) {
        if (!std::isfinite(closes[i]) || !std::isfinite(closes[i - 1])) {
            changes = 0;
            gain = loss = 0;
            continue;
        }
        const double d = closes[i] - closes[i - 1];
        const double up = std::max(d, 0.0);
        const double down = std::max(-d, 0.0);
        ++changes;
        if (changes <= period) {
            gain += up;
            loss += down;
            if (changes < period)
                continue;
            gain /= period;
            loss /= period;
        } else {
            gain = (gain * (period - 1) + up) / period;
            loss = (loss * (period - 1) + down) / period;
        }
        if (loss == 0)
            out[i] = gain == 0 ? 50.0 : 100.0;
        else
            out[i] = 100.0 - 100.0 / (1.0 + gain / loss);
    }
    return out;
}

QList<double> williamsPercentR(const QList<PriceBar>& bars, int period)
{
    QList<double> out(bars.size(), NaN);
    if (period < 1)
        return out;
    for (qsizetype i = period - 1; i < bars.size(); ++i) {
        double hi = -std::numeric_limits<double>::infinity();
        double lo = std::numeric_limits<double>::infinity();
        bool ok = std::isfinite(bars[i].close);
        for (qsizetype k = i - period + 1; ok && k <= i; ++k) {
            ok = std::isfinite(bars[k].high) && std::isfinite(bars[k].low);
            hi = std::max(hi, bars[k].high);
            lo = std::min(lo, bars[k].low);
        }
        if (!ok)
            continue;
        out[i] = hi > lo ? -100.0 * (hi - bars[i].close) / (hi - lo) : -50.0;
    }
    return out;
}

QList<double> percentOfFirst(const QList<double>& values)
{
    QList<double> out(values.size(), NaN);
    const auto first = std::find_if(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
    if (first == values.end() || *first == 0)
        return out;
    const double base = *first;
    for (qsizetype i = 0; i < values.size(); ++i)
        if (std::isfinite(values[i]))
            out[i] = 100.0 * (values[i] / base - 1.0);
    return out;
}

} // namespace tickora
