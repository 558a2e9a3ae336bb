#include "form1.h"

#include "charts/picturebox.h"
#include "entrybox.h"
#include "platform/geometry.h"
#include "quotegrid.h"
#include "thumblayout.h"
#include "widgetstyle.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QMenuBar>
#include <QScreen>

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
      m_chartsHost(makeChartsHost(*this)), m_charts(m_services, *m_chartsHost),
      m_entryHost(makeEntryHost(*this)), m_entry(*m_entryHost)
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
    m_dialogs->setAllClosed(
        [this] { QMetaObject::invokeMethod(this, [this] { m_cycle.runPendingStart(); }, Qt::QueuedConnection); });
    if (m_services.screen)
        m_dpi = m_services.screen->logicalDpiY();
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Tickora"_s);
    buildControls();
    buildMenu();
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

    auto label = [&](const QString& name, QRect geometry) {
        auto* l = new QLabel(client);
        l->setObjectName(name);
        l->setGeometry(geometry);
        setBackground(l, LightGrey);
        return l;
    };
    Label2 = label(u"Label2"_s, twips(480, 360, 1095, 255));
    Label3 = label(u"Label3"_s, twips(1680, 360, 2175, 300));
    Label5 = label(u"Label5"_s, twips(4120, 360, 250, 255));
    Label4 = label(u"Label4"_s, twips(13680, 480, 4935, 255));
    Label4->setFont(uiFont(9.75, true));
    Label4->setTextFormat(Qt::PlainText); // text cut from a web page, never markup
    {
        QPalette pal = Label4->palette();
        pal.setColor(QPalette::WindowText, bgrColor(0x000000C0));
        Label4->setPalette(pal);
    }

    Text1 = new EntryBox(client);
    Text1->setObjectName(u"Text1"_s);
    Text1->setGeometry(twips(4440, 289, 855, 343));
    Text1->setFont(uiFont(11.25));
    Text1->setToolTip(u"Code入力"_s);
    Text1->setAccessibleName(u"Code入力"_s);
    {
        QPalette pal = Text1->palette();
        pal.setColor(QPalette::Base, bgrColor(LightGrey));
        Text1->setPalette(pal);
    }

    Check1 = new QCheckBox(u"消音"_s, client);
    Check1->setObjectName(u"Check1"_s);
    Check1->setGeometry(twips(12000, 360, 735, 307));
    setBackground(Check1, LightGrey);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(m_services.config.tickIntervalMs);

    MSFlexGrid1 = new QuoteGrid(m_dpi, client);
    MSFlexGrid1->setGeometry(twips(840, 840, 12480, 3030));
    MSFlexGrid1->setFont(uiFont(9));

    Image2 = new PictureBox(client);
    Image2->setObjectName(u"Image2"_s);
    Image2->setGeometry(twips(13680, 840, 3855, 3015));

    for (int k = 0; k < 12; ++k) {
        Image1[k] = new PictureBox(client);
        Image1[k]->setObjectName(u"Image1_%1"_s.arg(k));
        Image1[k]->setAccessibleName(u"チャート %1"_s.arg(k + 1));
        Label1[k] = new ClickLabel(client);
        Label1[k]->setObjectName(u"Label1_%1"_s.arg(k));
        setBackground(Label1[k], LightGrey);
        // Until the first refresh lays them out, the slots stand in the large layout's places.
        const ThumbPlace place = thumbPlace(k, true);
        Image1[k]->setGeometry(twips(place.picture.x(), place.picture.y(), 4200, 2700));
        // A thumbnail grows to its picture, but never beyond its place in the large layout.
        Image1[k]->setMaximumSize(twips(0, 0, 4500, 2720).size());
        Label1[k]->move(twips(place.caption.x(), place.caption.y(), 0, 0).topLeft());
        Label1[k]->adjustSize();
    }

    auto line = [&](const QString& name, int x1, int y, int x2) {
        auto* f = new QFrame(client);
        f->setObjectName(name);
        f->setFrameShape(QFrame::HLine);
        f->setFrameShadow(QFrame::Plain);
        f->setGeometry(QRect(QPoint(0, twipsToPixels(y, m_dpi)), QSize(twipsToPixels(x2 - x1, m_dpi), 1)));
        return f;
    };
    Line1 = line(u"Line1"_s, 0, 0, 18600);
    Line2 = line(u"Line2"_s, 0, 0, 19200);
    Line3 = line(u"Line3"_s, 0, 50, 19200);
}

void Form1::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(u"menuBar"_s);
    auto action = [&](const QString& name, const QString& caption) {
        auto* a = new QAction(caption, this);
        a->setObjectName(name);
        return a;
    };
    menu = bar->addMenu(u"ファイル"_s);
    menu->setObjectName(u"menu"_s);
    menu->menuAction()->setObjectName(u"menuAction"_s);
    menu1 = action(u"menu1"_s, u"設定"_s);
    menu->addAction(menu1);
    menu11 = action(u"menu11"_s, u"開く"_s);
    menu2 = action(u"menu2"_s, u"保存"_s);
    end1 = action(u"end1"_s, u"終了"_s);
    menu3 = action(u"menu3"_s, u"リアルタイム表示"_s);
    menu4 = action(u"menu4"_s, u"リアルタイム停止"_s);
    menu5 = action(u"menu5"_s, u"日経６ヶ月チャート +ＲＳＩ +W%R"_s);
    munu6 = action(u"munu6"_s, u"ＮＹ日経比較チャート"_s);
    nyd = action(u"nyd"_s, u"NYダウ"_s);
    menu7 = action(u"menu7"_s, u"騰落レシオ"_s);
    en = action(u"en"_s, u"ドル-円為替"_s);
    HDCOPY = action(u"HDCOPY"_s, u"キャプチャー"_s);
    menu8 = action(u"menu8"_s, u"ヘルプ"_s);
    for (QAction* a : {menu11, menu2, end1, menu3, menu4, menu5, munu6, nyd, menu7, en, HDCOPY, menu8})
        bar->addAction(a);
}

void Form1::connectEvents()
{
    connect(menu1, &QAction::triggered, this, &Form1::menu1_Click);
    connect(menu11, &QAction::triggered, this, &Form1::menu11_Click);
    connect(menu2, &QAction::triggered, this, &Form1::menu2_Click);
    connect(end1, &QAction::triggered, this, &Form1::end1_Click);
    connect(menu3, &QAction::triggered, this, &Form1::menu3_Click);
    connect(menu4, &QAction::triggered, this, &Form1::menu4_Click);
    connect(menu5, &QAction::triggered, this, &Form1::menu5_Click);
    connect(munu6, &QAction::triggered, this, &Form1::munu6_Click);
    connect(nyd, &QAction::triggered, this, &Form1::nyd_Click);
    connect(menu7, &QAction::triggered, this, &Form1::menu7_Click);
    connect(en, &QAction::triggered, this, &Form1::en_Click);
    connect(HDCOPY, &QAction::triggered, this, &Form1::HDCOPY_Click);
    connect(menu8, &QAction::triggered, this, &Form1::menu8_Click);

    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(Text1, &EntryBox::focusReceived, this, &Form1::Text1_GotFocus);
    connect(Text1, &EntryBox::keyPressed, this, [this](int key, bool* consumed) { *consumed = Text1_KeyPress(key); });
    connect(MSFlexGrid1, &QuoteGrid::clicked, this, &Form1::MSFlexGrid1_Click);
    connect(MSFlexGrid1, &QuoteGrid::focusReceived, this, &Form1::MSFlexGrid1_GotFocus);
    connect(MSFlexGrid1, &QuoteGrid::keyPressed, this,
            [this](int key, bool* consumed) { *consumed = MSFlexGrid1_KeyPress(key); });
    for (int k = 0; k < 12; ++k) {
        connect(Image1[k], &PictureBox::clicked, this, [this, k] { Image1_Click(k); });
        connect(Label1[k], &ClickLabel::clicked, this, [this, k] { Label1_Click(k); });
    }
}

void Form1::formLoad()
{
    const QDate today = m_services.clock ? m_services.clock->today() : QDate::currentDate();
    Label2->setText(today.toString(u"yyyy/MM/dd "_s));
    Timer1->stop();
    setBackground(Label3, 0x00000000);
    helpPath = m_services.config.dataFile(u"Auot.html"_s);
    const QSize screenSize = m_services.screen ? m_services.screen->sizePixels() : QSize(1024, 768);
    screenPixelsY = qint16(qBound(0, screenSize.height(), 32767));

    MSFlexGrid1->setUpdatesEnabled(false);
    for (int r = 0; r <= grid::LastRow; r += 2)
        MSFlexGrid1->setRowBackground(r, 1, 12, LightGrey);
    static const QStringList captions = {
        u"Code"_s,      u"      銘    柄"_s, u" 現 在 値"_s, u" 前 日 差"_s, u" 前日終値"_s, u"  出 来 高"_s,
        u"   始 値 "_s, u"   高 値 "_s,     u"   安 値 "_s, u"買値目標"_s,  u"売値目標"_s,  u"  時 間 "_s};
    for (int c = 1; c <= 12; ++c)
        MSFlexGrid1->setCellText(0, c, captions[c - 1]);
    MSFlexGrid1->setColWidthTwips(0, 400);
    MSFlexGrid1->setColWidthTwips(1, 800);
    MSFlexGrid1->setColWidthTwips(2, 2000);
    MSFlexGrid1->setColWidthTwips(6, 1100);
    for (int r = 1; r <= grid::LastRow; ++r)
        MSFlexGrid1->item(r, grid::Name)->setTextAlignment(Qt::AlignCenter);
    MSFlexGrid1->setUpdatesEnabled(true);

    MSFlexGrid1->setRow(1);
    Label5->setText(u"1"_s);
}

bool Form1::claimSingleInstance(SingleInstance& instance, Dialogs& dialogs)
{
    if (instance.claim())
        return true;
    const QString title = u"Tickora"_s;
    dialogs.message(nullptr, title, u"すでに「"_s + title + u"」は起動されています。"_s, Dialogs::Icon::Warning);
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

void Form1::end1_Click()
{
    QApplication::exit(0);
}

void Form1::menu8_Click()
{
    stopCycle();
    if (m_services.help)
        m_services.help->open(helpPath);
}


} // namespace tickora
