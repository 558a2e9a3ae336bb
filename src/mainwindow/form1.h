#pragma once

#include "platform/prefetch.h"
#include "chartroutines.h"
#include "codeentry.h"
#include "platform/services.h"
#include "refreshcycle.h"

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

class ClickLabel;
class EntryBox;
class Form6;
class PictureBox;
class QuoteGrid;
class RefreshPass;

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

    // ---- controls, named as the window's design names them ----
    QLabel* Label2 = nullptr;        ///< today's date
    QLabel* Label3 = nullptr;        ///< status bar of the refresh cycle
    QLabel* Label4 = nullptr;        ///< Nikkei average line and chart titles
    QLabel* Label5 = nullptr;        ///< number of the grid's current row
    EntryBox* Text1 = nullptr;       ///< entry box, the grid's only editor
    QCheckBox* Check1 = nullptr;     ///< mute box for the price chimes
    QTimer* Timer1 = nullptr;        ///< refresh clock
    QuoteGrid* MSFlexGrid1 = nullptr;
    PictureBox* Image2 = nullptr;    ///< market chart beside the grid
    std::array<PictureBox*, 12> Image1{};  ///< thumbnails, slot k shows grid row k + 1
    std::array<ClickLabel*, 12> Label1{};  ///< thumbnail captions
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QFrame* Line3 = nullptr;

    // ---- menu items ----
    QMenu* menu = nullptr; ///< "ファイル"
    QAction* menu1 = nullptr;
    QAction* menu11 = nullptr;
    QAction* menu2 = nullptr;
    QAction* end1 = nullptr;
    QAction* menu3 = nullptr;
    QAction* menu4 = nullptr;
    QAction* menu5 = nullptr;
    QAction* munu6 = nullptr;
    QAction* nyd = nullptr;
    QAction* menu7 = nullptr;
    QAction* en = nullptr;
    QAction* HDCOPY = nullptr;
    QAction* menu8 = nullptr;

    // ---- shared fields ----
    qint16 watchCount = 0;
    QStringList shortNames = QStringList(13);
    qint16 chartCode = 0;
    qint16 screenPixelsY = 0;
    QString helpPath;

    const Services& services() const { return m_services; }

    // ---- start-up, exit, help ----
    void end1_Click();
    void menu8_Click();

    // ---- refresh cycle ----
    void Timer1_Timer();
    void menu3_Click();
    void menu4_Click();
    /// The stop of the refresh cycle: timer off, status bar black, caption unchanged. It holds:
    /// a tick or start still working finishes its current step and goes no further.
    void stopCycle();
    /// True while a tick or a start is working.
    bool cycleBusy() const { return m_cycle.busy(); }
    void PackRows();
    void LayoutThumbs();
    void LayoutThumbLabels();
    void RefreshThumbs(Then then = {});

    // ---- quote refresh pass and Nikkei line ----
    void refreshQuotes(Then then = {});
    void heikin(Then then = {});

    // ---- charts ----
    /// The 1-year and 6-month charts of `chartCode`. When a later call comes before the answer,
    /// only the later call's chart is shown and only its `then` runs.
    void chart(Then then = {});
    void lifechart(Then then = {});
    void yahoochart(Then then = {});
    void mchart(Then then = {});
    void relchart(Then then = {});
    void nynkchart(Then then = {});
    void tourakuchart(Then then = {});
    void nychart(Then then = {});
    void dolen(Then then = {});
    void Image1_Click(int index);
    void Label1_Click(int index);
    void menu5_Click();
    void munu6_Click();
    void nyd_Click();
    void menu7_Click();
    void en_Click();
    /// Closes every secondary window of the program (chart windows, settings).
    void closeSecondaryWindows();

    // ---- code entry and grid events ----
    void Text1_Change();
    void Text1_GotFocus();
    /// Returns true when the key is consumed.
    bool Text1_KeyPress(int keyAscii);
    void LookupCode();
    void MSFlexGrid1_Click();
    void MSFlexGrid1_GotFocus();
    bool MSFlexGrid1_KeyPress(int keyAscii);

    // ---- files, settings, capture ----
    void menu2_Click();
    void menu11_Click();
    void menu1_Click();
    void HDCOPY_Click();

private:
    void buildControls();
    void buildMenu();
    void formLoad();
    void connectEvents();
    QRect twips(int left, int top, int width, int height) const;

    Services m_services;
    qreal m_dpi = 96.0;

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
    /// The failure message of a fetch; while one is open, another failure shows nothing.
    void showFetchFailure();
    RefreshPass* m_refreshPass = nullptr;
    bool m_fetchFailureOpen = false;
    bool m_heikinRunning = false;
    QList<Then> m_heikinWaiting; ///< callers of heikin served by the request in flight

    // ---- state of the charts ----
    /// Closes the stock chart windows Form2 and Form3 if they are open.
    void closeStockChartWindows();
    /// The chart window held in `slot`, made on first use (or after it was closed).
    template <class W> W* chartWindow(QPointer<W>& slot);
    /// Closes the chart window held in `slot` if it is open.
    template <class W> void closeChartWindow(QPointer<W>& slot);
    QPointer<class Form2> m_form2; ///< 1-year chart of a stock
    QPointer<class Form3> m_form3; ///< 6-month chart of a stock
    QPointer<class Form5> m_form5; ///< Nikkei 6 months
    QPointer<class Form7> m_form7; ///< advance/decline ratio
    QPointer<class Form9> m_form9; ///< New York Dow
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
    std::unique_ptr<CodeEntryHost> m_entryHost;
    CodeEntry m_entry;

    // ---- state of files, settings, capture ----
    // (owned by the files code)
    QPointer<Form6> m_form6; ///< the settings window while it is open
    /// Closes the settings window when it is open (part of closing every secondary window).
    void closeSettingsWindow();
    /// Says that the Shift_JIS (CP932) converter is missing, so no text file can be read or written.
    void showNoShiftJis();
};

} // namespace tickora
