// The price series as chart JSON: /v8/finance/chart/SYMBOL.

#include "routes.h"
#include "server.h"

#include "charts.h"
#include "charts/seriesreader.h"

#include <QJsonDocument>
#include <QJsonObject>
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
    if (symbol == u"^N225"_s) {
        series = seriesOfSpan(m_market.nikkeiSeries(), symbol, *span, TokyoGmtOffset);
    } else if (symbol == u"^DJI"_s) {
        series = seriesOfSpan(m_market.dowSeries(), symbol, *span, NewYorkGmtOffset);
    } else if (symbol == u"JPY=X"_s) {
        series = fxSeriesOfSpan(m_market.nextUsdJpy(1000), *span);
    } else if (symbol.endsWith(u".T"_s)) {
        if (const auto stock = m_market.stockSeries(symbol))
            series = seriesOfSpan(*stock, symbol, *span, TokyoGmtOffset);
    }
    if (!series) {
        res.status = 404;
        res.set_content(chartError(u"Not Found"_s, u"No data found, symbol may be delisted"_s), JsonType);
        return;
    }
    res.set_content(chartJsonFromSeries(*series).toStdString(), JsonType);
}

} // namespace tickora::market
