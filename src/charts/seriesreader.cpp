#include "charts/seriesreader.h"

#include "exchange/numbertext.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// Times before 1970 or after 9999 are not bar times; they also keep seconds-to-milliseconds safe.
constexpr qint64 LatestTime = 253402300799;

double finiteOr(const QJsonValue& v, double fallback)
{
    if (!v.isDouble())
        return fallback;
    const double d = v.toDouble();
    return std::isfinite(d) ? d : fallback;
}

/// A number, or a numeric text (thousands separators in groups of three); NaN otherwise.
double looseNumber(const QJsonValue& v)
{
    if (v.isDouble())
        return std::isfinite(v.toDouble()) ? v.toDouble() : NaN;
    return v.isString() ? numberFromText(v.toString()) : NaN;
}

/// A bar from its five values: NaN close means no bar; the others fall back and are made
/// consistent (low <= open, close <= high).
std::optional<PriceBar> makeBar(qint64 time, double open, double high, double low, double close,
                                double volume)
{
    if (!std::isfinite(close) || time < 0 || time > LatestTime)
        return std::nullopt;
    PriceBar b;
    b.time = time;
    b.close = close;
    b.open = std::isfinite(open) ? open : close;
    b.high = std::max({std::isfinite(high) ? high : close, b.open, close});
    b.low = std::min({std::isfinite(low) ? low : close, b.open, close});
    b.volume = std::isfinite(volume) ? std::max(0.0, volume) : 0;
    return b;
}

/// Time order, one bar per time: the later of two bars with the same time wins.
void orderBars(QList<PriceBar>& bars)
{
    std::stable_sort(bars.begin(), bars.end(),
                     [](const PriceBar& a, const PriceBar& b) { return a.time < b.time; });
    QList<PriceBar> out;
    out.reserve(bars.size());
    for (const PriceBar& b : std::as_const(bars)) {
        if (!out.isEmpty() && out.last().time == b.time)
            out.last() = b;
        else
            out.append(b);
    }
    bars = std::move(out);
}

std::optional<QJsonObject> chartObject(const QByteArray& body, qsizetype maxBytes)
{
    if (body.size() > maxBytes)
        return std::nullopt;
    // A body that is no JSON object reads as an empty object, which has no chart either.
    const QJsonValue chart = QJsonDocument::fromJson(body).object().value(u"chart"_s);
    if (!chart.isObject())
        return std::nullopt;
    return chart.toObject();
}

QJsonValue numberOrNull(double v)
{
    return std::isfinite(v) ? QJsonValue(v) : QJsonValue(QJsonValue::Null);
}

} // namespace

QString chartRequestPath(const QString& symbol, ChartRange range, ChartInterval interval)
{
    const QString r = range == ChartRange::OneDay      ? u"1d"_s
                      : range == ChartRange::SixMonths ? u"6mo"_s
                                                       : u"1y"_s;
    const QString i = interval == ChartInterval::FiveMinutes ? u"5m"_s : u"1d"_s;
    return u"/v8/finance/chart/"_s + QString::fromLatin1(QUrl::toPercentEncoding(symbol)) + u"?range="_s + r +
           u"&interval="_s + i;
}

std::optional<PriceSeries> readChartJson(const QByteArray& body, qsizetype maxBytes)
{
    const auto chart = chartObject(body, maxBytes);
    if (!chart)
        return std::nullopt;
    const QJsonArray results = chart->value(u"result"_s).toArray();
    if (results.isEmpty() || !results.first().isObject())
        return std::nullopt;
    const QJsonObject result = results.first().toObject();

    PriceSeries s;
    const QJsonObject meta = result.value(u"meta"_s).toObject();
    s.symbol = meta.value(u"symbol"_s).toString();
    s.name = meta.value(u"shortName"_s).toString();
    s.currency = meta.value(u"currency"_s).toString();
    s.previousClose =
        finiteOr(meta.value(u"chartPreviousClose"_s), finiteOr(meta.value(u"previousClose"_s), NaN));
    s.lastPrice = finiteOr(meta.value(u"regularMarketPrice"_s), NaN);
    // Offsets beyond a day are not time zones.
    const double offset = finiteOr(meta.value(u"gmtoffset"_s), 0);
    s.gmtOffset = std::abs(offset) <= 86400 ? int(offset) : 0;

    const QJsonValue timestampValue = result.value(u"timestamp"_s);
    if (timestampValue.isUndefined() || timestampValue.isNull())
        return s; // a symbol without trades in the range
    if (!timestampValue.isArray())
        return std::nullopt;
    const QJsonArray times = timestampValue.toArray();
    const QJsonArray quotes = result.value(u"indicators"_s).toObject().value(u"quote"_s).toArray();
    if (quotes.isEmpty() || !quotes.first().isObject())
        return times.isEmpty() ? std::optional(s) : std::nullopt;
    const QJsonObject quote = quotes.first().toObject();

    // Each quote array present must run alongside the times; close must be present.
    QJsonArray columns[5];
    const QString names[5] = {u"open"_s, u"high"_s, u"low"_s, u"close"_s, u"volume"_s};
    for (int k = 0; k < 5; ++k) {
        const QJsonValue v = quote.value(names[k]);
        if ((v.isUndefined() || v.isNull()) && k != 3)
            continue;
        if (!v.isArray() || v.toArray().size() != times.size())
            return std::nullopt;
        columns[k] = v.toArray();
    }
    auto at = [&](int k, qsizetype i) {
        return columns[k].isEmpty() ? NaN : finiteOr(columns[k].at(i), NaN);
    };

    s.bars.reserve(times.size());
    for (qsizetype i = 0; i < times.size(); ++i) {
        const double t = finiteOr(times.at(i), NaN);
        if (!std::isfinite(t) || t != std::floor(t) || t < 0 || t > double(LatestTime))
            continue;
        if (const auto bar = makeBar(qint64(t), at(0, i), at(1, i), at(2, i), at(3, i), at(4, i)))
            s.bars.append(*bar);
    }
    orderBars(s.bars);
    return s;
}

QString chartJsonErrorCode(const QByteArray& body, qsizetype maxBytes)
{
    const auto chart = chartObject(body, maxBytes);
    if (!chart)
        return {};
    return chart->value(u"error"_s).toObject().value(u"code"_s).toString();
}

QByteArray chartJsonFromSeries(const PriceSeries& series)
{
    QJsonObject meta{
        {u"symbol"_s, series.symbol}, {u"currency"_s, series.currency}, {u"gmtoffset"_s, series.gmtOffset}};
    if (!series.name.isEmpty())
        meta.insert(u"shortName"_s, series.name);
    if (std::isfinite(series.previousClose))
        meta.insert(u"chartPreviousClose"_s, series.previousClose);
    if (std::isfinite(series.lastPrice))
        meta.insert(u"regularMarketPrice"_s, series.lastPrice);
    QJsonArray times, open, high, low, close, volume;
    for (const PriceBar& b : series.bars) {
        times.append(b.time);
        open.append(numberOrNull(b.open));
        high.append(numberOrNull(b.high));
        low.append(numberOrNull(b.low));
        close.append(numberOrNull(b.close));
        volume.append(numberOrNull(b.volume));
    }
    const QJsonObject quote{
        {u"open"_s, open}, {u"high"_s, high}, {u"low"_s, low}, {u"close"_s, close}, {u"volume"_s, volume}};
    const QJsonObject result{{u"meta"_s, meta},
                             {u"timestamp"_s, times},
                             {u"indicators"_s, QJsonObject{{u"quote"_s, QJsonArray{quote}}}}};
    const QJsonObject chart{{u"result"_s, QJsonArray{result}}, {u"error"_s, QJsonValue(QJsonValue::Null)}};
    return QJsonDocument(QJsonObject{{u"chart"_s, chart}}).toJson(QJsonDocument::Compact);
}

QList<PriceBar> readHistories(const QJsonObject& pageState)
{
    const QJsonArray items = pageState.value(u"mainItemDetailChartSetting"_s)
                                 .toObject()
                                 .value(u"timeSeriesData"_s)
                                 .toObject()
                                 .value(u"histories"_s)
                                 .toArray();
    QList<PriceBar> bars;
    bars.reserve(items.size());
    for (const QJsonValue& v : items) {
        if (!v.isObject())
            continue;
        const QJsonObject item = v.toObject();
        const QDateTime when = QDateTime::fromString(item.value(u"baseDatetime"_s).toString(), Qt::ISODate);
        if (!when.isValid())
            continue;
        if (const auto bar =
                makeBar(when.toSecsSinceEpoch(), looseNumber(item.value(u"openPrice"_s)),
                        looseNumber(item.value(u"highPrice"_s)), looseNumber(item.value(u"lowPrice"_s)),
                        looseNumber(item.value(u"closePrice"_s)), looseNumber(item.value(u"volume"_s))))
            bars.append(*bar);
    }
    orderBars(bars);
    return bars;
}

} // namespace tickora
