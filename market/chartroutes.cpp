// The chart pictures: candles, intraday lines, the Dow, dollar-yen and the advance/decline ratio.

#include "routes.h"
#include "server.h"

#include "charts.h"

using namespace Qt::StringLiterals;

namespace tickora::market {

bool MarketServer::serveChart(const QString& path, const httplib::Request& req, httplib::Response& res)
{
    const QByteArray png = chartPng(path, req);
    if (png.isEmpty())
        return false;
    res.set_content(png.toStdString(), PngType);
    return true;
}

QByteArray MarketServer::chartPng(const QString& path, const httplib::Request& req)
{
    const QString symbol = param(req, "s");
    auto stock = [&](auto draw, QSize size) -> QByteArray {
        const auto series = m_market.stockSeries(symbol);
        std::lock_guard lock(m_drawMutex);
        return encodePng(series ? draw(*series, size) : drawNoDataChart(symbol, size));
    };
    if (path == u"/b"_s)
        return stock([](const ChartSeries& s, QSize z) { return drawYearChart(s, z); }, YearChartSize);
    if (path == u"/z"_s) {
        if (symbol.startsWith(u"998407"_s)) {
            const ChartSeries n = m_market.nikkeiSeries();
            std::lock_guard lock(m_drawMutex);
            return encodePng(drawNikkeiHalfYearChart(n));
        }
        return stock([](const ChartSeries& s, QSize z) { return drawHalfYearChart(s, z); },
                     HalfYearChartSize);
    }
    if (path == u"/f"_s)
        return stock([](const ChartSeries& s, QSize z) { return drawIntradayChart(s, z); },
                     LargeThumbnailSize);
    if (path == u"/t"_s)
        return stock([](const ChartSeries& s, QSize z) { return drawIntradayChart(s, z); },
                     SmallThumbnailSize);
    if (path == u"/gifdata/nk_chart_L.gif"_s) {
        const ChartSeries n = m_market.nikkeiSeries();
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawIntradayChart(n, NikkeiIntradaySize));
    }
    if (path == u"/chart/nka_l.gif"_s) {
        const ChartSeries d = m_market.dowSeries();
        const ChartSeries n = m_market.nikkeiSeries();
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawComparisonChart(d, n));
    }
    if (path == u"/Pics/Stock/Day/K001881.GIF"_s) {
        const ChartSeries n = m_market.nikkeiSeries();
        const QList<double> ratio = m_market.advanceDeclineRatio();
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawAdvanceDeclineChart(n, ratio));
    }
    if (path == u"/rakutensecj/common/analytic.jsp"_s) {
        const QSize size = sizeFromQuery(param(req, "width"), param(req, "height"), DowSize);
        const ChartSeries d = m_market.dowSeries();
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawDowChart(d, size));
    }
    if (path == u"/asp4gif/japan_gif.asp"_s) {
        const QSize size = sizeFromQuery(param(req, "x"), param(req, "y"), UsdJpySize);
        bool ok = false;
        int bars = param(req, "barno").toInt(&ok);
        bars = ok ? std::clamp(bars, 10, 500) : 100;
        const FxSeries fx = m_market.nextUsdJpy(bars);
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawUsdJpyChart(fx, size));
    }
    return {};
}

} // namespace tickora::market
