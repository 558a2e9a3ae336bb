#include "imagecharts.h"

#include "platform/savefile.h"

#include <memory>
#include <vector>

namespace tickora {

/// One thumbnail slot of a refresh: its chart, and its answer once it came.
struct ImageCharts::ThumbSlot
{
    ChartDownload chart;
    bool hasCode = false;
    bool answered = false;
    HttpResponse response;
};

struct ImageCharts::ThumbRun
{
    int id = 0;
    std::vector<ThumbSlot> slots;
    size_t next = 0; ///< first slot not yet shown
    size_t unanswered = 0;
    Then then;
};

ImageCharts::ImageCharts(const Services& services, ChartRoutinesHost& host, ChartFiles& files,
                         QObject* parent)
    : ChartStrategy(parent), m_services(services), m_host(host), m_files(files)
{
}

void ImageCharts::stockChart(const QString& code, StockSpan span, Show show)
{
    m_files.fetch(stockChartDownload(m_services.config, code, span), this, std::move(show), {});
}

void ImageCharts::marketChart(MarketChart chart, Show show, Then then)
{
    m_files.fetch(marketChartDownload(m_services.config, chart), this, std::move(show), std::move(then));
}

void ImageCharts::refreshIndexChart(Then then)
{
    m_files.fetch(
        nikkeiIndexChart(m_services.config), this,
        [this](const QImage& picture) { m_host.showMarketChart(picture); }, std::move(then));
}

void ImageCharts::refreshThumbnails(Then then)
{
    auto run = std::make_shared<ThumbRun>();
    run->id = ++m_thumbRun;
    run->then = std::move(then);

    const int rows = qBound(0, m_host.watchCount(), grid::WatchedRows);
    for (int k = 0; k < rows; ++k) {
        const int row = k + 1;
        ThumbSlot slot;
        if (const auto code = chartCodeFromText(m_host.sheet().cellText(row, grid::Code))) {
            m_host.chartCodeChosen(*code);
            slot.chart = thumbnailChart(m_services.config, *code, m_host.screenPixelsY());
            slot.hasCode = true;
            ++run->unanswered;
        } else {
            // A cell that holds no securities code has no chart; the other rows go on.
            slot.answered = true;
        }
        m_host.setThumbCaption(k, m_host.sheet().cellText(row, grid::Name));
        run->slots.push_back(std::move(slot));
    }

    if (run->unanswered == 0 || !m_services.http) {
        for (ThumbSlot& s : run->slots)
            s.answered = true;
        run->unanswered = 0;
        return showThumbsInOrder(*run);
    }
    for (size_t k = 0; k < run->slots.size(); ++k) {
        if (!run->slots[k].hasCode)
            continue;
        m_services.http->get(chartRequest(run->slots[k].chart.url), this,
                             [this, run, k](const HttpResponse& r) {
                                 ThumbSlot& s = run->slots[k];
                                 s.response = r;
                                 s.answered = true;
                                 --run->unanswered;
                                 showThumbsInOrder(*run);
                             });
    }
}

void ImageCharts::showThumbsInOrder(ThumbRun& run)
{
    // Shows every slot whose answer is in, in row order, stopping at the first still awaited, so
    // each slot gets its own row's picture and the shared file ends with the last row's.
    for (; run.next < run.slots.size() && run.slots[run.next].answered; ++run.next)
        if (run.id == m_thumbRun) // else a newer refresh owns the slots and the file now
            showThumb(run.next, run.slots[run.next]);
    if (run.next == run.slots.size() && run.unanswered == 0 && run.then)
        std::exchange(run.then, {})();
}

void ImageCharts::showThumb(size_t k, ThumbSlot& s)
{
    if (!s.hasCode) {
        m_host.showThumb(int(k), QImage());
        return;
    }
    const bool written = s.response.isSuccess() && isAcceptablePicture(s.response.body) &&
                         replaceFileUnsynced(s.chart.file, s.response.body);
    s.response = {};
    QImage picture;
    if (written) {
        picture = m_files.load(s.chart.file);
        m_files.noteHolds(s.chart.file, s.chart.url);
    }
    // The download failed, or brought no readable picture: the slot shows again the last picture
    // it had of this chart.
    if (picture.isNull() && m_thumbUrls[k] == s.chart.url)
        picture = m_thumbPictures[k];
    const QImage held = m_host.showThumb(int(k), picture);
    if (written && !picture.isNull()) {
        // Kept as the slot holds it, cut to its area.
        m_thumbUrls[k] = s.chart.url;
        m_thumbPictures[k] = held;
    }
}

} // namespace tickora
