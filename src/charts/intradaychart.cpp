// The intraday chart: the current day as a line against the previous close.
#include "charts/chartcanvas.h"
#include "charts/chartindicators.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tickora {

using namespace chartdraw;

namespace {
const QColor BreakShade(0xf4, 0xf4, 0xf4); ///< the break between the sessions
} // namespace

DrawnChart drawIntradayChart(const PriceSeries& s, QSize size, const ChartOptions& o)
{
    QList<PriceBar> bars = cleanBars(s.bars);
    if (bars.isEmpty())
        return emptyChart(ChartKind::Intraday, size, titleOf(s, o), o.devicePixelRatio);
    // The last bar's local day only.
    const qint64 dayStart = (bars.last().time + s.gmtOffset) / Day * Day - s.gmtOffset;
    bars.erase(bars.begin(), std::lower_bound(bars.begin(), bars.end(), dayStart,
                                              [](const PriceBar& b, qint64 t) { return b.time < t; }));
    const bool session = o.sessionStartMinute >= 0 && o.sessionEndMinute > o.sessionStartMinute &&
                         o.sessionEndMinute <= 24 * 60;
    const bool lunch = session && o.breakStartMinute > o.sessionStartMinute &&
                       o.breakEndMinute > o.breakStartMinute && o.breakEndMinute < o.sessionEndMinute;
    // No price is made outside the sessions: a bar stamped there, by whatever source, is left out
    // rather than drawn across the break or past the axis.
    if (session) {
        bars.removeIf([&](const PriceBar& b) {
            const int minute = int((b.time - dayStart) / 60);
            return minute < o.sessionStartMinute || minute > o.sessionEndMinute ||
                   (lunch && minute > o.breakStartMinute && minute < o.breakEndMinute);
        });
        if (bars.isEmpty())
            return emptyChart(ChartKind::Intraday, size, titleOf(s, o), o.devicePixelRatio);
    }
    qint64 from = session ? dayStart + o.sessionStartMinute * 60 : bars.first().time;
    qint64 to = session ? dayStart + o.sessionEndMinute * 60 : bars.last().time;
    if (to <= from) { // a single bar: half an hour either side
        from -= 1800;
        to += 1800;
    }
    const int decimals = decimalsFor(bars, o.decimals);

    Canvas c(ChartKind::Intraday, size, o.devicePixelRatio);
    ChartPane& price = c.pane(PaneRole::Price);
    const TimeAxis axis{price.rect.left(), price.rect.width(), from, to};
    double lo = std::numeric_limits<double>::max();
    double hi = std::numeric_limits<double>::lowest();
    for (const PriceBar& b : bars) {
        lo = std::min(lo, b.close);
        hi = std::max(hi, b.close);
    }
    const double prev = usable(s.previousClose) ? s.previousClose : NaN;
    widen(lo, hi, {prev});
    setRange(price, lo, hi, 0.1);

    const double last = bars.last().close;
    const QString lastText = lastValueText(QString(), last, prev, decimals).trimmed();
    const QString rangeText = dateText(bars.last().time, s.gmtOffset);
    c.title(titleOf(s, o), lastText);
    const qint64 afternoon = dayStart + o.breakEndMinute * 60;
    if (lunch) {
        const double left = axis.x(dayStart + o.breakStartMinute * 60);
        c.painter().fillRect(QRectF(left, price.rect.top(), axis.x(afternoon) - left, price.rect.height()),
                             BreakShade);
    }
    c.valueAxis(price, decimals);
    // Whole hours of the axis.
    const qint64 firstHour = (from - dayStart + 3599) / 3600;
    const qint64 step = (to - from) > 8 * 3600 ? 3 : (size.width() < 240 ? 2 : 1);
    for (qint64 hour = firstHour; dayStart + hour * 3600 <= to; hour += step)
        c.timeTick(axis.x(dayStart + hour * 3600), QString::number(hour % 24) + u":00"_s);
    if (usable(prev)) {
        const double y = std::floor(price.yOf(prev)) + 0.5; // on one pixel row, not blurred over two
        c.painter().setPen(QPen(QColor::fromRgb(chartcolors::PreviousClose), 1, Qt::DashLine));
        c.painter().drawLine(QPointF(price.rect.left(), y), QPointF(price.rect.right(), y));
        if (size.height() >= 150)
            c.label(price, u"前日終値 "_s + number(prev, decimals));
    }
    const QRgb color = usable(prev) && last < prev ? chartcolors::Falling : chartcolors::Rising;
    // The line stops at the break and starts again after it.
    QList<double> values;
    QList<qint64> times;
    for (qsizetype i = 0; i < bars.size(); ++i) {
        if (lunch && i > 0 && bars[i - 1].time < afternoon && bars[i].time >= afternoon) {
            values.append(NaN);
            times.append(afternoon);
        }
        values.append(bars[i].close);
        times.append(bars[i].time);
    }
    c.line(
        price, values, [&](qsizetype i) { return axis.x(times[i]); }, color, 1.4);
    c.frame(price);
    return c.finish(bars.size(), lastText, rangeText);
}

} // namespace tickora
