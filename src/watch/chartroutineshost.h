#pragma once

#include "platform/backoff.h"
#include "quotes/quotesheet.h"

#include <QDateTime>
#include <QImage>
#include <QString>

namespace tickora {

/// What the chart routines need from the window: the grid's codes and names, the thumbnail
/// slots, the market chart area beside the grid, and the chart windows.
class ChartRoutinesHost
{
public:
    /// The secondary chart windows, one of each.
    enum class Window
    {
        Year,           ///< 1-year chart of a stock
        SixMonth,       ///< 6-month chart of a stock
        NikkeiSixMonth, ///< Nikkei 6 months
        AdvanceDecline, ///< advance/decline ratio
        Dow,            ///< New York Dow
        DollarYen,      ///< dollar-yen
    };
    virtual ~ChartRoutinesHost() = default;
    virtual const QuoteSheet& sheet() const = 0;
    /// Rows the last quote refresh covered.
    virtual int watchCount() const = 0;
    virtual int screenPixelsY() const = 0;
    /// Device pixels per unit of the screen the window shows on; drawn charts are drawn at it.
    virtual double devicePixelRatio() const { return 1; }
    /// The code whose charts were asked for last.
    virtual void chartCodeChosen(const QString& code) = 0;
    virtual QString shortName(int index) const = 0;
    virtual QString thumbCaption(int k) const = 0;
    /// Sets caption `k` as plain text, sized to it.
    virtual void setThumbCaption(int k, const QString& text) = 0;
    /// Shows `picture` in slot `k` (a null picture empties it); returns it as the slot holds it.
    virtual QImage showThumb(int k, const QImage& picture) = 0;
    /// The market chart area beside the grid (a null picture empties it), and its title line.
    virtual void showMarketChart(const QImage& picture) = 0;
    virtual void setMarketTitle(const QString& text) = 0;
    virtual void closeWindow(Window window) = 0;
    /// Sets the title of `window`, making the window when it is not open.
    virtual void setWindowTitle(Window window, const QString& title) = 0;
    /// Shows `picture` in `window` (made when not open), placed and raised.
    virtual void showInWindow(Window window, const QImage& picture) = 0;
    /// The text line under the 1-year chart.
    virtual void setYearChartLine(const QString& text) = 0;
    /// The Nikkei average line as it stands; the drawn index chart takes its value.
    virtual QString marketLine() const = 0;
    /// The moment now, for the holds on services.
    virtual QDateTime now() const = 0;
    /// The trading day's moment in Japan time: its date is the day of the samples and kept series.
    virtual QDateTime tradingMoment() const = 0;
    /// The holds on services that asked not to be asked so often, shared with the quote requests.
    virtual ServiceBackoff& backoff() = 0;
    /// Says that a service is held until `until`.
    virtual void serviceHeld(const QDateTime& until) = 0;
    /// The series service answered `status` (0: no answer); `holdStarted`: the answer started a hold.
    virtual void seriesAnswered(int status, bool holdStarted) = 0;
};

} // namespace tickora
