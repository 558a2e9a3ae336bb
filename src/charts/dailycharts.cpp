// The daily charts: 1 year and 6 months of a stock, 6 months of the index, and a line of closes.
#include "charts/chartcanvas.h"
#include "charts/chartindicators.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tickora {

using namespace chartdraw;

namespace {

/// What the daily charts (1 year, 6 months, index 6 months) add to the price pane.
struct DailyParts
{
    QList<int> averages;
    bool volume = false;
    bool rsi = false;
    bool williams = false;
};

/// Whether a line chart's bars come minutes apart (a day in 5-minute bars) rather than days apart.
bool barsWithinDays(const QList<PriceBar>& bars)
{
    return bars.size() > 1 && (bars.last().time - bars.first().time) / (bars.size() - 1) < Day / 2;
}

/// Hour marks of bars minutes apart, every `hours` hours of local time: "15:00", and the date
/// ("12/9") where a day begins.
void hourTicks(Canvas& c, const QList<PriceBar>& bars, int gmtOffset,
               const std::function<double(qsizetype)>& x)
{
    const qint64 span = bars.last().time - bars.first().time;
    const double room = std::max(1.0, c.layout().size.width() / 60.0); // marks that fit side by side
    int hours = 24;
    for (const int h : {1, 2, 3, 4, 6, 12})
        if (double(span) / (h * 3600.0) <= room) {
            hours = h;
            break;
        }
    const auto slot = [&](qsizetype i) { return (bars[i].time + gmtOffset) / (qint64(hours) * 3600); };
    for (qsizetype i = 1; i < bars.size(); ++i) {
        if (slot(i) == slot(i - 1))
            continue;
        const QDateTime at = localTime(slot(i) * hours * 3600 - gmtOffset, gmtOffset);
        c.timeTick(x(i), at.time().hour() == 0 ? at.toString(u"M/d"_s) : at.toString(u"H:00"_s));
    }
}

DrawnChart drawDaily(ChartKind kind, const PriceSeries& s, QSize size, const ChartOptions& o, int defaultDays,
                     const DailyParts& parts)
{
    const QList<PriceBar> all = cleanBars(s.bars);
    if (all.isEmpty())
        return emptyChart(kind, size, titleOf(s, o), o.devicePixelRatio);
    const qsizetype from = windowStart(all, o.windowDays > 0 ? o.windowDays : defaultDays);
    const QList<PriceBar> bars = all.mid(from);
    const QList<double> closes = closesOf(all);
    const int decimals = decimalsFor(bars, o.decimals);

    Canvas c(kind, size, o.devicePixelRatio);
    ChartPane& price = c.pane(PaneRole::Price);
    const Slots slots{price.rect.left(), price.rect.width(), bars.size()};
    const auto x = [&](qsizetype i) { return slots.x(double(i)); };

    double lo = std::numeric_limits<double>::max();
    double hi = std::numeric_limits<double>::lowest();
    for (const PriceBar& b : bars) {
        lo = std::min(lo, o.candles ? b.low : b.close);
        hi = std::max(hi, o.candles ? b.high : b.close);
    }
    QList<QList<double>> averages;
    for (int n : parts.averages) {
        averages.append(simpleMovingAverage(closes, n).mid(from));
        widen(lo, hi, averages.last());
    }
    setRange(price, lo, hi);

    const double last = bars.last().close;
    // A line of a day in minutes is told against the day's previous close and dated by its last bar.
    const bool minutes = kind == ChartKind::Line && barsWithinDays(bars);
    const double reference = minutes && usable(s.previousClose) ? s.previousClose
                             : bars.size() > 1                  ? bars[bars.size() - 2].close
                                                                : s.previousClose;
    const QString lastText = lastValueText(u"終値"_s, last, reference, decimals);
    const QString rangeText = minutes ? dateText(bars.last().time, s.gmtOffset)
                                      : dateText(bars.first().time, s.gmtOffset) + u"～"_s +
                                            dateText(bars.last().time, s.gmtOffset);
    if (minutes)
        c.title(titleOf(s, o), lastText, u"  "_s + rangeText); // the date is shown whole
    else
        c.title(titleOf(s, o) + u"  "_s + rangeText, lastText);
    c.valueAxis(price, decimals);
    if (minutes)
        hourTicks(c, bars, s.gmtOffset, x);
    else
        c.monthTicks(bars, s.gmtOffset, x);
    if (o.candles)
        c.candles(price, slots, bars);
    else
        c.line(price, closesOf(bars), x, chartcolors::Line);
    QList<std::pair<QRgb, QString>> legend;
    for (qsizetype k = 0; k < averages.size(); ++k) {
        const QRgb color = k == 0 ? chartcolors::ShortAverage : chartcolors::LongAverage;
        c.line(price, averages[k], x, color, 1.2);
        if (std::any_of(averages[k].begin(), averages[k].end(), usable)) // only averages that show
            legend.append({color, QString::number(parts.averages[k]) + u"日"_s});
    }
    c.legend(price, legend);
    c.frame(price);
    if (parts.volume)
        c.volumes(c.pane(PaneRole::Volume), slots, bars);
    if (parts.rsi) {
        ChartPane& p = c.pane(PaneRole::Rsi);
        p.low = -6; // a margin, so 0 and 100 lie inside the frame
        p.high = 106;
        c.line(p, relativeStrengthIndex(closes, 14).mid(from), x, chartcolors::Oscillator, 1.2);
        c.bands(p, {30, 70}, u"RSI(14)"_s);
    }
    if (parts.williams) {
        ChartPane& p = c.pane(PaneRole::WilliamsR);
        p.low = -106;
        p.high = 6;
        c.line(p, williamsPercentR(all, 14).mid(from), x, chartcolors::Oscillator, 1.2);
        c.bands(p, {-80, -20}, u"%R(14)"_s);
    }
    return c.finish(bars.size(), lastText, rangeText);
}

} // namespace

DrawnChart drawYearChart(const PriceSeries& s, QSize size, const ChartOptions& options)
{
    return drawDaily(ChartKind::Year, s, size, options, 366, {{65, 130}, true, false, false});
}

DrawnChart drawHalfYearChart(const PriceSeries& s, QSize size, const ChartOptions& options)
{
    return drawDaily(ChartKind::HalfYear, s, size, options, 184, {{130}, true, true, false});
}

DrawnChart drawIndexHalfYearChart(const PriceSeries& s, QSize size, const ChartOptions& options)
{
    return drawDaily(ChartKind::NikkeiHalfYear, s, size, options, 184, {{65, 130}, false, true, true});
}

DrawnChart drawLineChart(const PriceSeries& s, QSize size, const ChartOptions& options)
{
    ChartOptions o = options;
    o.candles = false;
    return drawDaily(ChartKind::Line, s, size, o, 0, {});
}

} // namespace tickora
