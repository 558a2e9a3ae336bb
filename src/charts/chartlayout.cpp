// Where each chart kind puts its title, panes and time labels; the value-axis steps; the ratio
// charts are drawn at.
#include "charts/chartcanvas.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

/// Vertical layout of a kind: pane roles with their share of the height below the title.
QList<std::pair<PaneRole, double>> paneShares(ChartKind kind)
{
    switch (kind) {
    case ChartKind::Year:
        return {{PaneRole::Price, 0.75}, {PaneRole::Volume, 0.25}};
    case ChartKind::HalfYear:
        return {{PaneRole::Price, 0.6}, {PaneRole::Volume, 0.2}, {PaneRole::Rsi, 0.2}};
    case ChartKind::NikkeiHalfYear:
        return {{PaneRole::Price, 0.6}, {PaneRole::Rsi, 0.2}, {PaneRole::WilliamsR, 0.2}};
    case ChartKind::Ratio:
        return {{PaneRole::Ratio, 0.55}, {PaneRole::Price, 0.45}};
    case ChartKind::Intraday:
    case ChartKind::Comparison:
    case ChartKind::Line:
        break;
    }
    return {{PaneRole::Price, 1.0}};
}

} // namespace

using namespace chartdraw;

double drawingRatio(double devicePixelRatio)
{
    return std::isfinite(devicePixelRatio) ? std::clamp(devicePixelRatio, 1.0, 4.0) : 1.0;
}

double niceStep(double range, int ticks)
{
    if (!(range > 0) || ticks < 1)
        return 1;
    const double raw = range / ticks;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (raw <= m * mag)
            return m * mag;
    return 10 * mag;
}

int valueLabelDecimals(double step, int priceDecimals)
{
    if (step >= 1)
        return step != std::floor(step) ? std::max(0, priceDecimals) : 0;
    return std::min(6, int(std::ceil(-std::log10(step) - 1e-9)));
}

double ChartPane::yOf(double value) const
{
    const double span = high - low;
    if (!(span > 0))
        return rect.center().y();
    return rect.bottom() - (value - low) / span * rect.height();
}

const ChartPane* ChartLayout::pane(PaneRole role) const
{
    for (const ChartPane& p : panes)
        if (p.role == role)
            return &p;
    return nullptr;
}

ChartLayout chartLayout(ChartKind kind, QSize size)
{
    ChartLayout l;
    l.size = size.expandedTo(QSize(32, 32)).boundedTo(QSize(4000, 4000));
    const int px = fontPixels(l.size);
    const double w = l.size.width();
    const double h = l.size.height();
    // Value labels take the right margin: wide enough for "38,000" at the chart's text size.
    const double right = std::min(std::max(px * 4.2, 24.0), w * 0.3);
    const double left = 3;
    const auto shares = paneShares(kind);
    // Too small for text lines: the panes take the whole picture.
    const bool roomy = h - 2 * (px + 5) >= 12.0 * double(shares.size());
    l.title = roomy ? QRectF(left, 1, w - 2 * left, px + 5) : QRectF(left, 0, w - 2 * left, 0);
    l.timeAxis = roomy ? QRectF(0, h - px - 4, w, px + 3) : QRectF(0, h, w, 0);
    const double top = l.title.bottom() + (roomy ? 2 : 1);
    const double gap = roomy ? 3 : 1;
    const double usableHeight = std::max(4.0, l.timeAxis.top() - 1 - top - gap * double(shares.size() - 1));
    double y = top;
    for (const auto& [role, share] : shares) {
        ChartPane p;
        p.role = role;
        p.rect = QRectF(left, y, std::max(4.0, w - left - right), usableHeight * share);
        l.panes.append(p);
        y = p.rect.bottom() + gap;
    }
    return l;
}

DrawnChart drawEmptyChart(ChartKind kind, QSize size, const QString& title, double devicePixelRatio)
{
    return emptyChart(kind, size, title, devicePixelRatio);
}

} // namespace tickora
