// Drawn day charts: the thumbnails and the index chart, drawn each refresh from the day's prices
// (one intraday series per symbol and day, then the grid's prices and the Nikkei line).
#include "drawncharts.h"

#include "exchange/tradingcalendar.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// Minute of the day of a time of the exchange's sessions.
int minuteOf(QTime t)
{
    return t.hour() * 60 + t.minute();
}

const QString IndexSymbol = u"^N225"_s;

QString stockSymbolOf(const QString& code)
{
    return code + u".T"_s;
}

QUrl dayHolds(const QString& symbol)
{
    QUrl url;
    url.setScheme(u"drawn"_s);
    url.setPath(u"day/"_s + symbol);
    return url;
}

} // namespace

ChartOptions intradayChartOptions(const QString& title)
{
    ChartOptions o;
    o.title = title;
    o.sessionStartMinute = minuteOf(session::Open);
    o.sessionEndMinute = minuteOf(session::Close);
    o.breakStartMinute = minuteOf(session::MorningClose);
    o.breakEndMinute = minuteOf(session::AfternoonOpen);
    return o;
}

bool DrawnCharts::topUp(const QString& symbol, std::function<void()> done)
{
    const QDate day = m_series.today();
    if (m_dayPrices.toppedUp(symbol, day))
        return false;
    const QString pathAndQuery = chartRequestPath(symbol, ChartRange::OneDay, ChartInterval::FiveMinutes);
    const QUrl url = serviceUrl(m_services.config.seriesBase, pathAndQuery.section(u'?', 0, 0));
    if (!m_services.http || m_host.backoff().holds(url, m_host.now()))
        return false; // asked once the hold is over
    // Noted before the answer, so overlapping refreshes ask once.
    m_dayPrices.setToppedUp(symbol, day);
    m_series.fetch(
        symbol, ChartRange::OneDay, ChartInterval::FiveMinutes,
        [this, symbol, day, url, done = std::move(done)](const std::optional<PriceSeries>& series) {
            if (series)
                m_dayPrices.addSeries(symbol, day, *series);
            else if (m_host.backoff().holds(url, m_host.now()))
                m_dayPrices.setToppedUp(symbol, day, false); // refused: asked again after the hold
            done();
        });
    return true;
}

void DrawnCharts::sampleRow(int row, const QString& symbol)
{
    const QuoteSheet& sheet = m_host.sheet();
    const QDate day = m_series.today();
    const auto price = priceFromText(sheet.cellText(row, grid::Price));
    const auto time = tradeTimeOf(sheet.cellText(row, grid::Time), day);
    if (price && time)
        m_dayPrices.addSample(symbol, day, *time, *price,
                              priceFromText(sheet.cellText(row, grid::PrevClose)).value_or(qQNaN()));
}

QSize DrawnCharts::thumbnailSize() const
{
    return m_host.screenPixelsY() > 800 ? drawnsize::LargeThumbnail : drawnsize::SmallThumbnail;
}

void DrawnCharts::refreshThumbnails(Then then)
{
    const int run = ++m_thumbRun;
    const int rows = qBound(0, m_host.watchCount(), grid::WatchedRows);
    auto codes = std::make_shared<std::vector<std::optional<QString>>>();
    for (int k = 0; k < rows; ++k) {
        const int row = k + 1;
        const auto code = chartCodeFromText(m_host.sheet().cellText(row, grid::Code));
        if (code) {
            m_host.chartCodeChosen(*code);
            sampleRow(row, stockSymbolOf(*code));
        }
        m_host.setThumbCaption(k, m_host.sheet().cellText(row, grid::Name));
        codes->push_back(code);
    }
    auto waiting = std::make_shared<int>(1);
    auto finish = [this, run, codes, waiting, then = std::move(then)]() {
        if (--*waiting > 0)
            return;
        if (run == m_thumbRun) // else a newer refresh owns the slots and the file now
            showThumbnails(*codes);
        if (then)
            then();
    };
    for (const auto& code : *codes)
        if (code && topUp(stockSymbolOf(*code), finish))
            ++*waiting;
    finish();
}

void DrawnCharts::showThumbnails(const std::vector<std::optional<QString>>& codes)
{
    const QSize size = thumbnailSize();
    const QDate day = m_series.today();
    QImage last;
    QUrl lastHolds;
    for (size_t k = 0; k < codes.size(); ++k) {
        const auto& code = codes[k];
        if (!code) {
            m_host.showThumb(int(k), QImage());
            continue;
        }
        const QString symbol = stockSymbolOf(*code);
        const PriceSeries series = m_dayPrices.series(symbol, day);
        ChartOptions o = intradayChartOptions(*code);
        last = drawIntradayChart(series, size, o).image;
        lastHolds = dayHolds(symbol);
        o.devicePixelRatio = displayRatio();
        m_host.showThumb(int(k), o.devicePixelRatio == 1 ? last : drawIntradayChart(series, size, o).image);
    }
    // The shared file ends with the last row's picture, as with downloads.
    if (!last.isNull())
        writeDrawn(thumbnailChart(m_services.config, QString(), m_host.screenPixelsY()).file, lastHolds,
                   last);
}

void DrawnCharts::refreshIndexChart(Then then)
{
    // The index line still shows the last refresh's value here; it is taken once it has been
    // refreshed (indexLineRefreshed), so the chart and the line tell the same price and change.
    auto finish = [this, then = std::move(then)] {
        showIndexChart();
        if (then)
            then();
    };
    if (!topUp(IndexSymbol, finish))
        finish();
}

void DrawnCharts::showIndexChart()
{
    const PriceSeries series = m_dayPrices.series(IndexSymbol, m_series.today());
    ChartOptions o = intradayChartOptions(u"日経平均"_s);
    const QImage picture = drawIntradayChart(series, drawnsize::IndexChart, o).image;
    writeDrawn(nikkeiIndexChart(m_services.config).file, dayHolds(IndexSymbol), picture);
    o.devicePixelRatio = displayRatio();
    m_host.showMarketChart(
        o.devicePixelRatio == 1 ? picture : drawIntradayChart(series, drawnsize::IndexChart, o).image);
}

void DrawnCharts::indexLineRefreshed()
{
    const QDateTime at = m_host.tradingMoment();
    const auto line = indexLineValue(m_host.marketLine());
    // The line's value as of now, in the sessions only: through the lunch break and after the
    // close it stays the session's last. Its change gives the day's previous close.
    if (!line || isExchangeClosed(at.date()) || !inSession(at.time()))
        return;
    m_dayPrices.addSample(IndexSymbol, at.date(), at.toSecsSinceEpoch(), line->value,
                          line->value - line->change);
    showIndexChart();
}

} // namespace tickora
