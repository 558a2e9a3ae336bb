#pragma once

#include "charts/priceseries.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace tickora {

/// Largest chart JSON body read by default: a 1-year daily or a 1-day 5-minute series is a few
/// tens of kilobytes.
inline constexpr qsizetype DefaultChartJsonLimit = 4 * 1024 * 1024;

enum class ChartRange
{
    OneDay,
    SixMonths,
    OneYear
};
enum class ChartInterval
{
    FiveMinutes,
    OneDay
};

/// Path and query of a chart JSON request, e.g. "/v8/finance/chart/%5EN225?range=6mo&interval=1d".
/// The symbol is percent-encoded, so "^N225" and "JPY=X" stay one path segment.
QString chartRequestPath(const QString& symbol, ChartRange range, ChartInterval interval);

/// Reads a chart JSON body: `chart.result[0]` with its `meta`, `timestamp[]` and
/// `indicators.quote[0]`. Returns nothing for a body over `maxBytes`, one that is not JSON, one
/// without a result (an unknown symbol answers `chart.result = null` with `chart.error`), and one
/// whose quote arrays disagree with `timestamp` in length: parallel arrays of different lengths do
/// not say which price belongs to which time, so no bar of them is trusted.
/// Within a consistent body a bar whose time or close is missing, null, not a number or not finite
/// is skipped (no trade in that period); a missing open, high or low falls back to the close, a
/// missing volume to 0; high and low are widened to hold open and close. Bars come out in time
/// order, one per time (the later of two equal times wins). A result without `timestamp` is a
/// series without bars.
std::optional<PriceSeries> readChartJson(const QByteArray& body, qsizetype maxBytes = DefaultChartJsonLimit);

/// The `chart.error.code` of a body (e.g. "Not Found"), empty when it has none or is unreadable.
QString chartJsonErrorCode(const QByteArray& body, qsizetype maxBytes = DefaultChartJsonLimit);

/// A chart JSON body of the series in the shape readChartJson() reads; non-finite values are
/// written as null, an unknown previous close or last price is left out.
QByteArray chartJsonFromSeries(const PriceSeries& series);

/// Daily bars from a quote page's embedded state:
/// `mainItemDetailChartSetting.timeSeriesData.histories[]`, each with `baseDatetime` (ISO 8601 with
/// offset), `openPrice`, `highPrice`, `lowPrice`, `closePrice` and `volume` as numbers or as
/// numeric texts with thousands separators ("2,648.5"). Items without a readable time or close are
/// skipped, other fields fall back as in readChartJson(); the bars come out in time order.
QList<PriceBar> readHistories(const QJsonObject& pageState);

} // namespace tickora
