#include "charts/chartcanvas.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

const QLocale& numberLocale()
{
    static const QLocale l(QLocale::Japanese, QLocale::Japan);
    return l;
}

} // namespace

namespace chartdraw {

bool usable(double v)
{
    return std::isfinite(v) && std::abs(v) <= LargestValue;
}

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

QString lastValueText(const QString& label, double last, double reference, int decimals)
{
    QString t = label + u" "_s + number(last, decimals);
    if (usable(reference) && reference != 0)
        t += u" "_s + signedNumber(last - reference, decimals) + u" ("_s +
             signedNumber(100.0 * (last / reference - 1.0), 2) + u"%)"_s;
    return t;
}

QFont chartFont(double pixelSize, bool bold)
{
    QFont f(u"IPAPGothic"_s);
    f.setPixelSize(std::max(7, int(pixelSize)));
    f.setBold(bold);
    return f;
}

int fontPixels(QSize size)
{
    return std::clamp(size.height() / 28, 8, 12);
}

void setRange(ChartPane& pane, double lo, double hi, double margin)
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

QString titleOf(const PriceSeries& s, const ChartOptions& o)
{
    if (!o.title.isEmpty())
        return o.title;
    return s.name.isEmpty() ? s.symbol : s.name;
}

DrawnChart emptyChart(ChartKind kind, QSize size, const QString& title, double devicePixelRatio)
{
    Canvas c(kind, size, devicePixelRatio);
    c.title(title, QString());
    return c.finish(true);
}

qsizetype windowStart(const QList<PriceBar>& bars, int days)
{
    if (days <= 0 || bars.isEmpty())
        return 0;
    const qint64 from = bars.last().time - qint64(days) * Day;
    const auto it = std::lower_bound(bars.begin(), bars.end(), from,
                                     [](const PriceBar& b, qint64 t) { return b.time < t; });
    return qsizetype(it - bars.begin());
}

Canvas::Canvas(ChartKind kind, QSize size, double devicePixelRatio)
    : m_layout(chartLayout(kind, size)),
      m_image((QSizeF(m_layout.size) * drawingRatio(devicePixelRatio)).toSize(), QImage::Format_RGB32)
{
    // The painter works in units of the layout; the picture holds the screen's every pixel.
    m_image.setDevicePixelRatio(drawingRatio(devicePixelRatio));
    m_image.fill(Qt::white);
    m_px = fontPixels(m_layout.size);
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing);
}

ChartPane& Canvas::pane(PaneRole role)
{
    for (ChartPane& p : m_layout.panes)
        if (p.role == role)
            return p;
    return m_layout.panes.first();
}

void Canvas::title(const QString& left, const QString& right, const QString& whole)
{
    const QRectF r = m_layout.title;
    m_painter.setPen(Text);
    m_painter.setFont(chartFont(m_px));
    const double rightWidth = right.isEmpty() ? 0 : QFontMetricsF(m_painter.font()).horizontalAdvance(right);
    m_painter.drawText(r, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, right);
    m_painter.setFont(chartFont(m_px, true));
    const QFontMetricsF bold(m_painter.font());
    const double room = std::max(0.0, r.width() - rightWidth - 6 - bold.horizontalAdvance(whole));
    m_titleShown = bold.elidedText(left, Qt::ElideRight, room) + whole;
    m_painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_titleShown);
}

void Canvas::valueAxis(const ChartPane& pane, int decimals, bool labels)
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

void Canvas::bands(const ChartPane& pane, std::initializer_list<double> levels, const QString& name)
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

void Canvas::label(const ChartPane& pane, const QString& text)
{
    m_painter.setFont(chartFont(m_px - 1));
    m_painter.setPen(Text);
    m_painter.drawText(pane.rect.adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
}

void Canvas::frame(const ChartPane& pane)
{
    m_painter.setPen(QPen(Frame, 1));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(pane.rect);
}

void Canvas::timeTick(double x, const QString& text)
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

void Canvas::monthTicks(const QList<PriceBar>& bars, int gmtOffset, const std::function<double(qsizetype)>& x)
{
    for (qsizetype i = 1; i < bars.size(); ++i) {
        const QDate a = localTime(bars[i - 1].time, gmtOffset).date();
        const QDate b = localTime(bars[i].time, gmtOffset).date();
        if (a.month() == b.month() && a.year() == b.year())
            continue;
        timeTick(x(i),
                 b.month() == 1 ? QString::number(b.year()) + u"/1"_s : QString::number(b.month()) + u"月"_s);
    }
}

void Canvas::candles(const ChartPane& pane, const Slots& slots, const QList<PriceBar>& bars)
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

void Canvas::line(const ChartPane& pane, const QList<double>& values,
                  const std::function<double(qsizetype)>& x, QRgb color, double width)
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

void Canvas::volumes(ChartPane& pane, const Slots& slots, const QList<PriceBar>& bars)
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

void Canvas::legend(const ChartPane& pane, const QList<std::pair<QRgb, QString>>& items)
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

QString Canvas::compactVolume(double v)
{
    if (v >= 1e8)
        return number(v / 1e8, 1) + u"億"_s;
    if (v >= 1e4)
        return number(v / 1e4, 0) + u"万"_s;
    return number(v, 0);
}

DrawnChart Canvas::finish(qsizetype shown, const QString& lastText, const QString& rangeText)
{
    DrawnChart d = finish();
    d.shownBars = shown;
    d.lastText = lastText;
    d.rangeText = rangeText;
    return d;
}

DrawnChart Canvas::finish(bool empty)
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
    d.titleShown = m_titleShown;
    return d;
}

} // namespace chartdraw

} // namespace tickora
