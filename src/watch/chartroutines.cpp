#include "chartroutines.h"

#include "drawncharts.h"
#include "imagecharts.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<ChartStrategy> makeStrategy(const Services& services, ChartRoutinesHost& host,
                                            ChartFiles& files)
{
    if (services.config.charts == ChartSource::Drawn)
        return std::make_unique<DrawnCharts>(services, host, files);
    return std::make_unique<ImageCharts>(services, host, files);
}

} // namespace

ChartRoutines::ChartRoutines(const Services& services, ChartRoutinesHost& host, QObject* parent)
    : QObject(parent), m_services(services), m_host(host), m_files(services),
      m_strategy(makeStrategy(services, host, m_files))
{
}

void ChartRoutines::closeMarketWindows()
{
    m_host.closeWindow(Window::NikkeiSixMonth);
    m_host.closeWindow(Window::AdvanceDecline);
}

void ChartRoutines::showStockChart(const QString& code, StockSpan span, Window window, int& calls, Then then)
{
    const int call = ++calls;
    m_strategy->stockChart(code, span,
                           [this, window, call, &calls, then = std::move(then)](const QImage& picture) {
                               if (call != calls)
                                   return; // a later click's chart is on its way, or shown already
                               m_host.showInWindow(window, picture);
                               if (then)
                                   then();
                           });
}

void ChartRoutines::showInWindow(MarketChart chart, Window window, Then then)
{
    m_strategy->marketChart(
        chart, [this, window](const QImage& picture) { m_host.showInWindow(window, picture); },
        std::move(then));
}

void ChartRoutines::showYearChart(const QString& code, Then then)
{
    showStockChart(code, StockSpan::Year, Window::Year, m_yearChartCalls, std::move(then));
}

void ChartRoutines::showSixMonthChart(const QString& code, Then then)
{
    showStockChart(code, StockSpan::SixMonth, Window::SixMonth, m_sixMonthChartCalls, std::move(then));
}

void ChartRoutines::refreshThumbnails(Then then)
{
    closeMarketWindows();
    m_strategy->refreshThumbnails(std::move(then));
}

void ChartRoutines::showNikkeiSixMonthChart(Then then)
{
    closeMarketWindows();
    m_host.showMarketChart({});
    showInWindow(MarketChart::NikkeiSixMonth, Window::NikkeiSixMonth, std::move(then));
}

void ChartRoutines::refreshIndexChart(Then then)
{
    closeMarketWindows();
    m_host.showMarketChart({});
    m_strategy->refreshIndexChart(std::move(then));
}

void ChartRoutines::showNyNikkeiChart(Then then)
{
    m_host.setMarketTitle(u"ＮＹ日経比較"_s);
    m_strategy->marketChart(
        MarketChart::NyNikkei, [this](const QImage& picture) { m_host.showMarketChart(picture); },
        std::move(then));
}

void ChartRoutines::showAdvanceDeclineChart(Then then)
{
    m_host.closeWindow(Window::NikkeiSixMonth);
    m_files.fetch(
        advanceDeclineChart(m_services.config), this,
        [this](const QImage& picture) { m_host.showInWindow(Window::AdvanceDecline, picture); },
        std::move(then));
}

void ChartRoutines::showDowChart(Then then)
{
    showInWindow(MarketChart::Dow, Window::Dow, std::move(then));
}

void ChartRoutines::showDollarYenChart(Then then)
{
    showInWindow(MarketChart::DollarYen, Window::DollarYen, std::move(then));
}

void ChartRoutines::thumbnailClicked(int k)
{
    if (k < 0 || k >= grid::WatchedRows)
        return;
    const int row = k + 1;
    const auto code = chartCodeFromText(m_host.sheet().cellText(row, grid::Code));
    if (!code)
        return; // an empty row, or a code that has no chart
    m_host.chartCodeChosen(*code);
    const QString caption = u"REAL CHART  "_s + m_host.sheet().cellText(row, grid::Name);
    m_host.setWindowTitle(Window::Year, caption);
    showYearChart(*code, [this, k, caption] {
        // The window may have been closed and made anew while the chart was on its way.
        m_host.setWindowTitle(Window::Year, caption);
        m_host.setYearChartLine(m_host.shortName(k));
    });
}

void ChartRoutines::captionClicked(int k)
{
    if (k < 0 || k >= grid::WatchedRows || m_host.thumbCaption(k).isEmpty())
        return;
    const int row = k + 1;
    const auto code = chartCodeFromText(m_host.sheet().cellText(row, grid::Code));
    if (!code)
        return; // a caption left over from a row that has no code now
    m_host.chartCodeChosen(*code);
    const QString caption = m_host.sheet().cellText(row, grid::Name) + u"６ヶ月チャート\u3000出来高 + RSI"_s;
    m_host.setWindowTitle(Window::SixMonth, caption);
    showSixMonthChart(*code, [this, caption] { m_host.setWindowTitle(Window::SixMonth, caption); });
}

} // namespace tickora
