#pragma once

#include "charts/chartsources.h"
#include "platform/services.h"
#include "quotes/quotesheet.h"

#include <QHash>
#include <QImage>
#include <QObject>

#include <array>
#include <functional>

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
    /// The code whose charts were asked for last.
    virtual void chartCodeChosen(qint16 code) = 0;
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
};

/// The chart routines. Each downloads one image into its fixed file in the data folder and
/// shows that file in its target; a routine's `then` runs once the picture is shown. A failed or
/// refused download shows the file again only when it is known to hold the same chart, never
/// another stock's chart nor another kind of chart. Of two quick clicks for a stock chart, only
/// the last one's chart is shown. The thumbnail refresh starts the downloads of all rows at once
/// and writes and shows the answers strictly in row order.
class ChartRoutines : public QObject
{
    Q_OBJECT
public:
    using Then = std::function<void()>;
    /// `services` is read at each use (the window swaps in its own clients after start-up), so it
    /// must outlive the routines.
    ChartRoutines(const Services& services, ChartRoutinesHost& host, QObject* parent = nullptr);

    void showYearChart(qint16 code, Then then = {});
    void showSixMonthChart(qint16 code, Then then = {});
    void refreshThumbnails(Then then = {});
    void showNikkeiSixMonthChart(Then then = {});
    void refreshIndexChart(Then then = {});
    void showNyNikkeiChart(Then then = {});
    void showAdvanceDeclineChart(Then then = {});
    void showDowChart(Then then = {});
    void showDollarYenChart(Then then = {});
    /// A click on thumbnail `k` opens the 1-year chart of its row's stock.
    void thumbnailClicked(int k);
    /// A click on caption `k` opens the 6-month chart of its row's stock.
    void captionClicked(int k);

private:
    struct ThumbRun;
    void fetchChart(const ChartDownload& chart, std::function<void(const QImage&)> show, Then then);
    void fetchIntoWindow(const ChartDownload& chart, ChartRoutinesHost::Window window, Then then);
    /// Shows a stock's chart in `window` when no later call (counted in `calls`) came meanwhile.
    void showStockChart(const ChartDownload& chart, ChartRoutinesHost::Window window, int& calls, Then then);
    /// The picture to show after a download of `chart`, whether or not it replaced the file.
    QImage chartPicture(const ChartDownload& chart, bool written);
    QImage load(const QString& file) const;
    void showThumbsInOrder(ThumbRun& run);
    void showThumb(size_t k, struct ThumbSlot& slot);

    const Services& m_services;
    ChartRoutinesHost& m_host;
    /// Which address each chart file last received in this run (file path to address).
    QHash<QString, QUrl> m_fileHolds;
    /// The last picture each thumbnail slot got from a successful download, and its address.
    std::array<QUrl, 12> m_thumbUrls;
    std::array<QImage, 12> m_thumbPictures;
    /// Counts thumbnail refreshes, so answers of a superseded refresh change nothing.
    int m_thumbRun = 0;
    /// Count the calls for the 1-year and 6-month charts: only the last call's answer is shown.
    int m_yearChartCalls = 0;
    int m_sixMonthChartCalls = 0;
};

} // namespace tickora
