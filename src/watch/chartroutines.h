#pragma once

#include "chartfiles.h"
#include "chartroutineshost.h"
#include "chartstrategy.h"
#include "platform/services.h"

#include <QObject>

#include <functional>
#include <memory>

namespace tickora {

/// The chart routines: the charts the window's commands, clicks and refreshes ask for, made by
/// the strategy Config::charts names (ImageCharts: downloaded images; DrawnCharts: drawn from
/// price series), each shown in its target: a thumbnail slot, the market chart area beside the
/// grid or a chart window. A routine's `then` runs once the picture is shown. Of two quick clicks
/// for a stock chart, only the last one's chart is shown.
class ChartRoutines : public QObject
{
    Q_OBJECT
public:
    using Then = std::function<void()>;
    /// `services` is read at each use (the window swaps in its own clients after start-up), so it
    /// must outlive the routines. The strategy follows its `config.charts` as it stands now.
    ChartRoutines(const Services& services, ChartRoutinesHost& host, QObject* parent = nullptr);

    void showYearChart(const QString& code, Then then = {});
    void showSixMonthChart(const QString& code, Then then = {});
    void refreshThumbnails(Then then = {});
    /// The size of the drawn thumbnails on this screen; none (invalid) with downloaded images.
    QSize thumbnailSize() const { return m_strategy->thumbnailSize(); }
    void showNikkeiSixMonthChart(Then then = {});
    void refreshIndexChart(Then then = {});
    /// With drawn charts, takes the Nikkei line as just refreshed into the day's index prices and
    /// draws the index chart again from them; the line and the chart then agree.
    void indexLineRefreshed() { m_strategy->indexLineRefreshed(); }
    void showNyNikkeiChart(Then then = {});
    /// The advance/decline ratio: a downloaded image with either strategy.
    void showAdvanceDeclineChart(Then then = {});
    void showDowChart(Then then = {});
    void showDollarYenChart(Then then = {});
    /// A click on thumbnail `k` opens the 1-year chart of its row's stock.
    void thumbnailClicked(int k);
    /// A click on caption `k` opens the 6-month chart of its row's stock.
    void captionClicked(int k);

private:
    using Window = ChartRoutinesHost::Window;
    /// Closes the Nikkei 6-month and ratio windows, as the thumbnail and index refreshes do.
    void closeMarketWindows();
    /// Shows a stock's chart in `window` when no later call (counted in `calls`) came meanwhile.
    void showStockChart(const QString& code, StockSpan span, Window window, int& calls, Then then);
    void showInWindow(MarketChart chart, Window window, Then then);

    const Services& m_services;
    ChartRoutinesHost& m_host;
    ChartFiles m_files;
    /// Goes before the files it uses; its pending answers go with it.
    std::unique_ptr<ChartStrategy> m_strategy;
    /// Count the calls for the 1-year and 6-month charts: only the last call's answer is shown.
    int m_yearChartCalls = 0;
    int m_sixMonthChartCalls = 0;
};

} // namespace tickora
