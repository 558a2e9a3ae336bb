#include "mainwindow.h"

#include "accessiblenames.h"
#include "charts/picturebox.h"
#include "charts/widgetstyle.h"
#include "entrybox.h"
#include "platform/datafolder.h"
#include "platform/geometry.h"
#include "quotegrid.h"
#include "thumbcaption.h"
#include "windowplaces.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 LightGrey = 0x00E0E0E0;
const QString UiFont = u"ＭＳ Ｐゴシック"_s;

// The design's Japanese UI font does not exist outside Windows; draw it with an installed
// Japanese font instead.
void registerFontSubstitutes()
{
    QFont::insertSubstitutions(UiFont, {u"IPAPGothic"_s, u"IPAGothic"_s, u"Noto Sans CJK JP"_s});
}

QLabel* addLabel(QWidget* client, const QString& name, QRect geometry)
{
    auto* l = new QLabel(client);
    l->setObjectName(name);
    l->setGeometry(geometry);
    setBackground(l, LightGrey);
    return l;
}

QFont uiFont(qreal points, bool bold = false)
{
    QFont f(UiFont);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace

MainWindow::MainWindow(const Services& services, QWidget* parent)
    : QMainWindow(parent), m_services(services), m_cycleHost(makeCycleHost(*this)), m_cycle(*m_cycleHost),
      m_statusHost(makeStatusHost(*this)), m_status(*m_statusHost), m_chartsHost(makeChartsHost(*this)),
      m_charts(m_services, *m_chartsHost), m_entryHost(makeEntryHost(*this)), m_entry(*m_entryHost)
{
    registerFontSubstitutes();
    // Every request goes through one prefetching client, so a refresh can start all of its
    // requests at once; boxes are counted so that a tick never stacks one on another.
    m_http = std::make_unique<PrefetchingHttpClient>(*services.http);
    m_downloader = std::make_unique<HttpDownloader>(*m_http);
    m_dialogs = std::make_unique<CountingDialogs>(*services.dialogs);
    m_services.http = m_http.get();
    m_services.downloader = m_downloader.get();
    m_services.dialogs = m_dialogs.get();
    // A start that waited for a box runs once the box's caller has finished its own work.
    m_dialogs->setAllClosed([this] {
        QMetaObject::invokeMethod(
            this, [this] { m_cycle.runPendingStart(); }, Qt::QueuedConnection);
    });
    if (m_services.screen)
        m_dpi = m_services.screen->logicalDpiY();
    setObjectName(u"mainWindow"_s);
    setWindowTitle(u"Tickora"_s);
    buildControls();
    buildStatusLine();
    buildMenu();
    nameForScreenReaders({m_entryBox, m_grid, m_indexChart, statusBar(), m_dateLabel, m_realTimeStatus,
                          m_currentRowLabel, m_nikkeiLine, m_thumbnails, m_thumbCaptions});
    connectEvents();
    showInitialState();
    if (!m_services.shiftJisConverter)
        showNoShiftJis();
}

MainWindow::~MainWindow() = default;

QRect MainWindow::twips(const TwipsRect& r) const
{
    return twipsRect(r.left, r.top, r.width, r.height, m_dpi);
}

QPoint MainWindow::twipsPoint(QPoint twips) const
{
    return {twipsToPixels(twips.x(), m_dpi), twipsToPixels(twips.y(), m_dpi)};
}

void MainWindow::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(u"mainClient"_s);
    setBackground(client, LightGrey);
    setCentralWidget(client);
    buildLabels(client);
    buildEntryBox(client);

    m_muteBox = new QCheckBox(u"消音"_s, client);
    m_muteBox->setObjectName(u"muteBox"_s);
    m_muteBox->setGeometry(twips(places::MuteBox));
    setBackground(m_muteBox, LightGrey);

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setObjectName(u"refreshTimer"_s);
    m_refreshTimer->setInterval(m_services.config.tickIntervalMs);

    m_grid = new QuoteGrid(m_dpi, client);
    m_grid->setGeometry(twips(places::QuoteGrid));
    m_grid->setFont(uiFont(9));

    m_indexChart = new PictureBox(client);
    m_indexChart->setObjectName(u"indexChart"_s);
    m_indexChart->setGeometry(twips(places::IndexChart));
    buildThumbnails(client);
    buildLines(client);
}

void MainWindow::buildStatusLine()
{
    QStatusBar* line = statusBar();
    line->setObjectName(u"statusLine"_s);
    line->setSizeGripEnabled(false);
    // Settings the program did not take as given are said where the user looks for news.
    if (!m_services.config.notices.isEmpty())
        line->showMessage(m_services.config.notices.join(u' '));
}

void MainWindow::buildLabels(QWidget* client)
{
    m_dateLabel = addLabel(client, u"dateLabel"_s, twips(places::DateLabel));
    m_realTimeStatus = addLabel(client, u"realTimeStatus"_s, twips(places::RealTimeStatus));
    m_currentRowLabel = addLabel(client, u"currentRowLabel"_s, twips(places::CurrentRowLabel));
    m_nikkeiLine = addLabel(client, u"nikkeiLine"_s, twips(places::NikkeiLine));
    m_nikkeiLine->setFont(uiFont(9.75, true));
    m_nikkeiLine->setTextFormat(Qt::PlainText); // text cut from a web page, never markup
    setPaletteColor(m_nikkeiLine, QPalette::WindowText, 0x000000C0);
}

void MainWindow::buildEntryBox(QWidget* client)
{
    m_entryBox = new EntryBox(client);
    m_entryBox->setObjectName(u"entryBox"_s);
    m_entryBox->setGeometry(twips(places::EntryBox));
    m_entryBox->setFont(uiFont(11.25));
    m_entryBox->setToolTip(u"Code入力"_s);
    setPaletteColor(m_entryBox, QPalette::Base, LightGrey);
}

void MainWindow::buildLines(QWidget* client)
{
    for (int i = 0; i < int(std::size(places::Rules)); ++i) {
        const TwipsRect& rule = places::Rules[i];
        auto* f = new QFrame(client);
        f->setObjectName(u"topRule%1"_s.arg(i + 1)); // the old program's Line1 to Line3
        f->setFrameShape(QFrame::HLine);
        f->setFrameShadow(QFrame::Plain);
        f->setGeometry(
            QRect(QPoint(0, twipsToPixels(rule.top, m_dpi)), QSize(twipsToPixels(rule.width, m_dpi), 1)));
    }
}

void MainWindow::buildThumbnails(QWidget* client)
{
    for (int k = 0; k < grid::WatchedRows; ++k) {
        m_thumbnails[k] = new PictureBox(client);
        m_thumbnails[k]->setObjectName(u"thumbnail%1"_s.arg(k));
        m_thumbCaptions[k] = new ThumbCaption(client);
        m_thumbCaptions[k]->setObjectName(u"thumbnailCaption%1"_s.arg(k));
        setBackground(m_thumbCaptions[k], LightGrey);
        // Until the first refresh lays them out, the slots stand in the large layout's places.
        const ThumbPlace place = thumbPlace(k, true);
        m_thumbnails[k]->setGeometry(QRect(twipsPoint(place.picture), twips(places::ThumbnailStart).size()));
        // A thumbnail grows to its picture, but never beyond its place in the large layout.
        m_thumbnails[k]->setMaximumSize(twips(places::ThumbnailLimit).size());
        m_thumbCaptions[k]->move(twipsPoint(place.caption));
        m_thumbCaptions[k]->setSlotWidth(twipsToPixels(captionSlotWidth(k, true), m_dpi));
    }
}

void MainWindow::addCommand(QWidget* menu, const QString& name, const QString& caption,
                            void (MainWindow::*command)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, command);
    menu->addAction(action);
}

void MainWindow::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(u"menuBar"_s);
    QMenu* file = bar->addMenu(u"ファイル"_s);
    file->setObjectName(u"fileMenu"_s);
    file->menuAction()->setObjectName(u"fileMenuAction"_s);
    addCommand(file, u"settingsCommand"_s, u"設定"_s, &MainWindow::showSettings);
    // The commands on the menu bar itself, left to right.
    const struct
    {
        QString name;
        QString caption;
        void (MainWindow::*command)();
    } commands[] = {
        {u"openCommand"_s, u"開く"_s, &MainWindow::openWatchList},
        {u"saveCommand"_s, u"保存"_s, &MainWindow::saveWatchList},
        {u"quitCommand"_s, u"終了"_s, &MainWindow::quit},
        {u"startRealTimeCommand"_s, u"リアルタイム表示"_s, &MainWindow::startRealTime},
        {u"stopRealTimeCommand"_s, u"リアルタイム停止"_s, &MainWindow::stopRealTime},
        {u"nikkeiHalfYearCommand"_s, u"日経６ヶ月チャート +ＲＳＩ +W%R"_s,
         &MainWindow::showNikkeiSixMonthChart},
        {u"nyNikkeiCommand"_s, u"ＮＹ日経比較チャート"_s, &MainWindow::showNyNikkeiChart},
        {u"dowCommand"_s, u"NYダウ"_s, &MainWindow::showDowChart},
        {u"advanceDeclineCommand"_s, u"騰落レシオ"_s, &MainWindow::showAdvanceDeclineChart},
        {u"dollarYenCommand"_s, u"ドル-円為替"_s, &MainWindow::showDollarYenChart},
        {u"captureCommand"_s, u"キャプチャー"_s, &MainWindow::captureScreen},
        {u"helpCommand"_s, u"ヘルプ"_s, &MainWindow::openHelp},
    };
    for (const auto& [name, caption, command] : commands)
        addCommand(bar, name, caption, command);
}

void MainWindow::connectEvents()
{
    connect(m_refreshTimer, &QTimer::timeout, this, [this] { m_cycle.tick(); });
    connect(m_entryBox, &QLineEdit::textChanged, this, [this] { m_entry.boxChanged(); });
    connect(m_entryBox, &EntryBox::focusReceived, this,
            [this] { m_entryBox->setCursorPosition(int(m_entryBox->text().size())); });
    connect(m_entryBox, &EntryBox::keyPressed, this,
            [this](int key, bool* consumed) { *consumed = m_entry.boxKey(key); });
    connect(m_grid, &QuoteGrid::clicked, this, &MainWindow::gridClicked);
    connectEntry();
    connect(m_grid, &QuoteGrid::focusReceived, this, [this] { m_entry.gridFocused(); });
    connect(m_grid, &QuoteGrid::keyPressed, this,
            [this](int key, bool* consumed) { *consumed = m_entry.gridKey(key); });
    for (int k = 0; k < grid::WatchedRows; ++k) {
        connect(m_thumbnails[k], &PictureBox::clicked, this, [this, k] { m_charts.thumbnailClicked(k); });
        connect(m_thumbCaptions[k], &ClickLabel::clicked, this, [this, k] { m_charts.captionClicked(k); });
    }
}

void MainWindow::showInitialState()
{
    const QDate today = m_services.clock ? m_services.clock->today() : QDate::currentDate();
    m_dateLabel->setText(today.toString(u"yyyy/MM/dd "_s));
    m_refreshTimer->stop();
    setBackground(m_realTimeStatus, 0x00000000);
    m_helpPath = m_services.config.dataFile(DataFolder::helpDocument());
    const QSize screenSize = m_services.screen ? m_services.screen->sizePixels() : QSize(1024, 768);
    m_screenPixelsY = qint16(qBound(0, screenSize.height(), 32767));

    m_grid->setUpdatesEnabled(false);
    for (int r = 0; r <= grid::LastRow; r += 2)
        m_grid->setRowBackground(r, grid::Code, grid::Time, LightGrey);
    static const QStringList captions = {u"Code"_s,      u"      銘    柄"_s, u" 現 在 値"_s, u" 前 日 差"_s,
                                         u" 前日終値"_s, u"  出 来 高"_s,     u"   始 値 "_s, u"   高 値 "_s,
                                         u"   安 値 "_s, u"買値目標"_s,       u"売値目標"_s,  u"  時 間 "_s};
    for (int c = grid::Code; c <= grid::Time; ++c)
        m_grid->setCellText(0, c, captions[c - 1]);
    m_grid->setColWidthTwips(0, 400);
    m_grid->setColWidthTwips(1, 800);
    m_grid->setColWidthTwips(2, 2000);
    m_grid->setColWidthTwips(6, 1100);
    for (int r = 1; r <= grid::LastRow; ++r)
        m_grid->item(r, grid::Name)->setTextAlignment(Qt::AlignCenter);
    m_grid->setUpdatesEnabled(true);

    m_grid->setCurrent(1, m_grid->col());
    m_currentRowLabel->setText(u"1"_s);
    m_entry.handOver(m_grid->row(), m_grid->col());
}

bool MainWindow::claimSingleInstance(SingleInstance& instance, Dialogs& dialogs)
{
    if (instance.claim())
        return true;
    const QString title = u"Tickora"_s;
    dialogs.message(nullptr, title, u"すでに「"_s + title + u"」は起動されています。"_s,
                    Dialogs::Icon::Warning);
    return false;
}

void MainWindow::showAtStart()
{
    // Without a window manager (a bare X server) maximising does nothing: fill the screen by hand.
    if (QScreen* s = screen())
        setGeometry(s->availableGeometry());
    move(0, 0);
    showMaximized();
}

void MainWindow::quit()
{
    QApplication::exit(0);
}

void MainWindow::openHelp()
{
    stopRealTime();
    if (m_services.help)
        m_services.help->open(m_helpPath);
}

} // namespace tickora
