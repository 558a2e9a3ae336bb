#pragma once

#include "charts/priceseries.h"
#include "simulation.h"

#include <QImage>
#include <QSize>

#include <optional>

namespace tickora::market {

/// Chart sizes the services answer with when the query names none.
inline constexpr QSize YearChartSize{512, 400};
inline constexpr QSize HalfYearChartSize{512, 390};
inline constexpr QSize NikkeiHalfYearSize{537, 377};
inline constexpr QSize LargeThumbnailSize{288, 180};
inline constexpr QSize SmallThumbnailSize{200, 126};
inline constexpr QSize NikkeiIntradaySize{256, 200};
inline constexpr QSize ComparisonSize{256, 200};
inline constexpr QSize AdvanceDeclineSize{600, 400};
inline constexpr QSize DowSize{755, 400};
inline constexpr QSize UsdJpySize{360, 360};

/// A size asked for in a query (width and height texts), each clamped to 32 .. 2000 pixels;
/// a missing or unreadable figure takes the fallback's.
QSize sizeFromQuery(const QString& width, const QString& height, QSize fallback);

// The pictures the market serves, drawn by the program's own chart painter from the walks.

/// 1-year chart of a stock: daily candles, 65- and 130-day moving averages, volume.
QImage drawYearChart(const ChartSeries& s, QSize size = YearChartSize);
/// 6-month chart of a stock: daily candles, 130-day moving average, volume and a 14-day RSI.
QImage drawHalfYearChart(const ChartSeries& s, QSize size = HalfYearChartSize);
/// 6-month chart of the Nikkei average: daily candles, 65- and 130-day averages, RSI and Williams %R.
QImage drawNikkeiHalfYearChart(const ChartSeries& s, QSize size = NikkeiHalfYearSize);
/// The current day minute by minute against the previous close (stock thumbnails, Nikkei intraday).
QImage drawIntradayChart(const ChartSeries& s, QSize size);
/// New York Dow and Nikkei average over three months, each as a percentage of its first close.
QImage drawComparisonChart(const ChartSeries& dow, const ChartSeries& nikkei, QSize size = ComparisonSize);
/// 25-day advance/decline ratio over six months above the Nikkei average.
QImage drawAdvanceDeclineChart(const ChartSeries& nikkei, const QList<double>& ratio,
                               QSize size = AdvanceDeclineSize);
/// New York Dow over three months: a line of daily closes.
QImage drawDowChart(const ChartSeries& dow, QSize size = DowSize);
/// Dollar-yen one-minute closes as a line.
QImage drawUsdJpyChart(const FxSeries& fx, QSize size = UsdJpySize);
/// The empty frame ("データなし") under the symbol for a symbol the market does not list.
QImage drawNoDataChart(const QString& symbol, QSize size);

/// The spans the chart JSON service answers: the day so far in 5-minute bars ("1d"), or the daily
/// bars of six months ("6mo") or a year ("1y").
enum class SeriesSpan
{
    Day,
    SixMonths,
    Year
};
/// The span of a `range` parameter; nothing for any other text.
std::optional<SeriesSpan> seriesSpanOf(const QString& range);
/// A walk as the chart JSON service sends it, under `symbol`, in the local time of an exchange
/// `gmtOffset` seconds ahead of UTC.
PriceSeries seriesOfSpan(const ChartSeries& s, const QString& symbol, SeriesSpan span, int gmtOffset);
/// The dollar-yen minutes as the chart JSON service sends them: 5-minute bars of the latest
/// trading day for Day, else one bar per day.
PriceSeries fxSeriesOfSpan(const FxSeries& fx, SeriesSpan span);
/// Seconds that Tokyo and New York are ahead of UTC (without daylight saving).
inline constexpr int TokyoGmtOffset = 9 * 3600;
inline constexpr int NewYorkGmtOffset = -5 * 3600;

/// PNG bytes of an image.
QByteArray encodePng(const QImage& image);

} // namespace tickora::market
