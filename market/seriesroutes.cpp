// The price series as chart JSON: /v8/finance/chart/SYMBOL.

#include "routes.h"
#include "server.h"

#include "charts.h"
#include "charts/seriesreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

/// The chart JSON service's answer for a request it cannot serve.
std::string chartError(const QString& code, const QString& description)
{
    QJsonObject error{{u"code"_s, code}, {u"description"_s, description}};
    QJsonObject chart{{u"result"_s, QJsonValue::Null}, {u"error"_s, error}};
    return QJsonDocument(QJsonObject{{u"chart"_s, chart}}).toJson(QJsonDocument::Compact).toStdString();
}

/// The chart JSON of a Tokyo walk, with the figures of its current day in `meta` as the service
/// gives them: previous close, the day's high, low and volume, and the time of the last trade.
std::string withDayFigures(const PriceSeries& series, const ChartSeries& walk)
{
    QJsonObject root = QJsonDocument::fromJson(chartJsonFromSeries(series)).object();
    QJsonObject chart = root.value(u"chart"_s).toObject();
    QJsonArray results = chart.value(u"result"_s).toArray();
    QJsonObject result = results.first().toObject();
    QJsonObject meta = result.value(u"meta"_s).toObject();
    meta.insert(u"previousClose"_s, walk.prevClose);
    qint64 volume = 0;
    if (!walk.ticks.isEmpty()) {
        double high = walk.ticks.first().price, low = high;
        for (const Tick& t : walk.ticks) {
            high = std::max(high, t.price);
            low = std::min(low, t.price);
        }
        meta.insert(u"regularMarketDayHigh"_s, high);
        meta.insert(u"regularMarketDayLow"_s, low);
        volume = walk.ticks.last().volume;
        const QDateTime last(walk.date, QTime(0, 0), QTimeZone(TokyoGmtOffset));
        meta.insert(u"regularMarketTime"_s, last.toSecsSinceEpoch() + walk.ticks.last().minute * 60);
    }
    meta.insert(u"regularMarketVolume"_s, volume);
    result.insert(u"meta"_s, meta);
    results.replace(0, result);
    chart.insert(u"result"_s, results);
    root.insert(u"chart"_s, chart);
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace

bool MarketServer::serveSeries(const QString& path, const httplib::Request& req, httplib::Response& res)
{
    if (!path.startsWith(u"/v8/finance/chart/"_s))
        return false;
    // The symbol is one path segment, percent-encoded by careful clients ("%5EN225").
    answerSeries(QUrl::fromPercentEncoding(path.mid(18).toUtf8()), req, res);
    return true;
}

void MarketServer::answerSeries(const QString& symbol, const httplib::Request& req, httplib::Response& res)
{
    const QString range = param(req, "range");
    const auto span = seriesSpanOf(range);
    if (!span) {
        res.status = 400;
        res.set_content(chartError(u"Bad Request"_s, u"Invalid range: "_s + range), JsonType);
        return;
    }
    std::optional<PriceSeries> series;
    std::optional<ChartSeries> tokyo; // a walk of the Tokyo exchange, whose day figures go in meta
    if (symbol == u"^N225"_s) {
        tokyo = m_market.nikkeiSeries();
    } else if (symbol == u"^DJI"_s) {
        series = seriesOfSpan(m_market.dowSeries(), symbol, *span, NewYorkGmtOffset);
    } else if (symbol == u"JPY=X"_s) {
        series = fxSeriesOfSpan(m_market.nextUsdJpy(1000), *span);
    } else if (symbol.endsWith(u".T"_s)) {
        tokyo = m_market.stockSeries(symbol);
    }
    if (tokyo) {
        res.set_content(withDayFigures(seriesOfSpan(*tokyo, symbol, *span, TokyoGmtOffset), *tokyo),
                        JsonType);
        return;
    }
    if (!series) {
        res.status = 404;
        res.set_content(chartError(u"Not Found"_s, u"No data found, symbol may be delisted"_s), JsonType);
        return;
    }
    res.set_content(chartJsonFromSeries(*series).toStdString(), JsonType);
}

} // namespace tickora::market
