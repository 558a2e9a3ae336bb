#include "chartfiles.h"

namespace tickora {

QImage ChartFiles::load(const QString& file) const
{
    return m_services.pictures ? m_services.pictures->load(file) : QImage();
}

bool ChartFiles::holds(const ChartDownload& chart, const QUrl& holds) const
{
    const auto held = m_holds.constFind(chart.file);
    return held != m_holds.cend() ? *held == holds : chart.fileHoldsOneChart;
}

QImage ChartFiles::chartPicture(const ChartDownload& chart, bool written)
{
    if (written) {
        m_holds.insert(chart.file, chart.url);
    } else if (!holds(chart, chart.url)) {
        // A failed download left the file as it was. Show it again only when it is known to hold
        // this very chart: never another stock's chart, nor the Dow in a stock's window.
        return {};
    }
    return load(chart.file);
}

void ChartFiles::fetch(const ChartDownload& chart, QObject* context, Show show, Then then)
{
    auto finish = [this, chart, show = std::move(show), then = std::move(then)](bool written) {
        show(chartPicture(chart, written));
        if (then)
            then();
    };
    if (!m_services.downloader)
        return finish(false);
    m_services.downloader->download(chart.url, chart.file, context, std::move(finish));
}

} // namespace tickora
