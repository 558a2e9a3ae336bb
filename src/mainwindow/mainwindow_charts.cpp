// The chart commands and the secondary chart windows the chart routines show their charts in.
#include "charts/chartsources.h"
#include "charts/chartwindows.h"
#include "charts/picturebox.h"
#include "mainwindow.h"
#include "quotegrid.h"
#include "thumbcaption.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// Moves a market chart window that has a fixed place to it.
MarketChartWindow* placed(MarketChartWindow* w)
{
    if (w->standsAtFixedPlace())
        w->moveTwips(ChartWindowLeftTwips, ChartWindowTopTwips);
    return w;
}

/// The market chart a chart routine's window shows; the stock windows show none.
std::optional<MarketWindow> marketChartOf(ChartRoutinesHost::Window window)
{
    using Window = ChartRoutinesHost::Window;
    switch (window) {
    case Window::NikkeiSixMonth:
        return MarketWindow::NikkeiHalfYear;
    case Window::AdvanceDecline:
        return MarketWindow::AdvanceDecline;
    case Window::Dow:
        return MarketWindow::Dow;
    case Window::DollarYen:
        return MarketWindow::DollarYen;
    case Window::Year:
    case Window::SixMonth:
        break;
    }
    return std::nullopt;
}

void showModeless(ChartWindow* w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

template <class W> W* MainWindow::chartWindow(QPointer<W>& slot)
{
    if (!slot || slot->isClosing())
        slot = new W(m_dpi, this);
    return slot;
}

MarketChartWindow* MainWindow::marketChartWindow(MarketWindow chart)
{
    QPointer<MarketChartWindow>& slot = m_marketCharts[size_t(chart)];
    if (!slot || slot->isClosing())
        slot = new MarketChartWindow(chart, m_dpi, this);
    return slot;
}

template <class W> void MainWindow::closeChartWindow(QPointer<W>& slot)
{
    if (slot && !slot->isClosing())
        slot->close();
    slot.clear();
}

void MainWindow::closeStockChartWindows()
{
    closeChartWindow(m_stockYearChart);
    closeChartWindow(m_stockHalfYearChart);
}

void MainWindow::closeSecondaryWindows()
{
    closeStockChartWindows();
    for (QPointer<MarketChartWindow>& slot : m_marketCharts)
        closeChartWindow(slot);
    closeSettingsWindow();
}

/// The window as the chart routines see it.
class MainWindow::ChartsHost : public ChartRoutinesHost
{
public:
    explicit ChartsHost(MainWindow& window) : m_w(window) {}

    const QuoteSheet& sheet() const override { return *m_w.m_grid; }
    int watchCount() const override { return m_w.m_watchCount; }
    int screenPixelsY() const override { return m_w.m_screenPixelsY; }
    double devicePixelRatio() const override { return m_w.devicePixelRatioF(); }
    void chartCodeChosen(const QString& code) override { m_w.m_chartCode = code; }
    QString shortName(int index) const override { return m_w.m_shortNames.value(index); }
    QString thumbCaption(int k) const override { return m_w.m_thumbCaptions[k]->name(); }
    void setThumbCaption(int k, const QString& text) override { m_w.m_thumbCaptions[k]->setName(text); }
    QImage showThumb(int k, const QImage& picture) override
    {
        m_w.m_thumbnails[k]->setAutoSize(true);
        m_w.m_thumbnails[k]->setPicture(picture);
        return m_w.m_thumbnails[k]->picture();
    }
    void showMarketChart(const QImage& picture) override { m_w.m_indexChart->setPicture(picture); }
    void setMarketTitle(const QString& text) override { m_w.m_nikkeiLine->setText(text); }
    void closeWindow(Window window) override;
    void setWindowTitle(Window window, const QString& title) override;
    void showInWindow(Window window, const QImage& picture) override;
    void setYearChartLine(const QString& text) override
    {
        m_w.chartWindow(m_w.m_stockYearChart)->setNote(text);
    }
    QString marketLine() const override { return m_w.m_nikkeiLine->text(); }
    QDateTime now() const override { return m_w.now(); }
    QDateTime tradingMoment() const override { return m_w.tradingMoment(); }
    ServiceBackoff& backoff() override { return m_w.m_backoff; }
    void serviceHeld(const QDateTime& until) override { m_w.showServiceHeld(until); }
    void seriesAnswered(int status, bool holdStarted) override { m_w.noteSeriesAnswer(status, holdStarted); }

private:
    MainWindow& m_w;
};

void MainWindow::ChartsHost::closeWindow(Window window)
{
    if (window == Window::Year)
        return m_w.closeChartWindow(m_w.m_stockYearChart);
    if (window == Window::SixMonth)
        return m_w.closeChartWindow(m_w.m_stockHalfYearChart);
    if (const std::optional<MarketWindow> chart = marketChartOf(window))
        m_w.closeChartWindow(m_w.m_marketCharts[size_t(*chart)]);
}

void MainWindow::ChartsHost::setWindowTitle(Window window, const QString& title)
{
    if (window == Window::Year)
        m_w.chartWindow(m_w.m_stockYearChart)->setWindowTitle(title);
    else if (window == Window::SixMonth)
        m_w.chartWindow(m_w.m_stockHalfYearChart)->setWindowTitle(title);
}

void MainWindow::ChartsHost::showInWindow(Window window, const QImage& picture)
{
    if (window == Window::Year) {
        StockYearChartWindow* year = m_w.chartWindow(m_w.m_stockYearChart);
        year->showChart(picture);
        return showModeless(year);
    }
    if (window == Window::SixMonth) {
        m_w.chartWindow(m_w.m_stockHalfYearChart)->setPicture(picture);
        return showModeless(m_w.m_stockHalfYearChart);
    }
    const std::optional<MarketWindow> chart = marketChartOf(window);
    if (!chart)
        return;
    MarketChartWindow* market = m_w.marketChartWindow(*chart);
    market->showChart(picture);
    if (*chart == MarketWindow::AdvanceDecline)
        market->setWindowTitle(u"日経平均騰落レシオ"_s);
    showModeless(placed(market));
}

std::unique_ptr<ChartRoutinesHost> MainWindow::makeChartsHost(MainWindow& window)
{
    return std::make_unique<ChartsHost>(window);
}

// In the commands below that stop real-time display, the stop comes first, so no tick can close
// the window while its chart downloads.

void MainWindow::showNikkeiSixMonthChart()
{
    stopRealTime();
    m_charts.showNikkeiSixMonthChart();
}

void MainWindow::showNyNikkeiChart()
{
    stopRealTime();
    m_charts.showNyNikkeiChart();
}

void MainWindow::showDowChart()
{
    stopRealTime();
    m_charts.showDowChart();
}

void MainWindow::showAdvanceDeclineChart()
{
    stopRealTime();
    m_charts.showAdvanceDeclineChart();
}

void MainWindow::showDollarYenChart()
{
    m_charts.showDollarYenChart();
}

} // namespace tickora
