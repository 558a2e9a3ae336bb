#include "charts.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

const QColor RisingColor(0xd9, 0x34, 0x3a);  // rising candles
const QColor FallingColor(0x2a, 0x62, 0xc9); // falling candles
const QColor GridColor(0xe2, 0xe2, 0xe2);
const QColor FrameColor(0x99, 0x99, 0x99);
const QColor TextColor(0x33, 0x33, 0x33);
const QColor FirstAverageColor(0xf0, 0x8c, 0x00);
const QColor SecondAverageColor(0x1a, 0x9e, 0x4b);
const QColor VolumeColor(0x8d, 0xa3, 0xc4);
const QColor OscillatorColor(0x80, 0x3c, 0xa8);

QFont chartFont(int pixelSize, bool bold = false)
{
    QFont f(u"IPAPGothic"_s);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

bool isNumber(double v)
{
    return std::isfinite(v);
}

double niceStep(double range, int targetTicks)
{
    if (range <= 0 || targetTicks <= 0)
        return 1;
    const double raw = range / targetTicks;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= m * mag)
            return m * mag;
    return 10 * mag;
}

QString axisLabel(double v, double step, int decimals)
{
    // Show decimals only when the step needs them.
    int d = 0;
    if (step < 1)
        d = std::min(decimals > 0 ? decimals : 2, static_cast<int>(std::ceil(-std::log10(step))));
    return formatNumber(v, d);
}

/// A rectangle of the chart with a vertical value range and `count` slots across.
struct Pane
{
    QRectF rect;
    double lo = 0;
    double hi = 1;
    int count = 1;

    double x(double i) const { return rect.left() + (i + 0.5) * rect.width() / std::max(1, count); }
    double slot() const { return rect.width() / std::max(1, count); }
    double y(double v) const { return rect.bottom() - (v - lo) / (hi - lo) * rect.height(); }
};

Pane makePane(QRectF rect, double lo, double hi, int count, double padding = 0.06)
{
    if (!(hi > lo)) {
        const double mid = isNumber(lo) ? lo : 0;
        lo = mid - std::max(1.0, std::abs(mid) * 0.01);
        hi = mid + std::max(1.0, std::abs(mid) * 0.01);
    }
    const double pad = (hi - lo) * padding;
    return Pane{rect, lo - pad, hi + pad, count};
}

void drawTitle(QPainter& p, QSize size, const QString& left, const QString& right, int pixelSize)
{
    p.setPen(TextColor);
    const QRectF r(6, 2, size.width() - 12, pixelSize + 6);
    p.setFont(chartFont(pixelSize - 1));
    const double rightWidth = QFontMetricsF(p.font()).horizontalAdvance(right);
    p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, right);
    // A long company name gives way to the figures on the right.
    p.setFont(chartFont(pixelSize, true));
    const QString shown =
        QFontMetricsF(p.font()).elidedText(left, Qt::ElideRight, std::max(20.0, r.width() - rightWidth - 8));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, shown);
}

/// Frame, horizontal grid and value labels to the right of the pane.
void drawValueAxis(QPainter& p, const Pane& pane, int targetTicks, int decimals, int fontPx,
                   bool labels = true)
{
    p.setPen(QPen(FrameColor, 1));
    p.setBrush(Qt::NoBrush);
    const double step = niceStep(pane.hi - pane.lo, targetTicks);
    p.setFont(chartFont(fontPx));
    for (double v = std::ceil(pane.lo / step) * step; v <= pane.hi; v += step) {
        const double y = pane.y(v);
        p.setPen(QPen(GridColor, 1));
        p.drawLine(QPointF(pane.rect.left(), y), QPointF(pane.rect.right(), y));
        if (labels) {
            p.setPen(TextColor);
            p.drawText(QRectF(pane.rect.right() + 4, y - fontPx, 200, 2 * fontPx),
                       Qt::AlignLeft | Qt::AlignVCenter, axisLabel(v, step, decimals));
        }
    }
    p.setPen(QPen(FrameColor, 1));
    p.drawRect(pane.rect);
}

/// Fixed horizontal reference lines (oscillator bands) with their labels.
void drawBands(QPainter& p, const Pane& pane, std::initializer_list<double> levels, int fontPx)
{
    p.setFont(chartFont(fontPx));
    for (double v : levels) {
        const double y = pane.y(v);
        p.setPen(QPen(FrameColor, 1, Qt::DashLine));
        p.drawLine(QPointF(pane.rect.left(), y), QPointF(pane.rect.right(), y));
        p.setPen(TextColor);
        p.drawText(QRectF(pane.rect.right() + 4, y - fontPx, 200, 2 * fontPx),
                   Qt::AlignLeft | Qt::AlignVCenter, QString::number(v));
    }
    p.setPen(QPen(FrameColor, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pane.rect);
}

/// Vertical grid lines at the given slots through all panes, labels under the lowest one.
void drawTimeAxis(QPainter& p, const QList<Pane>& panes, const QList<int>& slots, const QStringList& labels,
                  int fontPx)
{
    p.setFont(chartFont(fontPx));
    const Pane& bottom = panes.last();
    for (qsizetype k = 0; k < slots.size(); ++k) {
        const double x = panes.first().x(slots[k]);
        p.setPen(QPen(GridColor, 1));
        for (const Pane& pane : panes)
            p.drawLine(QPointF(x, pane.rect.top() + 1), QPointF(x, pane.rect.bottom() - 1));
        p.setPen(TextColor);
        p.drawText(QRectF(x - 40, bottom.rect.bottom() + 2, 80, fontPx + 4), Qt::AlignHCenter | Qt::AlignTop,
                   labels[k]);
    }
}

void drawCandles(QPainter& p, const Pane& pane, const QList<Bar>& bars)
{
    const double w = std::max(1.0, pane.slot() * 0.7);
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const Bar& b = bars[i];
        const double x = pane.x(i);
        const QColor c = b.close >= b.open ? RisingColor : FallingColor;
        p.setPen(QPen(c, 1));
        p.drawLine(QPointF(x, pane.y(b.high)), QPointF(x, pane.y(b.low)));
        const double top = pane.y(std::max(b.open, b.close));
        const double bottom = pane.y(std::min(b.open, b.close));
        if (w >= 3) {
            p.setBrush(c);
            p.drawRect(QRectF(x - w / 2, top, w, std::max(1.0, bottom - top)));
        } else {
            p.drawLine(QPointF(x, top), QPointF(x, std::max(top + 1, bottom)));
        }
    }
    p.setBrush(Qt::NoBrush);
}

void drawSeries(QPainter& p, const Pane& pane, const QList<double>& values, QColor color, qreal width = 1.3)
{
    QPainterPath path;
    bool started = false;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!isNumber(values[i])) {
            started = false;
            continue;
        }
        const QPointF pt(pane.x(i), pane.y(values[i]));
        if (started)
            path.lineTo(pt);
        else
            path.moveTo(pt);
        started = true;
    }
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void drawVolumeBars(QPainter& p, const Pane& pane, const QList<Bar>& bars, int fontPx, QString unitLabel)
{
    const double w = std::max(1.0, pane.slot() * 0.7);
    p.setPen(Qt::NoPen);
    p.setBrush(VolumeColor);
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const double top = pane.y(double(bars[i].volume));
        p.drawRect(QRectF(pane.x(i) - w / 2, top, w, pane.rect.bottom() - top));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(FrameColor, 1));
    p.drawRect(pane.rect);
    p.setFont(chartFont(fontPx));
    p.setPen(TextColor);
    p.drawText(pane.rect.adjusted(4, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, unitLabel);
    // Largest volume at the top right, in thousands or millions.
    const double maxV = pane.hi;
    const QString top = maxV >= 1e7 ? formatNumber(maxV / 1e6) + u"M"_s : formatNumber(maxV / 1e3) + u"K"_s;
    p.drawText(QRectF(pane.rect.right() + 4, pane.rect.top() - 2, 200, fontPx + 4),
               Qt::AlignLeft | Qt::AlignTop, top);
}

void drawLegend(QPainter& p, QPointF at, const QList<std::pair<QColor, QString>>& items, int fontPx)
{
    p.setFont(chartFont(fontPx));
    QFontMetricsF fm(p.font());
    double x = at.x();
    for (const auto& [color, text] : items) {
        p.setPen(QPen(color, 2));
        p.drawLine(QPointF(x, at.y()), QPointF(x + 14, at.y()));
        p.setPen(TextColor);
        p.drawText(QPointF(x + 17, at.y() + fm.ascent() / 2 - 1), text);
        x += 17 + fm.horizontalAdvance(text) + 10;
    }
}

QImage blankImage(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

void rangeOf(const QList<Bar>& bars, double& lo, double& hi)
{
    lo = std::numeric_limits<double>::max();
    hi = std::numeric_limits<double>::lowest();
    for (const Bar& b : bars) {
        lo = std::min(lo, b.low);
        hi = std::max(hi, b.high);
    }
}

void widen(const QList<double>& values, double& lo, double& hi)
{
    for (double v : values)
        if (isNumber(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
}

double maxVolume(const QList<Bar>& bars)
{
    qint64 m = 1;
    for (const Bar& b : bars)
        m = std::max(m, b.volume);
    return double(m);
}

QList<double> closes(const QList<Bar>& bars)
{
    QList<double> out;
    out.reserve(bars.size());
    for (const Bar& b : bars)
        out.append(b.close);
    return out;
}

/// Month boundaries of a run of daily bars: slots and labels ("2020/1" in January, else "7月").
void monthTicks(const QList<Bar>& bars, QList<int>& slots, QStringList& labels, int every = 1)
{
    int month = 0;
    for (qsizetype i = 1; i < bars.size(); ++i) {
        if (bars[i].date.month() == bars[i - 1].date.month())
            continue;
        if (month++ % every != 0)
            continue;
        slots.append(int(i));
        labels.append(bars[i].date.month() == 1 ? QString::number(bars[i].date.year()) + u"/1"_s
                                                : QString::number(bars[i].date.month()) + u"月"_s);
    }
}

/// Weekly bars from daily bars.
QList<Bar> weekly(const QList<Bar>& days)
{
    QList<Bar> out;
    int week = -1;
    int year = -1;
    for (const Bar& d : days) {
        int y = 0;
        const int w = d.date.weekNumber(&y);
        if (w != week || y != year) {
            out.append(d);
            week = w;
            year = y;
            continue;
        }
        Bar& b = out.last();
        b.high = std::max(b.high, d.high);
        b.low = std::min(b.low, d.low);
        b.close = d.close;
        b.volume += d.volume;
    }
    return out;
}

QString changeText(double last, double prev, int decimals)
{
    return formatNumber(last, decimals) + u"  "_s + formatChange(last - prev, decimals) + u" ("_s +
           formatPercent(last - prev, prev) + u")"_s;
}

} // namespace

QSize sizeFromQuery(const QString& width, const QString& height, QSize fallback)
{
    bool okW = false, okH = false;
    const int w = width.trimmed().toInt(&okW);
    const int h = height.trimmed().toInt(&okH);
    return QSize(std::clamp(okW ? w : fallback.width(), 32, 2000),
                 std::clamp(okH ? h : fallback.height(), 32, 2000));
}

QImage drawYearChart(const ChartSeries& s, QSize size)
{
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QList<Bar> weeks = weekly(s.bars);
    const QList<double> ma13 = movingAverage(closes(weeks), 13);
    const QList<double> ma26 = movingAverage(closes(weeks), 26);
    const int n = std::min<int>(52, weeks.size());
    const qsizetype from = weeks.size() - n;
    const QList<Bar> shown = weeks.mid(from);
    const QList<double> ma1 = ma13.mid(from), ma2 = ma26.mid(from);

    const int w = size.width(), h = size.height();
    const double right = w - 54;
    const double volH = h * 0.17;
    const QRectF priceRect(6, 40, right - 6, h - 40 - volH - 30);
    const QRectF volRect(6, priceRect.bottom() + 4, right - 6, volH);
    double lo, hi;
    rangeOf(shown, lo, hi);
    widen(ma1, lo, hi);
    widen(ma2, lo, hi);
    const Pane price = makePane(priceRect, lo, hi, n);
    const Pane vol = makePane(volRect, 0, maxVolume(shown), n, 0.0);

    const double last = s.bars.isEmpty() ? 0 : s.bars.last().close;
    drawTitle(p, size, s.code + u" "_s + s.name + u"  1年"_s, changeText(last, s.prevClose, s.decimals), 13);
    drawLegend(p, QPointF(10, 30),
               {{FirstAverageColor, u"13週移動平均"_s}, {SecondAverageColor, u"26週移動平均"_s}}, 10);
    drawValueAxis(p, price, 6, s.decimals, 10);
    QList<int> slots;
    QStringList labels;
    monthTicks(shown, slots, labels, 2);
    drawTimeAxis(p, {price, vol}, slots, labels, 10);
    drawCandles(p, price, shown);
    drawSeries(p, price, ma1, FirstAverageColor);
    drawSeries(p, price, ma2, SecondAverageColor);
    drawVolumeBars(p, vol, shown, 9, u"出来高(週)"_s);
    p.setFont(chartFont(9));
    p.setPen(FrameColor);
    p.drawText(QRectF(0, h - 13, w - 6, 12), Qt::AlignRight | Qt::AlignVCenter,
               u"Tickoraマーケット（模擬）"_s);
    return img;
}

QImage drawHalfYearChart(const ChartSeries& s, QSize size)
{
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QList<double> all = closes(s.bars);
    const QList<double> ma130 = movingAverage(all, 130);
    const QList<double> rsi = relativeStrength(all, 14);
    const int n = std::min<int>(125, s.bars.size());
    const qsizetype from = s.bars.size() - n;
    const QList<Bar> shown = s.bars.mid(from);

    const int w = size.width(), h = size.height();
    const double right = w - 54;
    const double usable = h - 40 - 30;
    const QRectF priceRect(6, 40, right - 6, usable * 0.58);
    const QRectF volRect(6, priceRect.bottom() + 4, right - 6, usable * 0.18);
    const QRectF rsiRect(6, volRect.bottom() + 4, right - 6, usable * 0.24 - 8);
    double lo, hi;
    rangeOf(shown, lo, hi);
    widen(ma130.mid(from), lo, hi);
    const Pane price = makePane(priceRect, lo, hi, n);
    const Pane vol = makePane(volRect, 0, maxVolume(shown), n, 0.0);
    const Pane osc{rsiRect, 0, 100, n};

    const double last = s.bars.isEmpty() ? 0 : s.bars.last().close;
    drawTitle(p, size, s.code + u" "_s + s.name + u"  6ヶ月"_s, changeText(last, s.prevClose, s.decimals),
              13);
    drawLegend(p, QPointF(10, 30), {{SecondAverageColor, u"26週移動平均"_s}, {OscillatorColor, u"RSI(14)"_s}},
               10);
    drawValueAxis(p, price, 5, s.decimals, 10);
    drawBands(p, osc, {30, 70}, 9);
    QList<int> slots;
    QStringList labels;
    monthTicks(shown, slots, labels);
    drawTimeAxis(p, {price, vol, osc}, slots, labels, 10);
    drawCandles(p, price, shown);
    drawSeries(p, price, ma130.mid(from), SecondAverageColor);
    drawVolumeBars(p, vol, shown, 9, u"出来高"_s);
    drawSeries(p, osc, rsi.mid(from), OscillatorColor);
    p.setFont(chartFont(9));
    p.setPen(TextColor);
    p.drawText(osc.rect.adjusted(4, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, u"RSI"_s);
    return img;
}

QImage drawNikkeiHalfYearChart(const ChartSeries& s, QSize size)
{
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QList<double> all = closes(s.bars);
    const QList<double> ma65 = movingAverage(all, 65);
    const QList<double> ma130 = movingAverage(all, 130);
    const QList<double> rsi = relativeStrength(all, 14);
    const QList<double> wr = williamsR(s.bars, 14);
    const int n = std::min<int>(125, s.bars.size());
    const qsizetype from = s.bars.size() - n;
    const QList<Bar> shown = s.bars.mid(from);

    const int w = size.width(), h = size.height();
    const double right = w - 62;
    const double usable = h - 40 - 28;
    const QRectF priceRect(6, 40, right - 6, usable * 0.6);
    const QRectF rsiRect(6, priceRect.bottom() + 4, right - 6, usable * 0.2 - 4);
    const QRectF wrRect(6, rsiRect.bottom() + 4, right - 6, usable * 0.2 - 4);
    double lo, hi;
    rangeOf(shown, lo, hi);
    widen(ma65.mid(from), lo, hi);
    widen(ma130.mid(from), lo, hi);
    const Pane price = makePane(priceRect, lo, hi, n);
    const Pane rsiPane{rsiRect, 0, 100, n};
    const Pane wrPane{wrRect, -100, 0, n};

    const double last = s.bars.isEmpty() ? 0 : s.bars.last().close;
    drawTitle(p, size, u"日経平均株価  6ヶ月"_s, changeText(last, s.prevClose, 2), 13);
    drawLegend(p, QPointF(10, 30),
               {{FirstAverageColor, u"13週"_s},
                {SecondAverageColor, u"26週"_s},
                {OscillatorColor, u"RSI(14)"_s},
                {FallingColor, u"W%R(14)"_s}},
               10);
    drawValueAxis(p, price, 5, 0, 10);
    drawBands(p, rsiPane, {30, 70}, 9);
    drawBands(p, wrPane, {-80, -20}, 9);
    QList<int> slots;
    QStringList labels;
    monthTicks(shown, slots, labels);
    drawTimeAxis(p, {price, rsiPane, wrPane}, slots, labels, 10);
    drawCandles(p, price, shown);
    drawSeries(p, price, ma65.mid(from), FirstAverageColor);
    drawSeries(p, price, ma130.mid(from), SecondAverageColor);
    drawSeries(p, rsiPane, rsi.mid(from), OscillatorColor);
    drawSeries(p, wrPane, wr.mid(from), FallingColor);
    p.setFont(chartFont(9));
    p.setPen(TextColor);
    p.drawText(rsiPane.rect.adjusted(4, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, u"RSI"_s);
    p.drawText(wrPane.rect.adjusted(4, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, u"W%R"_s);
    return img;
}

namespace {

/// The previous close as a dashed reference line and the day's path filled towards it.
void drawDayPath(QPainter& p, const Pane& pane, const ChartSeries& s, bool small)
{
    const QRectF plot = pane.rect;
    const double last = s.ticks.isEmpty() ? s.prevClose : s.ticks.last().price;
    const double yPrev = pane.y(s.prevClose);
    p.setPen(QPen(FrameColor, 1, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), yPrev), QPointF(plot.right(), yPrev));
    if (!s.ticks.isEmpty()) {
        QPainterPath line;
        QPainterPath area;
        for (qsizetype i = 0; i < s.ticks.size(); ++i) {
            const QPointF pt(pane.x(double(i)), pane.y(s.ticks[i].price));
            if (i == 0) {
                line.moveTo(pt);
                area.moveTo(pt.x(), yPrev);
            } else {
                line.lineTo(pt);
            }
            area.lineTo(pt);
        }
        area.lineTo(pane.x(double(s.ticks.size() - 1)), yPrev);
        area.closeSubpath();
        const QColor c = last >= s.prevClose ? RisingColor : FallingColor;
        QColor fill = c;
        fill.setAlpha(40);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawPath(area);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(c, small ? 1.2 : 1.5));
        p.drawPath(line);
    }
}

} // namespace

QImage drawIntradayChart(const ChartSeries& s, QSize size)
{
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const bool small = size.height() < 150;
    const int titlePx = small ? 10 : 12;
    const int axisPx = small ? 8 : 9;
    const int w = size.width(), h = size.height();
    const double right = w - (small ? 36 : 46);
    const QRectF plot(4, titlePx + 8, right - 4, h - titlePx - 8 - axisPx - 6);

    double lo = s.prevClose, hi = s.prevClose;
    for (const Tick& t : s.ticks) {
        lo = std::min(lo, t.price);
        hi = std::max(hi, t.price);
    }
    const Pane pane = makePane(plot, lo, hi, SessionSteps, 0.1);
    const double last = s.ticks.isEmpty() ? s.prevClose : s.ticks.last().price;
    const QString title = s.code == u"998407"_s ? s.name : s.code + u" "_s + s.name;
    drawTitle(p, size, title,
              formatNumber(last, s.decimals) + u" "_s + formatChange(last - s.prevClose, s.decimals),
              titlePx);
    drawValueAxis(p, pane, small ? 3 : 4, s.decimals, axisPx);

    QList<int> slots;
    QStringList labels;
    for (int hour : {9, 10, 11, 13, 14, 15}) {
        if (small && (hour == 10 || hour == 14))
            continue;
        slots.append(sessionStepAt(hour * 60));
        labels.append(QString::number(hour));
    }
    drawTimeAxis(p, {pane}, slots, labels, axisPx);

    drawDayPath(p, pane, s, small);
    return img;
}

QImage drawComparisonChart(const ChartSeries& dow, const ChartSeries& nikkei, QSize size)
{
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int n = static_cast<int>(std::min<qsizetype>({63, dow.bars.size(), nikkei.bars.size()}));
    auto percent = [n](const ChartSeries& s) {
        QList<double> out;
        const QList<Bar> b = s.bars.mid(s.bars.size() - n);
        for (const Bar& bar : b)
            out.append(100.0 * (bar.close / b.first().close - 1));
        return out;
    };
    const QList<double> d = percent(dow), k = percent(nikkei);
    double lo = 0, hi = 0;
    widen(d, lo, hi);
    widen(k, lo, hi);
    const int w = size.width(), h = size.height();
    const QRectF plot(4, 34, w - 40, h - 34 - 18);
    const Pane pane = makePane(plot, lo, hi, n);
    drawTitle(p, size, u"ＮＹダウ・日経平均 比較"_s, u"3ヶ月 (%)"_s, 11);
    drawLegend(p, QPointF(8, 25), {{FallingColor, u"NYダウ"_s}, {RisingColor, u"日経平均"_s}}, 9);
    drawValueAxis(p, pane, 4, 1, 9);
    QList<int> slots;
    QStringList labels;
    monthTicks(nikkei.bars.mid(nikkei.bars.size() - n), slots, labels);
    drawTimeAxis(p, {pane}, slots, labels, 9);
    p.setPen(QPen(FrameColor, 1, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), pane.y(0)), QPointF(plot.right(), pane.y(0)));
    drawSeries(p, pane, d, FallingColor, 1.5);
    drawSeries(p, pane, k, RisingColor, 1.5);
    return img;
}

QImage drawAdvanceDeclineChart(const ChartSeries& nikkei, const QList<double>& ratio, QSize size)
{
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int n = static_cast<int>(std::min<qsizetype>(125, std::min(nikkei.bars.size(), ratio.size())));
    const QList<double> r = ratio.mid(ratio.size() - n);
    const QList<Bar> bars = nikkei.bars.mid(nikkei.bars.size() - n);
    const int w = size.width(), h = size.height();
    const double right = w - 60;
    const double usable = h - 40 - 26;
    const QRectF ratioRect(8, 40, right - 8, usable * 0.55);
    const QRectF indexRect(8, ratioRect.bottom() + 6, right - 8, usable * 0.45 - 6);
    double lo = 70, hi = 130;
    widen(r, lo, hi);
    const Pane ratioPane = makePane(ratioRect, lo, hi, n);
    double ilo, ihi;
    rangeOf(bars, ilo, ihi);
    const Pane indexPane = makePane(indexRect, ilo, ihi, n);

    const double lastRatio = r.isEmpty() ? 0 : r.last();
    drawTitle(p, size, u"日経平均 騰落レシオ（25日）"_s,
              u"騰落レシオ "_s + QString::number(lastRatio, 'f', 2) + u"%  "_s +
                  nikkei.date.toString(u"yyyy/MM/dd"_s),
              14);
    drawLegend(p, QPointF(12, 30), {{OscillatorColor, u"騰落レシオ(25日)"_s}, {RisingColor, u"日経平均"_s}},
               10);
    drawValueAxis(p, ratioPane, 5, 0, 10);
    // Overbought and oversold zones.
    p.setPen(QPen(RisingColor, 1, Qt::DashLine));
    p.drawLine(QPointF(ratioRect.left(), ratioPane.y(120)), QPointF(ratioRect.right(), ratioPane.y(120)));
    p.setPen(QPen(FallingColor, 1, Qt::DashLine));
    p.drawLine(QPointF(ratioRect.left(), ratioPane.y(70)), QPointF(ratioRect.right(), ratioPane.y(70)));
    p.setPen(QPen(FrameColor, 1, Qt::DotLine));
    p.drawLine(QPointF(ratioRect.left(), ratioPane.y(100)), QPointF(ratioRect.right(), ratioPane.y(100)));
    p.setFont(chartFont(9));
    p.setPen(RisingColor);
    p.drawText(QPointF(ratioRect.left() + 4, ratioPane.y(120) - 3), u"120 買われすぎ"_s);
    p.setPen(FallingColor);
    p.drawText(QPointF(ratioRect.left() + 4, ratioPane.y(70) + 11), u"70 売られすぎ"_s);
    drawValueAxis(p, indexPane, 4, 0, 10);
    QList<int> slots;
    QStringList labels;
    monthTicks(bars, slots, labels);
    drawTimeAxis(p, {ratioPane, indexPane}, slots, labels, 10);
    drawSeries(p, ratioPane, r, OscillatorColor, 1.6);
    drawSeries(p, indexPane, closes(bars), RisingColor, 1.4);
    return img;
}

QImage drawDowChart(const ChartSeries& dow, QSize size)
{
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QList<double> ma25 = movingAverage(closes(dow.bars), 25);
    const int n = std::min<int>(63, dow.bars.size());
    const qsizetype from = dow.bars.size() - n;
    const QList<Bar> shown = dow.bars.mid(from);
    const int w = size.width(), h = size.height();
    const double right = w - 64;
    const double usable = h - 44 - 26;
    const QRectF priceRect(8, 44, right - 8, usable * 0.75);
    const QRectF volRect(8, priceRect.bottom() + 4, right - 8, usable * 0.25 - 4);
    double lo, hi;
    rangeOf(shown, lo, hi);
    widen(ma25.mid(from), lo, hi);
    const Pane price = makePane(priceRect, lo, hi, n);
    const Pane vol = makePane(volRect, 0, maxVolume(shown), n, 0.0);
    const double last = shown.isEmpty() ? 0 : shown.last().close;
    const double prev = shown.size() > 1 ? shown[shown.size() - 2].close : last;
    drawTitle(p, size, u"NYダウ工業株30種平均 (.DJI)  3ヶ月"_s,
              changeText(last, prev, 2) + u"  "_s +
                  (shown.isEmpty() ? QString() : shown.last().date.toString(u"yyyy/MM/dd"_s)),
              14);
    drawLegend(p, QPointF(12, 32), {{FirstAverageColor, u"25日移動平均"_s}}, 10);
    drawValueAxis(p, price, 6, 0, 10);
    QList<int> slots;
    QStringList labels;
    for (qsizetype i = 0; i < shown.size(); i += 10) {
        slots.append(int(i));
        labels.append(shown[i].date.toString(u"M/d"_s));
    }
    drawTimeAxis(p, {price, vol}, slots, labels, 10);
    drawCandles(p, price, shown);
    drawSeries(p, price, ma25.mid(from), FirstAverageColor);
    drawVolumeBars(p, vol, shown, 9, u"出来高"_s);
    return img;
}

QImage drawUsdJpyChart(const FxSeries& fx, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(0xf7, 0xf7, 0xf4));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int n = static_cast<int>(fx.bars.size());
    const int w = size.width(), h = size.height();
    const QRectF plot(6, 36, w - 6 - 50, h - 36 - 22);
    double lo, hi;
    rangeOf(fx.bars, lo, hi);
    const Pane pane = makePane(plot, lo, hi, n);
    p.fillRect(plot, Qt::white);
    const double last = fx.bars.isEmpty() ? 0 : fx.bars.last().close;
    const double first = fx.bars.isEmpty() ? 0 : fx.bars.first().open;
    drawTitle(p, size, u"USD/JPY 1分足"_s, QString::number(last, 'f', 3), 13);
    p.setFont(chartFont(10));
    p.setPen(last >= first ? RisingColor : FallingColor);
    p.drawText(
        QRectF(8, 18, w - 16, 14), Qt::AlignLeft | Qt::AlignVCenter,
        u"米ドル/円  "_s + (last >= first ? u"+"_s : QString()) + QString::number(last - first, 'f', 3) +
            (fx.times.isEmpty() ? QString() : u"  "_s + fx.times.last().toString(u"yyyy/MM/dd HH:mm"_s)));
    drawValueAxis(p, pane, 6, 3, 9);
    QList<int> slots;
    QStringList labels;
    for (int i = 0; i < n; ++i)
        if (fx.times[i].time().minute() % 30 == 0) {
            slots.append(i);
            labels.append(fx.times[i].toString(u"HH:mm"_s));
        }
    drawTimeAxis(p, {pane}, slots, labels, 9);
    drawCandles(p, pane, fx.bars);
    return img;
}

QImage drawNoDataChart(const QString& symbol, QSize size)
{
    QImage img = blankImage(size);
    QPainter p(&img);
    p.setPen(QPen(FrameColor, 1));
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    p.setPen(TextColor);
    p.setFont(chartFont(std::clamp(size.height() / 10, 9, 16), true));
    p.drawText(QRectF(QPointF(0, 0), QSizeF(size)), Qt::AlignCenter | Qt::TextWordWrap,
               symbol + u"\nチャートはありません"_s);
    return img;
}

QByteArray encodePng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace tickora::market
