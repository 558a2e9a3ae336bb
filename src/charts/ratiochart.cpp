// The ratio chart: a ratio such as the advance/decline ratio above the closes.
#include "charts/chartcanvas.h"
#include "charts/chartindicators.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tickora {

using namespace chartdraw;

DrawnChart drawRatioChart(const PriceSeries& s, const QList<double>& ratio, QSize size, const ChartOptions& o)
{
    // The ratio belongs to the bars as given; pair them before the bars are cleaned.
    PriceSeries paired = s;
    paired.bars.clear();
    QList<double> values;
    for (qsizetype i = 0; i < s.bars.size(); ++i) {
        if (!usable(s.bars[i].close) || s.bars[i].time < 0)
            continue;
        paired.bars.append(s.bars[i]);
        values.append(i < ratio.size() && usable(ratio[i]) ? ratio[i] : NaN);
    }
    if (paired.bars.isEmpty())
        return emptyChart(ChartKind::Ratio, size, titleOf(s, o), o.devicePixelRatio);
    qsizetype from = windowStart(paired.bars, o.windowDays > 0 ? o.windowDays : 184);
    // Time order is needed for the window; a disordered series is drawn as given from its start.
    if (!std::is_sorted(paired.bars.begin(), paired.bars.end(),
                        [](const PriceBar& x, const PriceBar& y) { return x.time < y.time; }))
        from = 0;
    const QList<PriceBar> bars = cleanBars(paired.bars.mid(from));
    values = values.mid(from);
    const int decimals = decimalsFor(bars, o.decimals);

    Canvas c(ChartKind::Ratio, size, o.devicePixelRatio);
    ChartPane& top = c.pane(PaneRole::Ratio);
    ChartPane& price = c.pane(PaneRole::Price);
    const Slots slots{price.rect.left(), price.rect.width(), bars.size()};
    const auto x = [&](qsizetype i) { return slots.x(double(i)); };
    double lo = 70;
    double hi = 130;
    widen(lo, hi, values);
    setRange(top, lo, hi);
    double plo = std::numeric_limits<double>::max();
    double phi = std::numeric_limits<double>::lowest();
    widen(plo, phi, closesOf(bars));
    setRange(price, plo, phi);

    double lastRatio = NaN;
    for (double v : values)
        if (usable(v))
            lastRatio = v;
    const QString lastText =
        usable(lastRatio)
            ? number(lastRatio, 2) + u"%  "_s + lastValueText(u"終値"_s, bars.last().close, NaN, decimals)
            : lastValueText(u"終値"_s, bars.last().close, NaN, decimals);
    const QString rangeText =
        dateText(bars.first().time, s.gmtOffset) + u"～"_s + dateText(bars.last().time, s.gmtOffset);
    c.title(titleOf(s, o) + u"  "_s + rangeText, lastText);
    c.valueAxis(top, 0);
    c.bands(top, {70, 100, 120}, QString());
    c.valueAxis(price, decimals);
    c.monthTicks(bars, s.gmtOffset, x);
    c.line(top, values, x, chartcolors::Oscillator, 1.4);
    c.line(price, closesOf(bars), x, chartcolors::Line, 1.3);
    c.frame(top);
    c.frame(price);
    return c.finish(bars.size(), lastText, rangeText);
}

} // namespace tickora
