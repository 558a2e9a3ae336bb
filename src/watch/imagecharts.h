#pragma once

#include "chartfiles.h"
#include "chartroutineshost.h"
#include "chartstrategy.h"

#include <QHash>

#include <array>

namespace tickora {

/// Charts as images from the chart services: each downloads one image into its fixed file in the
/// data folder and shows that file (see ChartFiles for what a failure shows). The thumbnail
/// refresh starts the downloads of all rows at once and writes and shows the answers strictly in
/// row order; answers of a superseded refresh change nothing.
class ImageCharts final : public ChartStrategy
{
    Q_OBJECT
public:
    /// `services` is read at each use, so it must outlive the strategy, as must `host` and `files`.
    ImageCharts(const Services& services, ChartRoutinesHost& host, ChartFiles& files,
                QObject* parent = nullptr);

    void stockChart(const QString& code, StockSpan span, Show show) override;
    void marketChart(MarketChart chart, Show show, Then then) override;
    void refreshThumbnails(Then then) override;
    QSize thumbnailSize() const override { return {}; }
    void refreshIndexChart(Then then) override;
    void indexLineRefreshed() override {}

private:
    struct ThumbSlot;
    struct ThumbRun;
    void showThumbsInOrder(ThumbRun& run);
    void showThumb(size_t k, ThumbSlot& slot);

    const Services& m_services;
    ChartRoutinesHost& m_host;
    ChartFiles& m_files;
    /// The last picture each thumbnail slot got from a successful download, and its address.
    std::array<QUrl, grid::WatchedRows> m_thumbUrls;
    std::array<QImage, grid::WatchedRows> m_thumbPictures;
    /// Counts thumbnail refreshes, so answers of a superseded refresh change nothing.
    int m_thumbRun = 0;
};

} // namespace tickora
