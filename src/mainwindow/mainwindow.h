#pragma once

#include "platform/backoff.h"
#include "platform/prefetch.h"
#include "platform/services.h"
#include "quotes/secondsource.h"
#include "watch/chartroutines.h"
#include "watch/codeentry.h"
#include "watch/refreshcycle.h"
#include "watch/statusmessages.h"

#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QFrame;

namespace tickora {

class EntryBox;
class SettingsWindow;
class StockYearChartWindow;
class StockHalfYearChartWindow;
class MarketChartWindow;
enum class MarketWindow;
class PictureBox;
class QuoteGrid;
class RefreshPass;
class ThumbCaption;
struct TwipsRect;

/// The main window (the old program's Form1): quote grid, entry box, status bar, Nikkei line, thumbnails and
/// menu bar. Every platform service arrives through the constructor. Long work (a refresh, a download) runs
/// asynchronously; a step that continues later takes a `Then` that runs when it is done.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    using Then = std::function<void()>;

    explicit MainWindow(const Services& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Shows the refusal for a second running instance; false when this process must end.
    static bool claimSingleInstance(SingleInstance& instance, Dialogs& dialogs);
    /// Moves the window to the top-left corner of the screen and maximises it.
    void showAtStart();

private:
    // ---- commands ----
    void quit();
    void openHelp();
    void startRealTime();
    /// The stop command, and the stop every other command makes: timer off, status bar black,
    /// caption unchanged. It holds: a tick or start still working finishes its current step only.
    void stopRealTime();
    void showNikkeiSixMonthChart();
    void showNyNikkeiChart();
    void showDowChart();
    void showAdvanceDeclineChart();
    void showDollarYenChart();
    void saveWatchList();
    void openWatchList();
    void showSettings();
    void captureScreen();
    void gridClicked();

    // ---- steps of a refresh ----
    /// Moves the filled rows up over the empty ones, keeping their order.
    void packRows();
    /// Places the thumbnails and their captions for the screen's layout: the first slot is always
    /// placed, the others up to the number of watched rows.
    void layOutThumbnails();
    void refreshThumbnails(Then then);
    void refreshQuotes(Then then);
    void refreshNikkeiLine(Then then);
    /// Closes every secondary window of the program (chart windows, settings).
    void closeSecondaryWindows();

    void buildControls();
    /// The window's status line: service holds and settings that were refused.
    void buildStatusLine();
    void buildLabels(QWidget* client);
    void buildEntryBox(QWidget* client);
    void buildThumbnails(QWidget* client);
    void buildLines(QWidget* client);
    void buildMenu();
    /// Fills the window as it first shows: date, header captions, column widths, row 1 current.
    void showInitialState();
    void connectEvents();
    /// Adds to `menu` the action `name` that runs `command`.
    void addCommand(QWidget* menu, const QString& name, const QString& caption,
                    void (MainWindow::*command)());
    /// A rectangle of the window in twips, in pixels.
    QRect twips(const TwipsRect& r) const;
    /// A point of the window in twips, in pixels.
    QPoint twipsPoint(QPoint twips) const;

    Services m_services;
    qreal m_dpi = 96.0;

    // ---- controls ----
    QLabel* m_dateLabel = nullptr;       ///< today's date (the old program's Label2)
    QLabel* m_realTimeStatus = nullptr;  ///< status of the refresh cycle (the old program's Label3)
    QLabel* m_nikkeiLine = nullptr;      ///< Nikkei average line and chart titles (the old program's Label4)
    QLabel* m_currentRowLabel = nullptr; ///< number of the grid's current row (the old program's Label5)
    EntryBox* m_entryBox = nullptr;      ///< the grid's only editor (the old program's Text1)
    QCheckBox* m_muteBox = nullptr;      ///< mutes the price chimes (the old program's Check1)
    QTimer* m_refreshTimer = nullptr;    ///< the refresh clock (the old program's Timer1)
    QuoteGrid* m_grid = nullptr;         ///< the quote grid (the old program's MSFlexGrid1)
    PictureBox* m_indexChart = nullptr;  ///< market chart beside the grid (the old program's Image2)
    /// Slot k shows grid row k + 1 (the old program's Image1).
    std::array<PictureBox*, grid::WatchedRows> m_thumbnails{};
    /// The caption above each thumbnail (the old program's Label1).
    std::array<ThumbCaption*, grid::WatchedRows> m_thumbCaptions{};

    // ---- fields shared by the parts ----
    qint16 m_watchCount = 0; ///< rows the last quote refresh covered
    QStringList m_shortNames = QStringList(grid::Rows);
    QString m_chartCode; ///< the code whose charts were asked for last
    qint16 m_screenPixelsY = 0;
    QString m_helpPath;

    // ---- state of the refresh cycle ----
    class CycleHost;
    static std::unique_ptr<RefreshCycleHost> makeCycleHost(MainWindow& window);
    void enableTimer();
    /// True when a stop came after `stopCount` was read: the work in progress must not go on.
    bool stoppedSince(quint64 stopCount) const { return m_cycle.stoppedSince(stopCount); }
    /// Starts every request of one refresh at once; the steps then take their answers in order.
    void prefetchRefresh();

    std::unique_ptr<PrefetchingHttpClient> m_http;
    std::unique_ptr<HttpDownloader> m_downloader;
    std::unique_ptr<CountingDialogs> m_dialogs;
    std::unique_ptr<RefreshCycleHost> m_cycleHost;
    RefreshCycle m_cycle;

    // ---- state of the quote refresh pass ----
    class RefreshHost;
    /// The pass that refreshQuotes runs, made on first use.
    RefreshPass& refreshPass();
    /// The failure message of a fetch.
    void showFetchFailure();
    RefreshPass* m_refreshPass = nullptr;
    /// Holds on the services that answered 429 or 503, shared by every request to them.
    ServiceBackoff m_backoff;
    /// The moment now from the clock service, in the computer's zone.
    QDateTime now() const;
    /// The trading day's moment in Japan time: the simulated market's while the quotes come from
    /// one that tells it, else the clock's.
    QDateTime tradingMoment() const;
    /// Takes the moment a quote answer tells (invalid: none, so the clock is used again).
    void noteMarketMoment(const QDateTime& simulated);
    /// Says in the status line why nothing is asked for now; empty takes that away.
    void showQuiet(const QString& text);
    QDateTime m_simulatedMoment; ///< in Japan time; invalid while the clock is used
    class StatusHost;
    static std::unique_ptr<StatusLineHost> makeStatusHost(MainWindow& window);
    std::unique_ptr<StatusLineHost> m_statusHost;
    StatusMessages m_status; ///< the status line's messages
    /// Says once in the status line that a service is held until `until`.
    void showServiceHeld(const QDateTime& until);
    /// Marks the window title and the status line: the quotes come from a simulated market.
    void markSimulated();
    // The second source: what to tell when pages cannot be read or the series service refuses.
    void noteSeriesAnswer(int status, bool holdStarted);
    void tellPageUnread(const QString& code, bool fromSeries);
    void tellOtherCode(const QString& code, const QString& boardCode);
    void notePageRead(const QString& code);
    /// The Nikkei line from the series, when its page answered but could not be read.
    void nikkeiLineFromSeries(const std::function<void()>& finish);
    QLabel* m_simulatedMark = nullptr; ///< "模擬相場" in the status line, once marked
    bool m_nikkeiLineRunning = false;
    QList<Then> m_nikkeiLineWaiting; ///< callers of refreshNikkeiLine served by the request in flight

    // ---- state of the charts ----
    /// Closes the two chart windows of a stock if they are open.
    void closeStockChartWindows();
    /// The chart window held in `slot`, made on first use (or after it was closed).
    template <class W> W* chartWindow(QPointer<W>& slot);
    /// The window of the market chart `chart`, made on first use (or after it was closed).
    MarketChartWindow* marketChartWindow(MarketWindow chart);
    /// Closes the chart window held in `slot` if it is open.
    template <class W> void closeChartWindow(QPointer<W>& slot);
    QPointer<StockYearChartWindow> m_stockYearChart;         ///< 1-year chart of a stock
    QPointer<StockHalfYearChartWindow> m_stockHalfYearChart; ///< 6-month chart of a stock
    /// The market chart windows while open, by MarketWindow.
    std::array<QPointer<MarketChartWindow>, 4> m_marketCharts;
    class ChartsHost;
    static std::unique_ptr<ChartRoutinesHost> makeChartsHost(MainWindow& window);
    std::unique_ptr<ChartRoutinesHost> m_chartsHost;
    ChartRoutines m_charts;

    // ---- state of code entry ----
    class EntryHost;
    static std::unique_ptr<CodeEntryHost> makeEntryHost(MainWindow& window);
    /// Loads the box with a cell's text as it stands: no filter, no beep, nothing written back.
    void showInBox(const QString& text);
    /// Keeps the entry box attached to the grid's current cell.
    void connectEntry();
    std::unique_ptr<CodeEntryHost> m_entryHost;
    CodeEntry m_entry;

    // ---- state of files, settings, capture ----
    // (owned by the files code)
    QPointer<SettingsWindow> m_settingsWindow; ///< the settings window while it is open
    /// The code cells of rows 1 to 12.
    QStringList watchedCodes() const;
    /// Empties the thumbnail and caption of every row whose code is no longer `codesBefore`'s.
    void clearThumbnailsOfChangedRows(const QStringList& codesBefore);
    /// Closes the settings window when it is open (part of closing every secondary window).
    void closeSettingsWindow();
    /// Says that the Shift_JIS (CP932) converter is missing, so no text file can be read or written.
    void showNoShiftJis();
};

} // namespace tickora
