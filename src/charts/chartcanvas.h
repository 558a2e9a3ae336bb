#pragma once

// The drawing surface every chart kind draws on: the image with its panes, the value and time
// axes, lines, candles and volumes, and the helpers the kinds share. Internal to the chart painter.

#include "charts/chartpainter.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QPainter>

#include <functional>
#include <limits>

namespace tickora::chartdraw {

inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
/// Prices beyond this are not prices; keeping them out keeps every range and pixel finite.
inline constexpr double LargestValue = 1e15;
inline constexpr qint64 Day = 86400;

inline const QColor Frame(0x99, 0x99, 0x99);
inline const QColor Grid(0xe6, 0xe6, 0xe6);
inline const QColor Text(0x33, 0x33, 0x33);

/// A finite value within LargestValue.
bool usable(double v);
/// Bars with a usable time and close, in time order, with open, high and low made consistent.
QList<PriceBar> cleanBars(const QList<PriceBar>& bars);
/// The local date and time of unix time `t` at `gmtOffset` seconds from UTC.
QDateTime localTime(qint64 t, int gmtOffset);
/// "2025/09/18".
QString dateText(qint64 t, int gmtOffset);
/// A number with digit grouping and `decimals` digits after the point.
QString number(double v, int decimals);
/// As number, with "+" before a value above 0.
QString signedNumber(double v, int decimals);
/// Digits after the point for prices: `wanted` (at most 6) when given, else 0 for whole prices, 2 otherwise.
int decimalsFor(const QList<PriceBar>& bars, int wanted);
/// "終値 2,648.5 +30.5 (+1.17%)": the last close and its change from `reference` when known.
QString lastValueText(const QString& label, double last, double reference, int decimals);
QFont chartFont(double pixelSize, bool bold = false);
/// Text size for a chart: small thumbnails get the smallest readable text.
int fontPixels(QSize size);
/// Sets a pane's range to hold [lo, hi] with a margin; a flat or empty range gets a band around it.
void setRange(ChartPane& pane, double lo, double hi, double margin = 0.06);
/// Widens [lo, hi] to hold the usable values.
void widen(double& lo, double& hi, const QList<double>& values);
/// The first bar shown of a daily chart: the first within `days` calendar days of the last bar.
qsizetype windowStart(const QList<PriceBar>& bars, int days);

/// x positions of evenly spaced slots (one per bar) across a pane.
struct Slots
{
    double left = 0;
    double width = 1;
    qsizetype count = 1;
    double x(double i) const { return left + (i + 0.5) * width / double(std::max<qsizetype>(1, count)); }
    double step() const { return width / double(std::max<qsizetype>(1, count)); }
};

/// x positions on a linear time axis.
struct TimeAxis
{
    double left = 0;
    double width = 1;
    qint64 from = 0;
    qint64 to = 1;
    double x(qint64 t) const
    {
        const double f = double(t - from) / double(std::max<qint64>(1, to - from));
        return left + std::clamp(f, 0.0, 1.0) * width;
    }
};

class Canvas
{
public:
    /// A white picture of `size` units at `devicePixelRatio` pixels per unit; drawing is in units.
    Canvas(ChartKind kind, QSize size, double devicePixelRatio = 1);

    ChartLayout& layout() { return m_layout; }
    ChartPane& pane(PaneRole role);
    QPainter& painter() { return m_painter; }

    /// Title on the left (elided), the last value on the right. `whole` follows the title and is
    /// never cut: the title before it gives way first.
    void title(const QString& left, const QString& right, const QString& whole = {});

    /// Frame, horizontal grid and value labels right of the pane.
    void valueAxis(const ChartPane& pane, int decimals, bool labels = true);

    /// Fixed reference levels (oscillator bands) with their labels, and a name at the top left.
    void bands(const ChartPane& pane, std::initializer_list<double> levels, const QString& name);

    void label(const ChartPane& pane, const QString& text);

    void frame(const ChartPane& pane);

    /// A vertical grid line through every pane at x with a label under the lowest, unless the label
    /// would run into the previous one.
    void timeTick(double x, const QString& text);

    /// Month boundaries of daily bars: "2025/1" in January, "7月" otherwise.
    void monthTicks(const QList<PriceBar>& bars, int gmtOffset, const std::function<double(qsizetype)>& x);

    void candles(const ChartPane& pane, const Slots& slots, const QList<PriceBar>& bars);

    /// A line through the finite values at their x; a lone point is drawn as a dot.
    void line(const ChartPane& pane, const QList<double>& values, const std::function<double(qsizetype)>& x,
              QRgb color, double width = 1.4);

    void volumes(ChartPane& pane, const Slots& slots, const QList<PriceBar>& bars);

    /// Coloured legend entries from the top left of a pane.
    void legend(const ChartPane& pane, const QList<std::pair<QRgb, QString>>& items);

    static QString compactVolume(double v);

    /// The finished chart of `shown` bars, with the texts it shows for the last value and range.
    DrawnChart finish(qsizetype shown, const QString& lastText, const QString& rangeText);

    DrawnChart finish(bool empty = false);

private:
    ChartLayout m_layout;
    QImage m_image;
    QPainter m_painter;
    int m_px = 9;
    double m_labelEnd = -1e9;
    QString m_titleShown;
};

/// The chart's title: the options' title, else the series' name, else its symbol.
QString titleOf(const PriceSeries& s, const ChartOptions& o);
/// The empty frame of a kind with its title and "データなし".
DrawnChart emptyChart(ChartKind kind, QSize size, const QString& title, double devicePixelRatio = 1);

} // namespace tickora::chartdraw
