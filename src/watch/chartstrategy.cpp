#include "chartstrategy.h"

namespace tickora {

ChartDownload marketChartDownload(const Config& config, MarketChart chart)
{
    switch (chart) {
    case MarketChart::NikkeiSixMonth:
        return nikkeiSixMonthChart(config);
    case MarketChart::NyNikkei:
        return nyNikkeiChart(config);
    case MarketChart::Dow:
        return dowChart(config);
    case MarketChart::DollarYen:
        return dollarYenChart(config);
    }
    return {};
}

ChartDownload stockChartDownload(const Config& config, const QString& code, StockSpan span)
{
    return span == StockSpan::Year ? yearChart(config, code) : sixMonthChart(config, code);
}

} // namespace tickora
