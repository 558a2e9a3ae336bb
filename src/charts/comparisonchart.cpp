// The comparison chart: two series as percentages of their first close.
#include "charts/chartcanvas.h"
#include "charts/chartindicators.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tickora {

using namespace chartdraw;

DrawnChart drawComparisonChart(const PriceSeries& first, const PriceSeries& second, QSize size,
                               const ChartOptions& o)
{
    QList<PriceBar> a = cleanBars(first.bars);
    QList<PriceBar> b = cleanBars(second.bars);
    const QString title = o.title.isEmpty() ? titleOf(first, o) + u"・"_s + titleOf(second, o) : o.title;
    if (a.isEmpty() && b.isEmpty())
        return emptyChart(ChartKind::Comparison, size, title, o.devicePixelRatio);
    // One window for both, ending at the later last bar.
    const qint64 end = std::max(a.isEmpty() ? 0 : a.last().time, b.isEmpty() ? 0 : b.last().time);
    if (o.windowDays > 0) {
        const qint64 start = end - qint64(o.windowDays) * Day;
        for (QList<PriceBar>* list : {&a, &b})
            list->erase(list->begin(),
                        std::lower_bound(list->begin(), list->end(), start,
                                         [](const PriceBar& p, qint64 t) { return p.time < t; }));
    }
    const qint64 begin = std::min(a.isEmpty() ? end : a.first().time, b.isEmpty() ? end : b.first().time);
    const QList<double> pa = percentOfFirst(closesOf(a));
    const QList<double> pb = percentOfFirst(closesOf(b));

    Canvas c(ChartKind::Comparison, size, o.devicePixelRatio);
    ChartPane& pane = c.pane(PaneRole::Price);
    const TimeAxis axis{pane.rect.left(), pane.rect.width(), begin, std::max(end, begin + Day)};
    double lo = 0;
    double hi = 0;
    widen(lo, hi, pa);
    widen(lo, hi, pb);
    setRange(pane, lo, hi);
    auto lastOf = [](const QList<double>& v) { return v.isEmpty() ? NaN : v.last(); };
    auto part = [&](const PriceSeries& s, double pct) -> QString {
        return titleOf(s, {}) + u" "_s + (usable(pct) ? signedNumber(pct, 2) + u"%"_s : u"データなし"_s);
    };
    const QString lastText = part(first, lastOf(pa)) + u"  "_s + part(second, lastOf(pb));
    const int gmt = a.isEmpty() ? second.gmtOffset : first.gmtOffset;
    const QString rangeText = dateText(begin, gmt) + u"～"_s + dateText(end, gmt);
    c.title(title + u"  "_s + rangeText, QString());
    c.valueAxis(pane, 1);
    const QList<PriceBar>& months = a.size() >= b.size() ? a : b;
    c.monthTicks(months, gmt, [&](qsizetype i) { return axis.x(months[i].time); });
    c.painter().setPen(QPen(Frame, 1, Qt::DashLine));
    c.painter().drawLine(QPointF(pane.rect.left(), pane.yOf(0)), QPointF(pane.rect.right(), pane.yOf(0)));
    c.line(
        pane, pa, [&](qsizetype i) { return axis.x(a[i].time); }, chartcolors::Line, 1.4);
    c.line(
        pane, pb, [&](qsizetype i) { return axis.x(b[i].time); }, chartcolors::Second, 1.4);
    c.legend(pane,
             {{chartcolors::Line, part(first, lastOf(pa))}, {chartcolors::Second, part(second, lastOf(pb))}});
    c.frame(pane);
    return c.finish(a.size(), lastText, rangeText);
}

} // namespace tickora
