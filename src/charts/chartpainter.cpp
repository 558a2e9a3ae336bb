#include "charts/chartpainter.h"

#include "charts/chartindicators.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// Prices beyond this are not prices; keeping them out keeps every range and pixel finite.
constexpr double LargestValue = 1e15;
constexpr qint64 Day = 86400;

const QColor Frame(0x99, 0x99, 0x99);
const QColor Grid(0xe6, 0xe6, 0xe6);
const QColor Text(0x33, 0x33, 0x33);

bool usable(double v)
{
    return std::isfinite(v) && std::abs(v) <= LargestValue;
}

/// Bars with a usable time and close, in time order, with open, high and low made consistent.
QList<PriceBar> cleanBars(const QList<PriceBar>& bars)
{
    QList<PriceBar> out;
    out.reserve(bars.size());
    for (PriceBar b : bars) {
        if (!usable(b.close) || b.time < 0)
            continue;
        if (!usable(b.open))
            b.open = b.close;
        b.high = std::max({usable(b.high) ? b.high : b.close, b.open, b.close});
        b.low = std::min({usable(b.low) ? b.low : b.close, b.open, b.close});
        if (!usable(b.volume) || b.volume < 0)
            b.volume = 0;
        out.append(b);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const PriceBar& a, const PriceBar& b) { return a.time < b.time; });
    return out;
}

QDateTime localTime(qint64 t, int gmtOffset)
{
    return QDateTime::fromSecsSinceEpoch(t + gmtOffset, Qt::UTC);
}

QString dateText(qint64 t, int gmtOffset)
{
    return localTime(t, gmtOffset).toString(u"yyyy/MM/dd"_s);
}

const QLocale& numberLocale()
{
    static const QLocale l(QLocale::Japanese, QLocale::Japan);
    return l;
}

QString number(double v, int decimals)
{
    return numberLocale().toString(v, 'f', decimals);
}

QString signedNumber(double v, int decimals)
{
    return (v > 0 ? u"+"_s : QString()) + number(v, decimals);
}

int decimalsFor(const QList<PriceBar>& bars, int wanted)
{
    if (wanted >= 0)
        return std::min(wanted, 6);
    for (const PriceBar& b : bars)
        if (b.close != std::floor(b.close))
            return 2;
    return 0;
}

/// "終値 2,648.5 +30.5 (+1.17%)": the last close and its change from `reference` when known.
QString lastValueText(const QString& label, double last, double reference, int decimals)
{
    QString t = label + u" "_s + number(last, decimals);
    if (usable(reference) && reference != 0)
        t += u" "_s + signedNumber(last - reference, decimals) + u" ("_s +
             signedNumber(100.0 * (last / reference - 1.0), 2) + u"%)"_s;
    return t;
}

QFont chartFont(double pixelSize, bool bold = false)
{
    QFont f(u"IPAPGothic"_s);
    f.setPixelSize(std::max(7, int(pixelSize)));
    f.setBold(bold);
    return f;
}

/// Text size for a chart: small thumbnails get the smallest readable text.
int fontPixels(QSize size)
{
    return std::clamp(size.height() / 28, 8, 12);
}

/// Sets a pane's range to hold [lo, hi] with a margin; a flat or empty range gets a band around it.
void setRange(ChartPane& pane, double lo, double hi, double margin = 0.06)
{
    if (!usable(lo) || !usable(hi) || hi < lo) {
        lo = 0;
        hi = 1;
    }
    if (hi == lo) {
        const double pad = std::max(std::abs(lo) * 0.01, 1.0);
        lo -= pad;
        hi += pad;
    }
    const double pad = (hi - lo) * margin;
    pane.low = lo - pad;
    pane.high = hi + pad;
}

void widen(double& lo, double& hi, const QList<double>& values)
{
    for (double v : values)
        if (usable(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
}

/// x positions of evenly spaced slots (one per bar) across a pane.
struct Slots
{
    double left = 0;
    double width = 1;
    qsizetype count = 1;
    double x(double i) const { return left + (i + 0.5) * width / double(std::max<qsizetype>(1, count)); }
    double step() const { return width / double(std::max<qsizetype>(1, count)); }
};

/// x positions on a linear time axis.
struct TimeAxis
{
    double left = 0;
    double width = 1;
    qint64 from = 0;
    qint64 to = 1;
    double x(qint64 t) const
    {
        const double f = double(t - from) / double(std::max<qint64>(1, to - from));
        return left + std::clamp(f, 0.0, 1.0) * width;
    }
};

class Canvas
{
public:
    Canvas(ChartKind kind, QSize size)
        : m_layout(chartLayout(kind, size)), m_image(m_layout.size, QImage::Format_RGB32)
    {
        m_image.fill(Qt::white);
        m_px = fontPixels(m_layout.size);
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::Antialiasing);
    }

    ChartLayout& layout() { return m_layout; }
    ChartPane& pane(PaneRole role)
    {
        for (ChartPane& p : m_layout.panes)
            if (p.role == role)
                return p;
        return m_layout.panes.first();
    }
    QPainter& painter() { return m_painter; }

    /// Title on the left (elided), the last value on the right.
    void title(const QString& left, const QString& right)
    {
        const QRectF r = m_layout.title;
        m_painter.setPen(Text);
        m_painter.setFont(chartFont(m_px));
        const double rightWidth =
            right.isEmpty() ? 0 : QFontMetricsF(m_painter.font()).horizontalAdvance(right);
        m_painter.drawText(r, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, right);
        m_painter.setFont(chartFont(m_px, true));
        const double room = std::max(0.0, r.width() - rightWidth - 6);
        m_painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                           QFontMetricsF(m_painter.font()).elidedText(left, Qt::ElideRight, room));
    }

    /// Frame, horizontal grid and value labels right of the pane.
    void valueAxis(const ChartPane& pane, int decimals, bool labels = true)
    {
        const int ticks = std::max(1, int(pane.rect.height() / (m_px * 2.6)));
        const double step = niceStep(pane.high - pane.low, ticks);
        const int d = valueLabelDecimals(step, decimals);
        m_painter.setFont(chartFont(m_px - 1));
        const double first = std::ceil(pane.low / step) * step;
        for (int k = 0; k < 50; ++k) {
            const double v = first + k * step;
            if (v > pane.high)
                break;
            const double y = pane.yOf(v);
            m_painter.setPen(QPen(Grid, 1));
            m_painter.drawLine(QPointF(pane.rect.left(), y), QPointF(pane.rect.right(), y));
            if (labels && y > pane.rect.top() + m_px / 2.0 - 1 && y < pane.rect.bottom() - m_px / 2.0 + 1) {
                m_painter.setPen(Text);
                m_painter.drawText(QRectF(pane.rect.right() + 3, y - m_px, m_layout.size.width(), 2 * m_px),
                                   Qt::AlignLeft | Qt::AlignVCenter, number(v, d));
            }
        }
        frame(pane);
    }

    /// Fixed reference levels (oscillator bands) with their labels, and a name at the top left.
    void bands(const ChartPane& pane, std::initializer_list<double> levels, const QString& name)
    {
        m_painter.setFont(chartFont(m_px - 1));
        for (double v : levels) {
            const double y = pane.yOf(v);
            m_painter.setPen(QPen(Frame, 1, Qt::DashLine));
            m_painter.drawLine(QPointF(pane.rect.left(), y), QPointF(pane.rect.right(), y));
            m_painter.setPen(Text);
            m_painter.drawText(QRectF(pane.rect.right() + 3, y - m_px, m_layout.size.width(), 2 * m_px),
                               Qt::AlignLeft | Qt::AlignVCenter, QString::number(v));
        }
        frame(pane);
        label(pane, name);
    }

    void label(const ChartPane& pane, const QString& text)
    {
        m_painter.setFont(chartFont(m_px - 1));
        m_painter.setPen(Text);
        m_painter.drawText(pane.rect.adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    }

    void frame(const ChartPane& pane)
    {
        m_painter.setPen(QPen(Frame, 1));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(pane.rect);
    }

    /// A vertical grid line through every pane at x with a label under the lowest, unless the label
    /// would run into the previous one.
    void timeTick(double x, const QString& text)
    {
        m_painter.setFont(chartFont(m_px - 1));
        const double w = QFontMetricsF(m_painter.font()).horizontalAdvance(text);
        const double left = std::max(0.0, std::min(x - w / 2, m_layout.size.width() - w));
        m_painter.setPen(QPen(Grid, 1));
        for (const ChartPane& p : std::as_const(m_layout.panes))
            m_painter.drawLine(QPointF(x, p.rect.top() + 1), QPointF(x, p.rect.bottom() - 1));
        if (left < m_labelEnd + 4)
            return;
        m_painter.setPen(Text);
        m_painter.drawText(QRectF(left, m_layout.timeAxis.top(), w + 2, m_layout.timeAxis.height()),
                           Qt::AlignLeft | Qt::AlignVCenter, text);
        m_labelEnd = left + w;
    }

    /// Month boundaries of daily bars: "2025/1" in January, "7月" otherwise.
    void monthTicks(const QList<PriceBar>& bars, int gmtOffset, const std::function<double(qsizetype)>& x)
    {
        for (qsizetype i = 1; i < bars.size(); ++i) {
            const QDate a = localTime(bars[i - 1].time, gmtOffset).date();
            const QDate b = localTime(bars[i].time, gmtOffset).date();
            if (a.month() == b.month() && a.year() == b.year())
                continue;
            timeTick(x(i), b.month() == 1 ? QString::number(b.year()) + u"/1"_s
                                          : QString::number(b.month()) + u"月"_s);
        }
    }

    void candles(const ChartPane& pane, const Slots& slots, const QList<PriceBar>& bars)
    {
        const double w = std::max(1.0, slots.step() * 0.7);
        for (qsizetype i = 0; i < bars.size(); ++i) {
            const PriceBar& b = bars[i];
            const double x = slots.x(double(i));
            const QColor c = QColor::fromRgb(b.close >= b.open ? chartcolors::Rising : chartcolors::Falling);
            m_painter.setPen(QPen(c, 1));
            m_painter.drawLine(QPointF(x, pane.yOf(b.high)), QPointF(x, pane.yOf(b.low)));
            const double top = pane.yOf(std::max(b.open, b.close));
            const double bottom = pane.yOf(std::min(b.open, b.close));
            if (w >= 3)
                m_painter.fillRect(QRectF(x - w / 2, top, w, std::max(1.0, bottom - top)), c);
        }
    }

    /// A line through the finite values at their x; a lone point is drawn as a dot.
    void line(const ChartPane& pane, const QList<double>& values, const std::function<double(qsizetype)>& x,
              QRgb color, double width = 1.4)
    {
        QPainterPath path;
        bool started = false;
        qsizetype points = 0;
        QPointF lone;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (!usable(values[i])) {
                started = false;
                continue;
            }
            const QPointF pt(x(i), pane.yOf(values[i]));
            started ? path.lineTo(pt) : path.moveTo(pt);
            started = true;
            lone = pt;
            ++points;
        }
        m_painter.setBrush(Qt::NoBrush);
        m_painter.setPen(QPen(QColor::fromRgb(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        m_painter.drawPath(path);
        if (points == 1) {
            m_painter.setPen(Qt::NoPen);
            m_painter.setBrush(QColor::fromRgb(color));
            m_painter.drawEllipse(lone, width + 1, width + 1);
            m_painter.setBrush(Qt::NoBrush);
        }
    }

    void volumes(ChartPane& pane, const Slots& slots, const QList<PriceBar>& bars)
    {
        double top = 0;
        for (const PriceBar& b : bars)
            top = std::max(top, b.volume);
        pane.low = 0;
        pane.high = top > 0 ? top * 1.05 : 1;
        const double w = std::max(1.0, slots.step() * 0.7);
        for (qsizetype i = 0; i < bars.size(); ++i) {
            const double y = pane.yOf(bars[i].volume);
            m_painter.fillRect(QRectF(slots.x(double(i)) - w / 2, y, w, pane.rect.bottom() - y),
                               QColor::fromRgb(chartcolors::Volume));
        }
        frame(pane);
        label(pane, u"出来高"_s);
        m_painter.drawText(QRectF(pane.rect.right() + 3, pane.rect.top(), m_layout.size.width(), m_px + 2),
                           Qt::AlignLeft | Qt::AlignTop, compactVolume(top));
    }

    /// Coloured legend entries from the top left of a pane.
    void legend(const ChartPane& pane, const QList<std::pair<QRgb, QString>>& items)
    {
        m_painter.setFont(chartFont(m_px - 1));
        const QFontMetricsF fm(m_painter.font());
        double x = pane.rect.left() + 4;
        const double y = pane.rect.top() + 2 + fm.ascent();
        for (const auto& [color, text] : items) {
            m_painter.setPen(QPen(QColor::fromRgb(color), 2));
            m_painter.drawLine(QPointF(x, y - fm.ascent() / 3), QPointF(x + 10, y - fm.ascent() / 3));
            m_painter.setPen(Text);
            m_painter.drawText(QPointF(x + 13, y), text);
            x += 13 + fm.horizontalAdvance(text) + 8;
        }
    }

    static QString compactVolume(double v)
    {
        if (v >= 1e8)
            return number(v / 1e8, 1) + u"億"_s;
        if (v >= 1e4)
            return number(v / 1e4, 0) + u"万"_s;
        return number(v, 0);
    }

    /// The finished chart of `shown` bars, with the texts it shows for the last value and range.
    DrawnChart finish(qsizetype shown, const QString& lastText, const QString& rangeText)
    {
        DrawnChart d = finish();
        d.shownBars = shown;
        d.lastText = lastText;
        d.rangeText = rangeText;
        return d;
    }

    DrawnChart finish(bool empty = false)
    {
        if (empty) {
            for (const ChartPane& p : std::as_const(m_layout.panes))
                frame(p);
            m_painter.setPen(Text);
            m_painter.setFont(chartFont(m_px + 1, true));
            m_painter.drawText(m_layout.panes.first().rect, Qt::AlignCenter, u"データなし"_s);
        }
        m_painter.end();
        DrawnChart d;
        d.image = std::move(m_image);
        d.empty = empty;
        d.layout = m_layout;
        return d;
    }

private:
    ChartLayout m_layout;
    QImage m_image;
    QPainter m_painter;
    int m_px = 9;
    double m_labelEnd = -1e9;
};

QString titleOf(const PriceSeries& s, const ChartOptions& o)
{
    if (!o.title.isEmpty())
        return o.title;
    return s.name.isEmpty() ? s.symbol : s.name;
}

DrawnChart emptyChart(ChartKind kind, QSize size, const QString& title)
{
    Canvas c(kind, size);
    c.title(title, QString());
    return c.finish(true);
}

/// The first bar shown of a daily chart: the first within `days` calendar days of the last bar.
qsizetype windowStart(const QList<PriceBar>& bars, int days)
{
    if (days <= 0 || bars.isEmpty())
        return 0;
    const qint64 from = bars.last().time - qint64(days) * Day;
    const auto it = std::lower_bound(bars.begin(), bars.end(), from,
                                     [](const PriceBar& b, qint64 t) { return b.time < t; });
    return qsizetype(it - bars.begin());
}

/// What the daily charts (1 year, 6 months, index 6 months) add to the price pane.
struct DailyParts
{
    QList<int> averages;
    bool volume = false;
    bool rsi = false;
    bool williams = false;
};

DrawnChart drawDaily(ChartKind kind, const PriceSeries& s, QSize size, const ChartOptions& o, int defaultDays,
                     const DailyParts& parts)
{
    const QList<PriceBar> all = cleanBars(s.bars);
    if (all.isEmpty())
        return emptyChart(kind, size, titleOf(s, o));
    const qsizetype from = windowStart(all, o.windowDays > 0 ? o.windowDays : defaultDays);
    const QList<PriceBar> bars = all.mid(from);
    const QList<double> closes = closesOf(all);
    const int decimals = decimalsFor(bars, o.decimals);

    Canvas c(kind, size);
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
    const double reference = bars.size() > 1 ? bars[bars.size() - 2].close : s.previousClose;
    const QString lastText = lastValueText(u"終値"_s, last, reference, decimals);
    const QString rangeText =
        dateText(bars.first().time, s.gmtOffset) + u"～"_s + dateText(bars.last().time, s.gmtOffset);
    c.title(titleOf(s, o) + u"  "_s + rangeText, lastText);
    c.valueAxis(price, decimals);
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

/// Vertical layout of a kind: pane roles with their share of the height below the title.
QList<std::pair<PaneRole, double>> paneShares(ChartKind kind)
{
    switch (kind) {
    case ChartKind::Year:
        return {{PaneRole::Price, 0.75}, {PaneRole::Volume, 0.25}};
    case ChartKind::HalfYear:
        return {{PaneRole::Price, 0.6}, {PaneRole::Volume, 0.2}, {PaneRole::Rsi, 0.2}};
    case ChartKind::NikkeiHalfYear:
        return {{PaneRole::Price, 0.6}, {PaneRole::Rsi, 0.2}, {PaneRole::WilliamsR, 0.2}};
    case ChartKind::Ratio:
        return {{PaneRole::Ratio, 0.55}, {PaneRole::Price, 0.45}};
    case ChartKind::Intraday:
    case ChartKind::Comparison:
    case ChartKind::Line:
        break;
    }
    return {{PaneRole::Price, 1.0}};
}

} // namespace

double niceStep(double range, int ticks)
{
    if (!(range > 0) || ticks < 1)
        return 1;
    const double raw = range / ticks;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (raw <= m * mag)
            return m * mag;
    return 10 * mag;
}

int valueLabelDecimals(double step, int priceDecimals)
{
    if (step >= 1)
        return step != std::floor(step) ? std::max(0, priceDecimals) : 0;
    return std::min(6, int(std::ceil(-std::log10(step) - 1e-9)));
}

double ChartPane::yOf(double value) const
{
    const double span = high - low;
    if (!(span > 0))
        return rect.center().y();
    return rect.bottom() - (value - low) / span * rect.height();
}

const ChartPane* ChartLayout::pane(PaneRole role) const
{
    for (const ChartPane& p : panes)
        if (p.role == role)
            return &p;
    return nullptr;
}

ChartLayout chartLayout(ChartKind kind, QSize size)
{
    ChartLayout l;
    l.size = size.expandedTo(QSize(32, 32)).boundedTo(QSize(4000, 4000));
    const int px = fontPixels(l.size);
    const double w = l.size.width();
    const double h = l.size.height();
    // Value labels take the right margin: wide enough for "38,000" at the chart's text size.
    const double right = std::min(std::max(px * 4.2, 24.0), w * 0.3);
    const double left = 3;
    const auto shares = paneShares(kind);
    // Too small for text lines: the panes take the whole picture.
    const bool roomy = h - 2 * (px + 5) >= 12.0 * double(shares.size());
    l.title = roomy ? QRectF(left, 1, w - 2 * left, px + 5) : QRectF(left, 0, w - 2 * left, 0);
    l.timeAxis = roomy ? QRectF(0, h - px - 4, w, px + 3) : QRectF(0, h, w, 0);
    const double top = l.title.bottom() + (roomy ? 2 : 1);
    const double gap = roomy ? 3 : 1;
    const double usableHeight = std::max(4.0, l.timeAxis.top() - 1 - top - gap * double(shares.size() - 1));
    double y = top;
    for (const auto& [role, share] : shares) {
        ChartPane p;
        p.role = role;
        p.rect = QRectF(left, y, std::max(4.0, w - left - right), usableHeight * share);
        l.panes.append(p);
        y = p.rect.bottom() + gap;
    }
    return l;
}

DrawnChart drawEmptyChart(ChartKind kind, QSize size, const QString& title)
{
    return emptyChart(kind, size, title);
}

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

DrawnChart drawIntradayChart(const PriceSeries& s, QSize size, const ChartOptions& o)
{
    QList<PriceBar> bars = cleanBars(s.bars);
    if (bars.isEmpty())
        return emptyChart(ChartKind::Intraday, size, titleOf(s, o));
    // The last bar's local day only.
    const qint64 dayStart = (bars.last().time + s.gmtOffset) / Day * Day - s.gmtOffset;
    bars.erase(bars.begin(), std::lower_bound(bars.begin(), bars.end(), dayStart,
                                              [](const PriceBar& b, qint64 t) { return b.time < t; }));
    const bool session = o.sessionStartMinute >= 0 && o.sessionEndMinute > o.sessionStartMinute &&
                         o.sessionEndMinute <= 24 * 60;
    qint64 from = session ? dayStart + o.sessionStartMinute * 60 : bars.first().time;
    qint64 to = session ? dayStart + o.sessionEndMinute * 60 : bars.last().time;
    if (to <= from) { // a single bar: half an hour either side
        from -= 1800;
        to += 1800;
    }
    const int decimals = decimalsFor(bars, o.decimals);

    Canvas c(ChartKind::Intraday, size);
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
    c.line(
        price, closesOf(bars), [&](qsizetype i) { return axis.x(bars[i].time); }, color, 1.4);
    c.frame(price);
    return c.finish(bars.size(), lastText, rangeText);
}

DrawnChart drawComparisonChart(const PriceSeries& first, const PriceSeries& second, QSize size,
                               const ChartOptions& o)
{
    QList<PriceBar> a = cleanBars(first.bars);
    QList<PriceBar> b = cleanBars(second.bars);
    const QString title = o.title.isEmpty() ? titleOf(first, o) + u"・"_s + titleOf(second, o) : o.title;
    if (a.isEmpty() && b.isEmpty())
        return emptyChart(ChartKind::Comparison, size, title);
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

    Canvas c(ChartKind::Comparison, size);
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
        return emptyChart(ChartKind::Ratio, size, titleOf(s, o));
    qsizetype from = windowStart(paired.bars, o.windowDays > 0 ? o.windowDays : 184);
    // Time order is needed for the window; a disordered series is drawn as given from its start.
    if (!std::is_sorted(paired.bars.begin(), paired.bars.end(),
                        [](const PriceBar& x, const PriceBar& y) { return x.time < y.time; }))
        from = 0;
    const QList<PriceBar> bars = cleanBars(paired.bars.mid(from));
    values = values.mid(from);
    const int decimals = decimalsFor(bars, o.decimals);

    Canvas c(ChartKind::Ratio, size);
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
