#pragma once

#include "charts/chartsources.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <functional>

namespace tickora {

/// The market-wide charts a strategy makes on demand.
enum class MarketChart
{
    NikkeiSixMonth, ///< Nikkei 6 months, in its window
    NyNikkei,       ///< New York / Nikkei comparison, in the market chart area
    Dow,            ///< New York Dow, in its window
    DollarYen,      ///< dollar-yen, in its window
};

/// The span of a stock's chart.
enum class StockSpan
{
    Year,
    SixMonth,
};

/// The file and address of `chart` (the address is what a download asks for; a drawn chart
/// writes the same file).
ChartDownload marketChartDownload(const Config& config, MarketChart chart);
ChartDownload stockChartDownload(const Config& config, const QString& code, StockSpan span);

/// How the charts are made: downloaded as images (ImageCharts) or drawn from price series
/// (DrawnCharts). The chart routines pick one at construction and leave to it everything that
/// differs between the two; what they share (windows closed, titles, clicks, the last of two
/// quick clicks) stays with the routines.
class ChartStrategy : public QObject
{
    Q_OBJECT
public:
    using Then = std::function<void()>;
    using Show = std::function<void(const QImage&)>;
    using QObject::QObject;

    /// Hands `show` the chart of `code` over `span`.
    virtual void stockChart(const QString& code, StockSpan span, Show show) = 0;
    /// Hands `show` the picture of `chart`, then runs `then`.
    virtual void marketChart(MarketChart chart, Show show, Then then) = 0;
    /// Fills the thumbnail slots of the watched rows and their captions, then runs `then`.
    virtual void refreshThumbnails(Then then) = 0;
    /// The size the thumbnails have on this screen; none (invalid) when they take the pictures' own.
    virtual QSize thumbnailSize() const = 0;
    /// Shows the index chart in the market chart area, then runs `then`.
    virtual void refreshIndexChart(Then then) = 0;
    /// The Nikkei line was just refreshed.
    virtual void indexLineRefreshed() = 0;
};

} // namespace tickora
