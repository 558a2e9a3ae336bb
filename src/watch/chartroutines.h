#pragma once

#include "charts/chartpainter.h"
#include "charts/chartsources.h"
#include "charts/dayprices.h"
#include "charts/seriesreader.h"
#include "platform/backoff.h"
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

/// Pixel sizes of the drawn charts, each fitting the picture area it is shown in.
namespace drawnsize {
inline constexpr QSize LargeThumbnail{288, 176}; // the slot shows at most 298 x 179
inline constexpr QSize SmallThumbnail{200, 126};
inline constexpr QSize IndexChart{256, 200};
inline constexpr QSize Year{496, 288};
inline constexpr QSize SixMonth{512, 390};
inline constexpr QSize NikkeiSixMonth{537, 377};
inline constexpr QSize Dow{755, 400};
inline constexpr QSize DollarYen{360, 360};
} // namespace drawnsize

/// The series file of `symbol` kept for `day` in the data folder: series/<symbol>-1y-<yyyymmdd>.json,
/// with every character but letters, digits, '.' and '-' of the symbol written as '_'.
QString yearSeriesFile(const Config& config, const QString& symbol, QDate day);

/// The options of the drawn intraday charts titled `title`: the exchange's day, 9:00 to 15:30, with
/// the lunch break 11:30 to 12:30 left as a gap.
ChartOptions intradayChartOptions(const QString& title);

/// The chart routines. With images (Config::charts), each downloads one image into its fixed file
/// in the data folder and shows that file in its target; a routine's `then` runs once the picture is shown. A
/// failed or refused download shows the file again only when it is known to hold the same chart, never
/// another stock's chart nor another kind of chart. Of two quick clicks for a stock chart, only
/// the last one's chart is shown. The thumbnail refresh starts the downloads of all rows at once
/// and writes and shows the answers strictly in row order.
///
/// With drawn charts, each draws its chart from price series of the series service and writes
/// the picture (PNG) to the same file. Thumbnails and the index chart are drawn each refresh from
/// the prices the quote pass wrote into the grid and the Nikkei line, kept for the day, after one
/// intraday series per symbol and day has filled in the day so far. The daily charts draw from a
/// year of daily bars per symbol, fetched when a chart is asked for and kept in the data folder
/// for the day. A series that cannot be had (failure, unreadable answer, a held service) leaves
/// the target with its last picture of the same chart, or the empty frame "データなし". A 429 or
/// 503 answer holds the service: nothing is asked of it until the hold ends. Drawn charts are shown
/// at the host's device pixel ratio, while their files keep the charts' sizes in pixels. The index
/// chart takes the Nikkei line into the day's prices only once the line has been refreshed
/// (indexLineRefreshed), so both tell the same price and change.
class ChartRoutines : public QObject
{
    Q_OBJECT
public:
    using Then = std::function<void()>;
    /// `services` is read at each use (the window swaps in its own clients after start-up), so it
    /// must outlive the routines.
    ChartRoutines(const Services& services, ChartRoutinesHost& host, QObject* parent = nullptr);

    void showYearChart(const QString& code, Then then = {});
    void showSixMonthChart(const QString& code, Then then = {});
    void refreshThumbnails(Then then = {});
    /// The size of the drawn thumbnails on this screen; none (invalid) with downloaded images.
    QSize thumbnailSize() const;
    void showNikkeiSixMonthChart(Then then = {});
    void refreshIndexChart(Then then = {});
    /// With drawn charts, takes the Nikkei line as just refreshed into the day's index prices and
    /// draws the index chart again from them; the line and the chart then agree.
    void indexLineRefreshed();
    void showNyNikkeiChart(Then then = {});
    void showAdvanceDeclineChart(Then then = {});
    void showDowChart(Then then = {});
    void showDollarYenChart(Then then = {});
    /// A click on thumbnail `k` opens the 1-year chart of its row's stock.
    void thumbnailClicked(int k);
    /// A click on caption `k` opens the 6-month chart of its row's stock.
    void captionClicked(int k);

private:
    using SeriesDone = std::function<void(const std::optional<PriceSeries>&)>;
    using Show = std::function<void(const QImage&)>;
    /// How a drawn chart is made: the symbols whose series it needs and the painter call.
    struct DrawnChartPlan
    {
        QStringList symbols;
        bool intraday = false; ///< the day in 5-minute bars (not kept), else a year of days (kept)
        ChartKind kind = ChartKind::Line;
        QSize size;
        QString title;
        /// Draws the chart at a device pixel ratio.
        std::function<DrawnChart(const QList<PriceSeries>&, double)> draw;
    };
    bool drawn() const { return m_services.config.charts == ChartSource::Drawn; }
    /// The pixel ratio drawn charts are shown at.
    double displayRatio() const { return drawingRatio(m_host.devicePixelRatio()); }
    QDate today() const;
    /// Asks the series service; `done` gets the series, or nothing for any failure or hold.
    void fetchSeries(const QString& symbol, ChartRange range, ChartInterval interval, SeriesDone done);
    /// A year of daily bars of `symbol`, kept in memory and in the data folder for the day.
    void yearSeries(const QString& symbol, SeriesDone done);
    /// Gathers the series of `plan` in order, then draws and shows the chart (see the class).
    void drawChart(const ChartDownload& chart, const DrawnChartPlan& plan, Show show, Then then);
    void gatherSeries(std::shared_ptr<QList<PriceSeries>> got, const DrawnChartPlan& plan,
                      std::function<void(bool)> done);
    /// Writes a drawn picture to `file`, noting what it holds.
    void writeDrawn(const QString& file, const QUrl& holds, const QImage& picture);
    void drawThumbnails(Then then);
    void drawIndexChart(Then then);
    /// Draws the index chart from the day's prices, into its file and the market chart area.
    void showIndexChart();
    /// Notes the stock prices of the grid's rows and the Nikkei line's value as samples of the day.
    void sampleRow(int row, const QString& symbol);
    /// Asks once per symbol and day for the intraday series; `done` runs when its answer is in.
    bool topUp(const QString& symbol, std::function<void()> done);
    /// The plan of a stock's 1-year (`year`) or 6-month chart.
    DrawnChartPlan stockChartSpec(const QString& code, bool year) const;

    struct ThumbRun;
    void fetchChart(const ChartDownload& chart, std::function<void(const QImage&)> show, Then then);
    void fetchIntoWindow(const ChartDownload& chart, ChartRoutinesHost::Window window, Then then);
    void drawIntoWindow(const ChartDownload& chart, const DrawnChartPlan& plan,
                        ChartRoutinesHost::Window window, Then then);
    /// Shows a stock's chart in `window` when no later call (counted in `calls`) came meanwhile.
    void showStockChart(const ChartDownload& chart, const DrawnChartPlan& plan,
                        ChartRoutinesHost::Window window, int& calls, Then then);
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
    /// The day's prices behind the drawn thumbnails and index chart.
    DayPrices m_dayPrices;
    /// The year series read or fetched on m_yearSeriesDay, by file.
    QHash<QString, PriceSeries> m_yearSeries;
    QDate m_yearSeriesDay;
};

} // namespace tickora
