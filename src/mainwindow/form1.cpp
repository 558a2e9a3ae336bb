#include "form1.h"

#include "accessiblenames.h"
#include "charts/picturebox.h"
#include "charts/widgetstyle.h"
#include "entrybox.h"
#include "platform/geometry.h"
#include "quotegrid.h"
#include "thumbcaption.h"
#include "thumblayout.h"

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

Form1::Form1(const Services& services, QWidget* parent)
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
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Tickora"_s);
    buildControls();
    buildStatusLine();
    buildMenu();
    nameForScreenReaders({m_entryBox, m_grid, m_marketChart, statusBar(), m_dateLabel, m_statusBar,
                          m_rowLabel, m_nikkeiLine, m_thumbs, m_thumbCaptions});
    connectEvents();
    formLoad();
    if (!m_services.shiftJisConverter)
        showNoShiftJis();
}

Form1::~Form1() = default;

QRect Form1::twips(int left, int top, int width, int height) const
{
    return twipsRect(left, top, width, height, m_dpi);
}

void Form1::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(u"Form1Client"_s);
    setBackground(client, LightGrey);
    setCentralWidget(client);
    buildLabels(client);
    buildEntryBox(client);

    m_muteBox = new QCheckBox(u"消音"_s, client);
    m_muteBox->setObjectName(u"Check1"_s);
    m_muteBox->setGeometry(twips(12000, 360, 735, 307));
    setBackground(m_muteBox, LightGrey);

    m_timer = new QTimer(this);
    m_timer->setObjectName(u"Timer1"_s);
    m_timer->setInterval(m_services.config.tickIntervalMs);

    m_grid = new QuoteGrid(m_dpi, client);
    m_grid->setGeometry(twips(840, 840, 12480, 3030));
    m_grid->setFont(uiFont(9));

    m_marketChart = new PictureBox(client);
    m_marketChart->setObjectName(u"Image2"_s);
    m_marketChart->setGeometry(twips(13680, 840, 3855, 3015));
    buildThumbnails(client);
    buildLines(client);
}

void Form1::buildStatusLine()
{
    QStatusBar* line = statusBar();
    line->setObjectName(u"statusLine"_s);
    line->setSizeGripEnabled(false);
    // Settings the program did not take as given are said where the user looks for news.
    if (!m_services.config.notices.isEmpty())
        line->showMessage(m_services.config.notices.join(u' '));
}

void Form1::buildLabels(QWidget* client)
{
    m_dateLabel = addLabel(client, u"Label2"_s, twips(480, 360, 1095, 255));
    m_statusBar = addLabel(client, u"Label3"_s, twips(1680, 360, 2175, 300));
    m_rowLabel = addLabel(client, u"Label5"_s, twips(4120, 360, 250, 255));
    m_nikkeiLine = addLabel(client, u"Label4"_s, twips(13680, 480, 4935, 255));
    m_nikkeiLine->setFont(uiFont(9.75, true));
    m_nikkeiLine->setTextFormat(Qt::PlainText); // text cut from a web page, never markup
    setPaletteColor(m_nikkeiLine, QPalette::WindowText, 0x000000C0);
}

void Form1::buildEntryBox(QWidget* client)
{
    m_entryBox = new EntryBox(client);
    m_entryBox->setObjectName(u"Text1"_s);
    m_entryBox->setGeometry(twips(4440, 289, 855, 343));
    m_entryBox->setFont(uiFont(11.25));
    m_entryBox->setToolTip(u"Code入力"_s);
    setPaletteColor(m_entryBox, QPalette::Base, LightGrey);
}

void Form1::buildLines(QWidget* client)
{
    auto line = [&](const QString& name, int x1, int y, int x2) {
        auto* f = new QFrame(client);
        f->setObjectName(name);
        f->setFrameShape(QFrame::HLine);
        f->setFrameShadow(QFrame::Plain);
        f->setGeometry(QRect(QPoint(0, twipsToPixels(y, m_dpi)), QSize(twipsToPixels(x2 - x1, m_dpi), 1)));
    };
    line(u"Line1"_s, 0, 0, 18600);
    line(u"Line2"_s, 0, 0, 19200);
    line(u"Line3"_s, 0, 50, 19200);
}

void Form1::buildThumbnails(QWidget* client)
{
    for (int k = 0; k < 12; ++k) {
        m_thumbs[k] = new PictureBox(client);
        m_thumbs[k]->setObjectName(u"Image1_%1"_s.arg(k));
        m_thumbCaptions[k] = new ThumbCaption(client);
        m_thumbCaptions[k]->setObjectName(u"Label1_%1"_s.arg(k));
        setBackground(m_thumbCaptions[k], LightGrey);
        // Until the first refresh lays them out, the slots stand in the large layout's places.
        const ThumbPlace place = thumbPlace(k, true);
        m_thumbs[k]->setGeometry(twips(place.picture.x(), place.picture.y(), 4200, 2700));
        // A thumbnail grows to its picture, but never beyond its place in the large layout.
        m_thumbs[k]->setMaximumSize(twips(0, 0, 4500, 2720).size());
        m_thumbCaptions[k]->move(twips(place.caption.x(), place.caption.y(), 0, 0).topLeft());
        m_thumbCaptions[k]->setSlotWidth(twips(0, 0, captionSlotWidth(k, true), 0).width());
    }
}

void Form1::addCommand(QWidget* menu, const QString& name, const QString& caption, void (Form1::*command)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, command);
    menu->addAction(action);
}

void Form1::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(u"menuBar"_s);
    QMenu* file = bar->addMenu(u"ファイル"_s);
    file->setObjectName(u"menu"_s);
    file->menuAction()->setObjectName(u"menuAction"_s);
    addCommand(file, u"menu1"_s, u"設定"_s, &Form1::showSettings);
    // The commands on the menu bar itself, left to right.
    const struct
    {
        QString name;
        QString caption;
        void (Form1::*command)();
    } commands[] = {
        {u"menu11"_s, u"開く"_s, &Form1::openWatchList},
        {u"menu2"_s, u"保存"_s, &Form1::saveWatchList},
        {u"end1"_s, u"終了"_s, &Form1::quit},
        {u"menu3"_s, u"リアルタイム表示"_s, &Form1::startRealTime},
        {u"menu4"_s, u"リアルタイム停止"_s, &Form1::stopRealTime},
        {u"menu5"_s, u"日経６ヶ月チャート +ＲＳＩ +W%R"_s, &Form1::showNikkeiSixMonthChart},
        {u"munu6"_s, u"ＮＹ日経比較チャート"_s, &Form1::showNyNikkeiChart},
        {u"nyd"_s, u"NYダウ"_s, &Form1::showDowChart},
        {u"menu7"_s, u"騰落レシオ"_s, &Form1::showAdvanceDeclineChart},
        {u"en"_s, u"ドル-円為替"_s, &Form1::showDollarYenChart},
        {u"HDCOPY"_s, u"キャプチャー"_s, &Form1::captureScreen},
        {u"menu8"_s, u"ヘルプ"_s, &Form1::openHelp},
    };
    for (const auto& [name, caption, command] : commands)
        addCommand(bar, name, caption, command);
}

void Form1::connectEvents()
{
    connect(m_timer, &QTimer::timeout, this, [this] { m_cycle.tick(); });
    connect(m_entryBox, &QLineEdit::textChanged, this, [this] { m_entry.boxChanged(); });
    connect(m_entryBox, &EntryBox::focusReceived, this,
            [this] { m_entryBox->setCursorPosition(int(m_entryBox->text().size())); });
    connect(m_entryBox, &EntryBox::keyPressed, this,
            [this](int key, bool* consumed) { *consumed = m_entry.boxKey(key); });
    connect(m_grid, &QuoteGrid::clicked, this, &Form1::gridClicked);
    connectEntry();
    connect(m_grid, &QuoteGrid::focusReceived, this, [this] { m_entry.gridFocused(); });
    connect(m_grid, &QuoteGrid::keyPressed, this,
            [this](int key, bool* consumed) { *consumed = m_entry.gridKey(key); });
    for (int k = 0; k < 12; ++k) {
        connect(m_thumbs[k], &PictureBox::clicked, this, [this, k] { m_charts.thumbnailClicked(k); });
        connect(m_thumbCaptions[k], &ClickLabel::clicked, this, [this, k] { m_charts.captionClicked(k); });
    }
}

void Form1::formLoad()
{
    const QDate today = m_services.clock ? m_services.clock->today() : QDate::currentDate();
    m_dateLabel->setText(today.toString(u"yyyy/MM/dd "_s));
    m_timer->stop();
    setBackground(m_statusBar, 0x00000000);
    m_helpPath = m_services.config.dataFile(u"Auot.html"_s);
    const QSize screenSize = m_services.screen ? m_services.screen->sizePixels() : QSize(1024, 768);
    m_screenPixelsY = qint16(qBound(0, screenSize.height(), 32767));

    m_grid->setUpdatesEnabled(false);
    for (int r = 0; r <= grid::LastRow; r += 2)
        m_grid->setRowBackground(r, 1, 12, LightGrey);
    static const QStringList captions = {u"Code"_s,      u"      銘    柄"_s, u" 現 在 値"_s, u" 前 日 差"_s,
                                         u" 前日終値"_s, u"  出 来 高"_s,     u"   始 値 "_s, u"   高 値 "_s,
                                         u"   安 値 "_s, u"買値目標"_s,       u"売値目標"_s,  u"  時 間 "_s};
    for (int c = 1; c <= 12; ++c)
        m_grid->setCellText(0, c, captions[c - 1]);
    m_grid->setColWidthTwips(0, 400);
    m_grid->setColWidthTwips(1, 800);
    m_grid->setColWidthTwips(2, 2000);
    m_grid->setColWidthTwips(6, 1100);
    for (int r = 1; r <= grid::LastRow; ++r)
        m_grid->item(r, grid::Name)->setTextAlignment(Qt::AlignCenter);
    m_grid->setUpdatesEnabled(true);

    m_grid->setCurrent(1, m_grid->col());
    m_rowLabel->setText(u"1"_s);
    m_entry.handOver(m_grid->row(), m_grid->col());
}

bool Form1::claimSingleInstance(SingleInstance& instance, Dialogs& dialogs)
{
    if (instance.claim())
        return true;
    const QString title = u"Tickora"_s;
    dialogs.message(nullptr, title, u"すでに「"_s + title + u"」は起動されています。"_s,
                    Dialogs::Icon::Warning);
    return false;
}

void Form1::showAtStart()
{
    // Without a window manager (a bare X server) maximising does nothing: fill the screen by hand.
    if (QScreen* s = screen())
        setGeometry(s->availableGeometry());
    move(0, 0);
    showMaximized();
}

void Form1::quit()
{
    QApplication::exit(0);
}

void Form1::openHelp()
{
    stopRealTime();
    if (m_services.help)
        m_services.help->open(m_helpPath);
}

} // namespace tickora
