// Refresh cycle: start, stop, the tick with its trading-hours questions, packing and thumbnail
// layout.
#include "mainwindow.h"

#include "charts/chartsources.h"
#include "charts/picturebox.h"
#include "charts/widgetstyle.h"
#include "quotegrid.h"
#include "quotes/quotefetch.h"
#include "quotes/refreshpass.h"
#include "thumbcaption.h"
#include "windowplaces.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {
constexpr quint32 Yellow = 0x0000FFFF;
constexpr quint32 Black = 0x00000000;
} // namespace

/// The window as the refresh cycle sees it.
class MainWindow::CycleHost : public RefreshCycleHost
{
public:
    explicit CycleHost(MainWindow& window) : m_w(window) {}

    bool firstRowEmpty() const override { return m_w.m_grid->cellText(grid::FirstRow, grid::Code).isEmpty(); }
    int openBoxes() const override { return m_w.m_dialogs->open(); }
    QDateTime tradingMoment() const override { return m_w.tradingMoment(); }
    void showQuiet(const QString& text) override { m_w.showQuiet(text); }
    bool askToStop(const QString& text) override
    {
        return m_w.m_dialogs->question(&m_w, u"継続確認"_s, text);
    }
    void startTimer() override { m_w.enableTimer(); }
    void stopTimer() override { m_w.m_refreshTimer->stop(); }
    void showRunning(bool running) override
    {
        setBackground(m_w.m_realTimeStatus, running ? Yellow : Black);
        if (running)
            m_w.m_realTimeStatus->setText(u" リアルタイム株価表示中"_s);
    }
    void closeSecondaryWindows() override { m_w.closeSecondaryWindows(); }
    void packRows() override { m_w.packRows(); }
    void prefetchRefresh() override { m_w.prefetchRefresh(); }
    void refreshQuotes(Then then) override { m_w.refreshQuotes(std::move(then)); }
    void layOutThumbs() override { m_w.layOutThumbnails(); }
    void refreshThumbs(Then then) override { m_w.refreshThumbnails(std::move(then)); }
    void refreshIndexChart(Then then) override { m_w.m_charts.refreshIndexChart(std::move(then)); }
    void refreshNikkeiLine(Then then) override
    {
        // The index chart takes the line as refreshed, so both tell the same price and change.
        m_w.refreshNikkeiLine([this, then = std::move(then)] {
            m_w.m_charts.indexLineRefreshed();
            if (then)
                then();
        });
    }
    void workEnded() override { m_w.m_http->clear(); }

private:
    MainWindow& m_w;
};

std::unique_ptr<RefreshCycleHost> MainWindow::makeCycleHost(MainWindow& window)
{
    return std::make_unique<CycleHost>(window);
}

void MainWindow::stopRealTime()
{
    m_cycle.stop();
}

void MainWindow::enableTimer()
{
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
}

void MainWindow::startRealTime()
{
    m_cycle.start();
}

void MainWindow::prefetchRefresh()
{
    // The steps of a refresh run in their order (quotes, thumbnails, index chart, Nikkei line),
    // but their requests all start now; each step then takes its answer when it gets there.
    const Config& config = m_services.config;
    const int rows = watchRowCount(*m_grid);
    // A held service is not asked ahead either.
    const QDateTime at = now();
    if (!m_backoff.holds(config.quoteBase, at))
        for (int r = 1; r <= rows; ++r)
            m_http->prefetch(
                quotePageRequest(config.quoteBase, config.quotePages, m_grid->cellText(r, grid::Code)));
    // Drawn charts ask for a series only once a day per symbol: nothing to ask ahead.
    if (config.charts == ChartSource::Images) {
        for (int r = 1; r <= rows; ++r)
            if (const auto code = chartCodeFromText(m_grid->cellText(r, grid::Code)))
                m_http->prefetch(chartRequest(thumbnailChart(config, *code, m_screenPixelsY).url));
        m_http->prefetch(chartRequest(nikkeiIndexChart(config).url));
    }
    if (!m_backoff.holds(nikkeiPageUrl(config), at))
        m_http->prefetch(pageRequest(nikkeiPageUrl(config)));
}

void MainWindow::packRows()
{
    // Twelve sweeps move every filled row over all the empty rows above it.
    for (int sweep = 0; sweep < grid::WatchedRows; ++sweep) {
        for (int r = grid::FirstRow; r < grid::LastRow; ++r) {
            if (!m_grid->cellText(r, grid::Code).isEmpty() || m_grid->cellText(r + 1, grid::Code).isEmpty())
                continue;
            for (int c = grid::Code; c <= grid::Time; ++c) {
                m_grid->setCellText(r, c, m_grid->cellText(r + 1, c));
                m_grid->setCellText(r + 1, c, QString());
            }
        }
    }
}

void MainWindow::layOutThumbnails()
{
    const bool large = usesLargeThumbs(m_screenPixelsY);
    for (int k = 0; k < grid::WatchedRows; ++k) { // every slot, so a row watched later finds its place ready
        const ThumbPlace place = thumbPlace(k, large);
        m_thumbnails[k]->move(twipsPoint(place.picture));
        m_thumbnails[k]->setFlatBorder(true);
        // Drawn thumbnails all have one size: an empty slot takes it too, border included.
        if (const QSize drawn = m_charts.thumbnailSize(); drawn.isValid()) {
            const int border = 2 * m_thumbnails[k]->frameWidth();
            m_thumbnails[k]->resize(drawn + QSize(border, border));
        }
        m_thumbCaptions[k]->move(twipsPoint(place.caption));
        // The small layout gives a caption less room: its name is cut again to fit.
        m_thumbCaptions[k]->setSlotWidth(twipsToPixels(captionSlotWidth(k, large), m_dpi));
    }
}

void MainWindow::refreshThumbnails(Then then)
{
    for (PictureBox* image : m_thumbnails)
        image->clearPicture();
    // The Nikkei 6-month window closes too: the thumbnail routine closes it first thing.
    m_charts.refreshThumbnails(std::move(then));
}

} // namespace tickora
