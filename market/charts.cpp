#include "charts.h"

#include "charts/chartpainter.h"

#include <QBuffer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

constexpr int TokyoOffset = TokyoGmtOffset;
constexpr int NewYorkOffset = NewYorkGmtOffset;
// The sessions' minutes of the day: the day's line fills the axis by 15:30, with a gap at lunch.
constexpr int SessionStart = 9 * 60;
constexpr int MorningClose = 11 * 60 + 30;
constexpr int AfternoonOpen = 12 * 60 + 30;
constexpr int SessionEnd = 15 * 60 + 30;

/// Unix time of local midnight of a date at a fixed offset from UTC.
qint64 midnight(QDate date, int gmtOffset)
{
    return date.startOfDay(Qt::UTC).toSecsSinceEpoch() - gmtOffset;
}

/// The daily bars of a walk as a price series of the exchange at `gmtOffset`.
PriceSeries dailySeries(const ChartSeries& s, int gmtOffset)
{
    PriceSeries p;
    p.symbol = s.code;
    p.name = s.name;
    p.currency = u"JPY"_s;
    p.previousClose = s.prevClose;
    p.gmtOffset = gmtOffset;
    p.bars.reserve(s.bars.size());
    for (const Bar& b : s.bars)
        p.bars.append({midnight(b.date, gmtOffset), b.open, b.high, b.low, b.close, double(b.volume)});
    if (!s.bars.isEmpty())
        p.lastPrice = s.bars.last().close;
    return p;
}

/// The current day's minutes as one bar each, with the volume traded in that minute.
PriceSeries minuteSeries(const ChartSeries& s)
{
    ChartSeries closed = s;
    closed.bars.clear();
    PriceSeries p = dailySeries(closed, TokyoOffset);
    const qint64 day = midnight(s.date, TokyoOffset);
    qint64 volume = 0;
    for (const Tick& t : s.ticks) {
        p.bars.append({day + t.minute * 60, t.price, t.price, t.price, t.price,
                       double(std::max<qint64>(0, t.volume - volume))});
        volume = t.volume;
    }
    if (!s.ticks.isEmpty())
        p.lastPrice = s.ticks.last().price;
    return p;
}

/// Bars merged into periods of `seconds`, each period starting at a multiple of it.
QList<PriceBar> mergedInto(const QList<PriceBar>& bars, qint64 seconds, int gmtOffset)
{
    QList<PriceBar> out;
    for (const PriceBar& b : bars) {
        const qint64 local = b.time + gmtOffset;
        const qint64 start = local - (local % seconds + seconds) % seconds - gmtOffset;
        if (!out.isEmpty() && out.last().time == start) {
            PriceBar& m = out.last();
            m.high = std::max(m.high, b.high);
            m.low = std::min(m.low, b.low);
            m.close = b.close;
            m.volume += b.volume;
        } else {
            out.append(b);
            out.last().time = start;
        }
    }
    return out;
}

/// The bars of the last `span` before the last bar's day (that day included).
QList<PriceBar> lastBarsOf(const QList<PriceBar>& bars, SeriesSpan span, int gmtOffset)
{
    if (bars.isEmpty())
        return bars;
    const QDate last = QDateTime::fromSecsSinceEpoch(bars.last().time + gmtOffset, Qt::UTC).date();
    const QDate first = span == SeriesSpan::Year ? last.addYears(-1) : last.addMonths(-6);
    const qint64 from = midnight(first, gmtOffset);
    QList<PriceBar> out;
    for (const PriceBar& b : bars)
        if (b.time >= from)
            out.append(b);
    return out;
}

ChartOptions options(const QString& title, int decimals, int windowDays = 0)
{
    ChartOptions o;
    o.title = title;
    o.decimals = decimals;
    o.windowDays = windowDays;
    return o;
}

QString stockTitle(const ChartSeries& s, const QString& span)
{
    return s.code + u" "_s + s.name + u"  "_s + span;
}

} // namespace

std::optional<SeriesSpan> seriesSpanOf(const QString& range)
{
    if (range == u"1d"_s)
        return SeriesSpan::Day;
    if (range == u"6mo"_s)
        return SeriesSpan::SixMonths;
    if (range == u"1y"_s)
        return SeriesSpan::Year;
    return std::nullopt;
}

PriceSeries seriesOfSpan(const ChartSeries& s, const QString& symbol, SeriesSpan span, int gmtOffset)
{
    PriceSeries p;
    if (span == SeriesSpan::Day) {
        p = minuteSeries(s);
        p.gmtOffset = gmtOffset;
        const qint64 shift = qint64(TokyoOffset) - gmtOffset; // the minutes are counted in Tokyo time
        for (PriceBar& b : p.bars)
            b.time += shift;
        p.bars = mergedInto(p.bars, 5 * 60, gmtOffset);
    } else {
        p = dailySeries(s, gmtOffset);
        p.bars = lastBarsOf(p.bars, span, gmtOffset);
    }
    p.symbol = symbol;
    return p;
}

PriceSeries fxSeriesOfSpan(const FxSeries& fx, SeriesSpan span)
{
    PriceSeries p;
    p.symbol = u"JPY=X"_s;
    p.name = u"USD/JPY"_s;
    p.currency = u"JPY"_s;
    p.gmtOffset = TokyoOffset;
    const qsizetype n = std::min(fx.bars.size(), fx.times.size());
    QList<PriceBar> minutes;
    for (qsizetype i = 0; i < n; ++i) {
        const Bar& b = fx.bars[i];
        minutes.append({fx.times[i].toSecsSinceEpoch(), b.open, b.high, b.low, b.close, 0});
    }
    if (span == SeriesSpan::Day) {
        QList<PriceBar> day = mergedInto(minutes, 24 * 3600, TokyoOffset);
        if (!day.isEmpty()) {
            const qint64 start = day.last().time;
            QList<PriceBar> today;
            for (const PriceBar& b : minutes)
                if (b.time >= start)
                    today.append(b);
            p.bars = mergedInto(today, 5 * 60, TokyoOffset);
        }
        if (day.size() > 1)
            p.previousClose = day[day.size() - 2].close;
    } else {
        p.bars = lastBarsOf(mergedInto(minutes, 24 * 3600, TokyoOffset), span, TokyoOffset);
    }
    if (!p.bars.isEmpty())
        p.lastPrice = p.bars.last().close;
    return p;
}

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
    return tickora::drawYearChart(dailySeries(s, TokyoOffset), size,
                                  options(stockTitle(s, u"1年"_s), s.decimals))
        .image;
}

QImage drawHalfYearChart(const ChartSeries& s, QSize size)
{
    return tickora::drawHalfYearChart(dailySeries(s, TokyoOffset), size,
                                      options(stockTitle(s, u"6ヶ月"_s), s.decimals))
        .image;
}

QImage drawNikkeiHalfYearChart(const ChartSeries& s, QSize size)
{
    return tickora::drawIndexHalfYearChart(dailySeries(s, TokyoOffset), size,
                                           options(u"日経平均株価  6ヶ月"_s, s.decimals))
        .image;
}

QImage drawIntradayChart(const ChartSeries& s, QSize size)
{
    ChartOptions o = options(s.code == u"998407"_s ? s.name : s.code + u" "_s + s.name, s.decimals);
    o.sessionStartMinute = SessionStart;
    o.sessionEndMinute = SessionEnd;
    o.breakStartMinute = MorningClose;
    o.breakEndMinute = AfternoonOpen;
    return tickora::drawIntradayChart(minuteSeries(s), size, o).image;
}

QImage drawComparisonChart(const ChartSeries& dow, const ChartSeries& nikkei, QSize size)
{
    return tickora::drawComparisonChart(dailySeries(dow, NewYorkOffset), dailySeries(nikkei, TokyoOffset),
                                        size, options(u"ＮＹダウ・日経平均 3ヶ月"_s, 1, 92))
        .image;
}

QImage drawAdvanceDeclineChart(const ChartSeries& nikkei, const QList<double>& ratio, QSize size)
{
    return tickora::drawRatioChart(dailySeries(nikkei, TokyoOffset), ratio, size,
                                   options(u"日経平均 騰落レシオ（25日）"_s, nikkei.decimals, 184))
        .image;
}

QImage drawDowChart(const ChartSeries& dow, QSize size)
{
    return tickora::drawLineChart(dailySeries(dow, NewYorkOffset), size,
                                  options(u"NYダウ工業株30種平均 (.DJI)  3ヶ月"_s, dow.decimals, 92))
        .image;
}

QImage drawUsdJpyChart(const FxSeries& fx, QSize size)
{
    PriceSeries p;
    p.symbol = u"JPY=X"_s;
    p.currency = u"JPY"_s;
    p.gmtOffset = TokyoOffset;
    const qsizetype n = std::min(fx.bars.size(), fx.times.size());
    for (qsizetype i = 0; i < n; ++i) {
        const Bar& b = fx.bars[i];
        p.bars.append({fx.times[i].toSecsSinceEpoch(), b.open, b.high, b.low, b.close, 0});
    }
    return tickora::drawLineChart(p, size, options(u"USD/JPY 1分足"_s, 3)).image;
}

QImage drawNoDataChart(const QString& symbol, QSize size)
{
    return drawEmptyChart(ChartKind::Line, size, symbol).image;
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
