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
class Form6;
class PictureBox;
class QuoteGrid;
class RefreshPass;
class ThumbCaption;

/// The main window: quote grid, entry box, status bar, Nikkei line, thumbnails and menu bar.
/// Every platform service arrives through the constructor. Long work (a refresh, a download)
/// runs asynchronously; a step that continues later takes a `Then` that runs when it is done.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    using Then = std::function<void()>;

    explicit Form1(const Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    /// Shows the refusal for a second running instance; false when this process must end.
    static bool claimSingleInstance(SingleInstance& instance, Dialogs& dialogs);
    /// Moves the window to the top-left corner of the screen and maximises it.
    void showAtStart();

private:
    // ---- commands; each notes the design's name of its event ----
    void quit();          ///< end1_Click
    void openHelp();      ///< menu8_Click
    void startRealTime(); ///< menu3_Click
    /// menu4_Click, and the stop every other command makes: timer off, status bar black, caption
    /// unchanged. It holds: a tick or start still working finishes its current step only.
    void stopRealTime();
    void showNikkeiSixMonthChart(); ///< menu5_Click
    void showNyNikkeiChart();       ///< munu6_Click
    void showDowChart();            ///< nyd_Click
    void showAdvanceDeclineChart(); ///< menu7_Click
    void showDollarYenChart();      ///< en_Click
    void saveWatchList();           ///< menu2_Click
    void openWatchList();           ///< menu11_Click
    void showSettings();            ///< menu1_Click
    void captureScreen();           ///< HDCOPY_Click
    void gridClicked();             ///< MSFlexGrid1_Click

    // ---- steps of a refresh ----
    void packRows(); ///< PackRows
    /// LayoutThumbs and LayoutThumbLabels: the first slot is always placed, the others up to the
    /// number of watched rows.
    void layOutThumbnails();
    void refreshThumbnails(Then then);
    void refreshQuotes(Then then);
    void refreshNikkeiLine(Then then); ///< heikin
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
    void formLoad();
    void connectEvents();
    /// Adds to `menu` the action `name` that runs `command`.
    void addCommand(QWidget* menu, const QString& name, const QString& caption, void (Form1::*command)());
    QRect twips(int left, int top, int width, int height) const;

    Services m_services;
    qreal m_dpi = 96.0;

    // ---- controls ----
    QLabel* m_dateLabel = nullptr;                   ///< Label2: today's date
    QLabel* m_statusBar = nullptr;                   ///< Label3: status of the refresh cycle
    QLabel* m_nikkeiLine = nullptr;                  ///< Label4: Nikkei average line and chart titles
    QLabel* m_rowLabel = nullptr;                    ///< Label5: number of the grid's current row
    EntryBox* m_entryBox = nullptr;                  ///< Text1: the grid's only editor
    QCheckBox* m_muteBox = nullptr;                  ///< Check1: mutes the price chimes
    QTimer* m_timer = nullptr;                       ///< Timer1: the refresh clock
    QuoteGrid* m_grid = nullptr;                     ///< MSFlexGrid1
    PictureBox* m_marketChart = nullptr;             ///< Image2: market chart beside the grid
    std::array<PictureBox*, 12> m_thumbs{};          ///< Image1: slot k shows grid row k + 1
    std::array<ThumbCaption*, 12> m_thumbCaptions{}; ///< Label1

    // ---- fields shared by the parts ----
    qint16 m_watchCount = 0; ///< rows the last quote refresh covered
    QStringList m_shortNames = QStringList(13);
    QString m_chartCode; ///< the code whose charts were asked for last
    qint16 m_screenPixelsY = 0;
    QString m_helpPath;

    // ---- state of the refresh cycle ----
    class CycleHost;
    static std::unique_ptr<RefreshCycleHost> makeCycleHost(Form1& window);
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
    static std::unique_ptr<StatusLineHost> makeStatusHost(Form1& window);
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
    bool m_heikinRunning = false;
    QList<Then> m_heikinWaiting; ///< callers of refreshNikkeiLine served by the request in flight

    // ---- state of the charts ----
    /// Closes the stock chart windows Form2 and Form3 if they are open.
    void closeStockChartWindows();
    /// The chart window held in `slot`, made on first use (or after it was closed).
    template <class W> W* chartWindow(QPointer<W>& slot);
    /// Closes the chart window held in `slot` if it is open.
    template <class W> void closeChartWindow(QPointer<W>& slot);
    QPointer<class Form2> m_form2;   ///< 1-year chart of a stock
    QPointer<class Form3> m_form3;   ///< 6-month chart of a stock
    QPointer<class Form5> m_form5;   ///< Nikkei 6 months
    QPointer<class Form7> m_form7;   ///< advance/decline ratio
    QPointer<class Form9> m_form9;   ///< New York Dow
    QPointer<class Form12> m_form12; ///< dollar-yen
    class ChartsHost;
    static std::unique_ptr<ChartRoutinesHost> makeChartsHost(Form1& window);
    std::unique_ptr<ChartRoutinesHost> m_chartsHost;
    ChartRoutines m_charts;

    // ---- state of code entry ----
    class EntryHost;
    static std::unique_ptr<CodeEntryHost> makeEntryHost(Form1& window);
    /// Loads the box with a cell's text as it stands: no filter, no beep, nothing written back.
    void showInBox(const QString& text);
    /// Keeps the entry box attached to the grid's current cell.
    void connectEntry();
    std::unique_ptr<CodeEntryHost> m_entryHost;
    CodeEntry m_entry;

    // ---- state of files, settings, capture ----
    // (owned by the files code)
    QPointer<Form6> m_form6; ///< the settings window while it is open
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
