#pragma once

#include "chartfiles.h"
#include "chartroutineshost.h"
#include "charts/chartpainter.h"
#include "charts/dayprices.h"
#include "chartseries.h"
#include "chartstrategy.h"

#include <memory>

namespace tickora {

/// Pixel sizes of the drawn charts, each fitting the picture area it is shown in.
namespace drawnsize {
inline constexpr QSize LargeThumbnail{288, 176}; // the slot shows at most 298 x 179
inline constexpr QSize SmallThumbnail{200, 126};
inline constexpr QSize IndexChart{256, 200};
inline constexpr QSize Year{496, 288};
inline constexpr QSize SixMonth{512, 390};
inline constexpr QSize NikkeiSixMonth{537, 377};
inline constexpr QSize Dow{755, 400};
inline constexpr QSize DollarYen{360, 360};
} // namespace drawnsize

/// The options of the drawn intraday charts titled `title`: the exchange's day, 9:00 to 15:30, with
/// the lunch break 11:30 to 12:30 left as a gap.
ChartOptions intradayChartOptions(const QString& title);

/// Charts drawn from price series (see ChartSeries) and written as PNG pictures to the files the
/// downloaded images would have had. Thumbnails and the index chart are drawn each refresh from
/// the prices the quote pass wrote into the grid and the Nikkei line, kept for the day, after one
/// intraday series per symbol and day has filled in the day so far. The daily charts draw from a
/// year of daily bars per symbol. A chart whose series cannot be had shows its last picture of
/// the same chart, or the empty frame "データなし". Drawn charts are shown at the host's device
/// pixel ratio, while their files keep the charts' sizes in pixels. The index chart takes the
/// Nikkei line into the day's prices only once the line has been refreshed (indexLineRefreshed),
/// so both tell the same price and change.
class DrawnCharts final : public ChartStrategy
{
    Q_OBJECT
public:
    /// `services` is read at each use, so it must outlive the strategy, as must `host` and `files`.
    DrawnCharts(const Services& services, ChartRoutinesHost& host, ChartFiles& files,
                QObject* parent = nullptr);

    void stockChart(const QString& code, StockSpan span, Show show) override;
    void marketChart(MarketChart chart, Show show, Then then) override;
    void refreshThumbnails(Then then) override;
    QSize thumbnailSize() const override;
    void refreshIndexChart(Then then) override;
    void indexLineRefreshed() override;

private:
    /// How a drawn chart is made: the symbols whose series it needs and the painter call.
    struct Plan
    {
        QStringList symbols;
        bool intraday = false; ///< the day in 5-minute bars (not kept), else a year of days (kept)
        ChartKind kind = ChartKind::Line;
        QSize size;
        QString title;
        /// Draws the chart at a device pixel ratio.
        std::function<DrawnChart(const QList<PriceSeries>&, double)> draw;
    };
    static Plan stockPlan(const QString& code, StockSpan span);
    static Plan marketPlan(MarketChart chart);
    /// The pixel ratio drawn charts are shown at.
    double displayRatio() const { return drawingRatio(m_host.devicePixelRatio()); }
    /// Gathers the series of `plan` in order, then draws and shows the chart (see the class).
    void draw(const ChartDownload& chart, const Plan& plan, Show show, Then then);
    void gather(std::shared_ptr<QList<PriceSeries>> got, const Plan& plan, std::function<void(bool)> done);
    /// Writes a drawn picture to `file`, noting what it holds.
    void writeDrawn(const QString& file, const QUrl& holds, const QImage& picture);
    /// Draws the index chart from the day's prices, into its file and the market chart area.
    void showIndexChart();
    /// Shows the thumbnails of `codes` drawn from the day's prices.
    void showThumbnails(const std::vector<std::optional<QString>>& codes);
    /// Notes the stock price of the grid's row as a sample of the day.
    void sampleRow(int row, const QString& symbol);
    /// Asks once per symbol and day for the intraday series; `done` runs when its answer is in.
    bool topUp(const QString& symbol, std::function<void()> done);

    const Services& m_services;
    ChartRoutinesHost& m_host;
    ChartFiles& m_files;
    ChartSeries m_series;
    /// Counts thumbnail refreshes, so a superseded refresh changes nothing.
    int m_thumbRun = 0;
    /// The day's prices behind the drawn thumbnails and index chart.
    DayPrices m_dayPrices;
};

} // namespace tickora
