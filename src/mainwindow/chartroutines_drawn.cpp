// The chart routines with drawn charts: price series from the series service, kept for the day,
// drawn by the chart painter into the files and targets the downloaded pictures would have had.
#include "chartroutines.h"

#include "exchange/tradingcalendar.h"
#include "platform/savefile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <memory>

namespace tickora {

using namespace Qt::StringLiterals;
using Window = ChartRoutinesHost::Window;

namespace {

/// Minute of the day of a time of the exchange's sessions.
int minuteOf(QTime t)
{
    return t.hour() * 60 + t.minute();
}

QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const QString IndexSymbol = u"^N225"_s;

QString stockSymbolOf(const QString& code)
{
    return code + u".T"_s;
}

/// What a drawn file holds, as the address the downloaded pictures are noted under.
QUrl drawnHolds(const QString& what)
{
    QUrl url;
    url.setScheme(u"drawn"_s);
    url.setPath(what);
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

QString yearSeriesFile(const Config& config, const QString& symbol, QDate day)
{
    QString safe = symbol;
    for (QChar& c : safe)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-')
            c = u'_';
    return config.dataFile(u"series/"_s + safe + u"-1y-"_s + day.toString(u"yyyyMMdd"_s) + u".json"_s);
}

QDate ChartRoutines::today() const
{
    return m_host.tradingMoment().date();
}

void ChartRoutines::fetchSeries(const QString& symbol, ChartRange range, ChartInterval interval,
                                SeriesDone done)
{
    const QString pathAndQuery = chartRequestPath(symbol, range, interval);
    const qsizetype q = pathAndQuery.indexOf(u'?');
    const QUrl url = serviceUrl(m_services.config.seriesBase, pathAndQuery.left(q), pathAndQuery.mid(q + 1));
    if (!m_services.http || m_host.backoff().holds(url, m_host.now()))
        return done(std::nullopt);
    HttpRequest request{url, {}, DefaultChartJsonLimit};
    m_services.http->get(request, this, [this, url, done = std::move(done)](const HttpResponse& r) {
        const bool holdStarted =
            isOverloadStatus(r.status) &&
            m_host.backoff().noteAnswer(url, r.status, r.header("Retry-After"), m_host.now());
        m_host.seriesAnswered(r.status, holdStarted);
        if (isOverloadStatus(r.status)) {
            if (holdStarted)
                m_host.serviceHeld(m_host.backoff().until(url));
            return done(std::nullopt);
        }
        if (!r.isSuccess())
            return done(std::nullopt);
        done(readChartJson(r.body, DefaultChartJsonLimit));
    });
}

void ChartRoutines::yearSeries(const QString& symbol, SeriesDone done)
{
    const QDate day = today();
    if (day != m_yearSeriesDay) { // the series of an earlier day are not drawn again
        m_yearSeries.clear();
        m_yearSeriesDay = day;
    }
    const QString file = yearSeriesFile(m_services.config, symbol, day);
    if (const auto kept = m_yearSeries.constFind(file); kept != m_yearSeries.cend())
        return done(*kept);
    QFile stored(file);
    if (stored.open(QIODevice::ReadOnly)) {
        if (auto series = readChartJson(stored.read(DefaultChartJsonLimit + 1))) {
            m_yearSeries.insert(file, *series);
            return done(series);
        }
    }
    fetchSeries(symbol, ChartRange::OneYear, ChartInterval::OneDay,
                [this, file, symbol, done = std::move(done)](const std::optional<PriceSeries>& series) {
                    if (series && file == yearSeriesFile(m_services.config, symbol, today())) {
                        // Kept for the day; the files of earlier days of this symbol go.
                        const QDir dir = QFileInfo(file).dir();
                        dir.mkpath(u"."_s);
                        const QString prefix = QFileInfo(file).fileName().chopped(14); // "-yyyyMMdd.json"
                        for (const QString& old : dir.entryList({prefix + u"-*.json"_s}, QDir::Files))
                            if (dir.filePath(old) != file)
                                QFile::remove(dir.filePath(old));
                        replaceFileUnsynced(file, chartJsonFromSeries(*series));
                        m_yearSeries.insert(file, *series);
                    }
                    done(series);
                });
}

void ChartRoutines::writeDrawn(const QString& file, const QUrl& holds, const QImage& picture)
{
    if (replaceFileUnsynced(file, pngOf(picture)))
        m_fileHolds.insert(file, holds);
    else
        m_fileHolds.remove(file); // what the file holds now is not known
}

void ChartRoutines::gatherSeries(std::shared_ptr<QList<PriceSeries>> got, const DrawnChartPlan& plan,
                                 std::function<void(bool)> done)
{
    if (got->size() == plan.symbols.size())
        return done(true);
    const QString symbol = plan.symbols[got->size()];
    auto next = [this, got, plan, done = std::move(done)](const std::optional<PriceSeries>& series) {
        if (!series)
            return done(false);
        got->append(*series);
        gatherSeries(got, plan, done);
    };
    if (plan.intraday)
        fetchSeries(symbol, ChartRange::OneDay, ChartInterval::FiveMinutes, std::move(next));
    else
        yearSeries(symbol, std::move(next));
}

void ChartRoutines::drawChart(const ChartDownload& chart, const DrawnChartPlan& plan, Show show, Then then)
{
    const QUrl holds = drawnHolds(u"%1/%2"_s.arg(int(plan.kind)).arg(plan.symbols.join(u'+')));
    auto got = std::make_shared<QList<PriceSeries>>();
    gatherSeries(
        got, plan, [this, chart, plan, holds, got, show = std::move(show), then = std::move(then)](bool ok) {
            QImage picture;
            const double dpr = displayRatio();
            if (ok) {
                // Shown at the screen's pixel ratio; the file keeps the chart's size in pixels.
                picture = plan.draw(*got, dpr).image;
                writeDrawn(chart.file, holds, dpr == 1 ? picture : plan.draw(*got, 1).image);
            } else {
                // No series: the file is shown again only when it holds this very chart.
                const auto held = m_fileHolds.constFind(chart.file);
                const bool same = held != m_fileHolds.cend() ? *held == holds : chart.fileHoldsOneChart;
                if (same)
                    picture = load(chart.file);
                if (picture.isNull())
                    picture = drawEmptyChart(plan.kind, plan.size, plan.title, dpr).image;
            }
            show(picture);
            if (then)
                then();
        });
}

void ChartRoutines::drawIntoWindow(const ChartDownload& chart, const DrawnChartPlan& plan, Window window,
                                   Then then)
{
    drawChart(
        chart, plan, [this, window](const QImage& picture) { m_host.showInWindow(window, picture); },
        std::move(then));
}

ChartRoutines::DrawnChartPlan ChartRoutines::stockChartSpec(const QString& code, bool year) const
{
    DrawnChartPlan plan;
    plan.symbols = {stockSymbolOf(code)};
    plan.kind = year ? ChartKind::Year : ChartKind::HalfYear;
    plan.size = year ? drawnsize::Year : drawnsize::SixMonth;
    const QString span = year ? u"  1年"_s : u"  6ヶ月"_s;
    plan.title = code + span;
    plan.draw = [plan, code, span, year](const QList<PriceSeries>& s, double dpr) {
        ChartOptions o{s[0].name.isEmpty() ? plan.title : code + u" "_s + s[0].name + span};
        o.devicePixelRatio = dpr;
        // Both charts draw from a year of days, so the 130-day average runs across the half year too.
        return year ? drawYearChart(s[0], plan.size, o) : drawHalfYearChart(s[0], plan.size, o);
    };
    return plan;
}

bool ChartRoutines::topUp(const QString& symbol, std::function<void()> done)
{
    const QDate day = today();
    if (m_dayPrices.toppedUp(symbol, day))
        return false;
    const QString pathAndQuery = chartRequestPath(symbol, ChartRange::OneDay, ChartInterval::FiveMinutes);
    const QUrl url = serviceUrl(m_services.config.seriesBase, pathAndQuery.section(u'?', 0, 0));
    if (!m_services.http || m_host.backoff().holds(url, m_host.now()))
        return false; // asked once the hold is over
    // Noted before the answer, so overlapping refreshes ask once.
    m_dayPrices.setToppedUp(symbol, day);
    fetchSeries(symbol, ChartRange::OneDay, ChartInterval::FiveMinutes,
                [this, symbol, day, url, done = std::move(done)](const std::optional<PriceSeries>& series) {
                    if (series)
                        m_dayPrices.addSeries(symbol, day, *series);
                    else if (m_host.backoff().holds(url, m_host.now()))
                        m_dayPrices.setToppedUp(symbol, day, false); // refused: asked again after the hold
                    done();
                });
    return true;
}

void ChartRoutines::sampleRow(int row, const QString& symbol)
{
    const QuoteSheet& sheet = m_host.sheet();
    const QDate day = today();
    const auto price = priceFromText(sheet.cellText(row, grid::Price));
    const auto time = tradeTimeOf(sheet.cellText(row, grid::Time), day);
    if (price && time)
        m_dayPrices.addSample(symbol, day, *time, *price,
                              priceFromText(sheet.cellText(row, grid::PrevClose)).value_or(qQNaN()));
}

QSize ChartRoutines::thumbnailSize() const
{
    if (!drawn())
        return {};
    return m_host.screenPixelsY() > 800 ? drawnsize::LargeThumbnail : drawnsize::SmallThumbnail;
}

void ChartRoutines::drawThumbnails(Then then)
{
    const int run = ++m_thumbRun;
    const int rows = qBound(0, m_host.watchCount(), 12);
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
        if (run == m_thumbRun) { // else a newer refresh owns the slots and the file now
            const QSize size = thumbnailSize();
            const QDate day = today();
            QImage last;
            QUrl lastHolds;
            for (size_t k = 0; k < codes->size(); ++k) {
                const auto code = (*codes)[k];
                if (!code) {
                    m_host.showThumb(int(k), QImage());
                    continue;
                }
                const QString symbol = stockSymbolOf(*code);
                const PriceSeries series = m_dayPrices.series(symbol, day);
                ChartOptions o = intradayChartOptions(*code);
                last = drawIntradayChart(series, size, o).image;
                lastHolds = drawnHolds(u"day/"_s + symbol);
                o.devicePixelRatio = displayRatio();
                m_host.showThumb(int(k),
                                 o.devicePixelRatio == 1 ? last : drawIntradayChart(series, size, o).image);
            }
            // The shared file ends with the last row's picture, as with downloads.
            if (!last.isNull())
                writeDrawn(thumbnailChart(m_services.config, QString(), m_host.screenPixelsY()).file,
                           lastHolds, last);
        }
        if (then)
            then();
    };
    for (const auto& code : *codes)
        if (code && topUp(stockSymbolOf(*code), finish))
            ++*waiting;
    finish();
}

void ChartRoutines::drawIndexChart(Then then)
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

void ChartRoutines::showIndexChart()
{
    const PriceSeries series = m_dayPrices.series(IndexSymbol, today());
    ChartOptions o = intradayChartOptions(u"日経平均"_s);
    const QImage picture = drawIntradayChart(series, drawnsize::IndexChart, o).image;
    writeDrawn(nikkeiIndexChart(m_services.config).file, drawnHolds(u"day/"_s + IndexSymbol), picture);
    o.devicePixelRatio = displayRatio();
    m_host.showMarketChart(
        o.devicePixelRatio == 1 ? picture : drawIntradayChart(series, drawnsize::IndexChart, o).image);
}

void ChartRoutines::indexLineRefreshed()
{
    if (!drawn())
        return;
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
