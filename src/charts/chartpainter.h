#pragma once

// Charts drawn from price series into images, without widgets. Every function takes any series,
// however broken: bars whose close or time is unusable are left out, and a series with nothing
// left draws an empty frame with "データなし" (DrawnChart::empty). The drawing surface and axes are
// in chartcanvas.*, the layouts in chartlayout.cpp, each chart kind in a file named for it
// (intradaychart.cpp, dailycharts.cpp, comparisonchart.cpp, ratiochart.cpp).

#include "charts/priceseries.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

namespace tickora {

/// Colours of the drawn lines, as ARGB values.
namespace chartcolors {
inline constexpr QRgb Line = 0xff1f4e9c;    ///< price line of line charts
inline constexpr QRgb Rising = 0xffd9343a;  ///< rising candles; the intraday line above the previous close
inline constexpr QRgb Falling = 0xff2a62c9; ///< falling candles; the intraday line below the previous close
inline constexpr QRgb PreviousClose = 0xff2e9b57; ///< the previous close's dashed line
inline constexpr QRgb ShortAverage = 0xfff08c00;  ///< the shorter moving average (65 days)
inline constexpr QRgb LongAverage = 0xff8c3cc8;   ///< the longer moving average (130 days)
inline constexpr QRgb Volume = 0xff8da3c4;
inline constexpr QRgb Oscillator = 0xff803ca8; ///< RSI, Williams %R and the ratio line
inline constexpr QRgb Second = 0xffd9343a;     ///< second series of a comparison
} // namespace chartcolors

enum class PaneRole
{
    Price,
    Volume,
    Rsi,
    WilliamsR,
    Ratio
};
enum class ChartKind
{
    Intraday,
    Year,
    HalfYear,
    NikkeiHalfYear,
    Comparison,
    Line,
    Ratio
};

/// A rectangle of a chart and the values it shows from its bottom edge (low) to its top (high).
struct ChartPane
{
    PaneRole role = PaneRole::Price;
    QRectF rect;
    double low = 0;
    double high = 1;

    /// Pixel row of a value (may lie outside the rectangle for values outside the range).
    double yOf(double value) const;
};

/// Where a chart of a kind and size puts its title line, its panes (top to bottom) and its time
/// labels. The panes share the same left and right edges; their value ranges are set by drawing.
struct ChartLayout
{
    QSize size;
    QRectF title;
    QRectF timeAxis;
    QList<ChartPane> panes;

    const ChartPane* pane(PaneRole role) const;
};

/// The layout of a chart kind at a size; sizes below 32 x 32 are drawn at 32 x 32.
ChartLayout chartLayout(ChartKind kind, QSize size);

/// A drawn chart with the geometry and texts used to draw it.
struct DrawnChart
{
    QImage image;
    bool empty = true; ///< nothing to draw: the frame says "データなし"
    ChartLayout layout;
    qsizetype shownBars = 0; ///< bars (of the first series) drawn
    QString lastText;        ///< e.g. "終値 2,648.5 +30.5 (+1.17%)"
    QString rangeText;       ///< e.g. "2024/09/18～2025/09/18", a single day for intraday charts
    QString titleShown;      ///< the title line's left part as drawn, cut with "…" when long
};

struct ChartOptions
{
    QString title;     ///< empty: the series' name, else its symbol
    int decimals = -1; ///< digits after the point in prices; -1: 0 for whole prices, else 2
    /// Intraday: first and last minute of the local day on the time axis; -1 each: the bars' own span.
    int sessionStartMinute = -1;
    int sessionEndMinute = -1;
    /// Daily charts: calendar days back from the last bar that are shown; 0: the kind's default
    /// (366 for the 1-year chart, 184 for the 6-month ones, every bar otherwise). Averages and
    /// oscillators are worked out over all bars given, so earlier bars make them start at the left.
    int windowDays = 0;
    bool candles = true; ///< daily price panes: candles, or a line of closes
    /// Intraday, within the session: the break between two sessions (first and last minute of the
    /// local day), shaded and not crossed by the line; -1 each: none.
    int breakStartMinute = -1;
    int breakEndMinute = -1;
    /// Device pixels per unit of `size`: the picture has size x ratio pixels and says so
    /// (QImage::devicePixelRatio), so a screen that shows two pixels per unit gets every one.
    double devicePixelRatio = 1;
};

/// The current day as a line against the previous close (dashed, at its value): thumbnails and the
/// index chart. Only the bars of the last bar's local day are drawn; a break between sessions is
/// a gap in the line.
DrawnChart drawIntradayChart(const PriceSeries& s, QSize size, const ChartOptions& options = {});
/// One year of daily candles with 65- and 130-day moving averages and volume.
DrawnChart drawYearChart(const PriceSeries& s, QSize size, const ChartOptions& options = {});
/// Six months of daily candles with the 130-day moving average, volume and a 14-day RSI.
DrawnChart drawHalfYearChart(const PriceSeries& s, QSize size, const ChartOptions& options = {});
/// Six months of an index: candles, 65- and 130-day averages, 14-day RSI and 14-day Williams %R.
DrawnChart drawIndexHalfYearChart(const PriceSeries& s, QSize size, const ChartOptions& options = {});
/// Two series as percentages of their first close on one time axis (New York against the Nikkei).
DrawnChart drawComparisonChart(const PriceSeries& first, const PriceSeries& second, QSize size,
                               const ChartOptions& options = {});
/// A line of closes (the Dow, the dollar-yen rate).
DrawnChart drawLineChart(const PriceSeries& s, QSize size, const ChartOptions& options = {});
/// A ratio (one value per bar of `s`, NaN where undefined; 70, 100 and 120 marked) above the
/// series' closes: the advance/decline ratio over the index.
DrawnChart drawRatioChart(const PriceSeries& s, const QList<double>& ratio, QSize size,
                          const ChartOptions& options = {});
/// The empty frame: the title (when given) and "データなし", at `devicePixelRatio` as ChartOptions.
DrawnChart drawEmptyChart(ChartKind kind, QSize size, const QString& title = {}, double devicePixelRatio = 1);

/// The step between value labels for about `ticks` labels over `range`: 1, 2, 2.5 or 5 times a
/// power of ten; 1 for an empty range.
double niceStep(double range, int ticks);
/// Digits after the point of value labels `step` apart: enough for the step, and the prices' own
/// digits only where a step of 1 or more is not whole.
int valueLabelDecimals(double step, int priceDecimals);

/// A device pixel ratio fit to draw at: finite, from 1 to 4.
double drawingRatio(double devicePixelRatio);

/// Whether a chart drew nothing but the "データなし" frame.
inline bool chartIsEmpty(const DrawnChart& chart)
{
    return chart.empty;
}

} // namespace tickora
