// The main window's chart routines and triggers, run on fake services: the addresses they ask
// for, the windows they close, open and move, the pictures they show, and what a failed
// download, an empty slot or a code that is no number does.
#include "support/chartimages.h"
#include "charts/chartwindows.h"
#include "charts/picturebox.h"
#include "support/fakes.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"

#include <QFile>
#include <QSet>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

using Routine = std::function<void(Form1&, Form1::Then)>;

const std::map<QString, Routine>& routines()
{
    static const std::map<QString, Routine> table = {
        {u"chart"_s, [](Form1& f, Form1::Then t) { f.chart(std::move(t)); }},
        {u"lifechart"_s, [](Form1& f, Form1::Then t) { f.lifechart(std::move(t)); }},
        {u"yahoochart"_s, [](Form1& f, Form1::Then t) { f.yahoochart(std::move(t)); }},
        {u"mchart"_s, [](Form1& f, Form1::Then t) { f.mchart(std::move(t)); }},
        {u"relchart"_s, [](Form1& f, Form1::Then t) { f.relchart(std::move(t)); }},
        {u"nynkchart"_s, [](Form1& f, Form1::Then t) { f.nynkchart(std::move(t)); }},
        {u"tourakuchart"_s, [](Form1& f, Form1::Then t) { f.tourakuchart(std::move(t)); }},
        {u"nychart"_s, [](Form1& f, Form1::Then t) { f.nychart(std::move(t)); }},
        {u"dolen"_s, [](Form1& f, Form1::Then t) { f.dolen(std::move(t)); }},
    };
    return table;
}

/// Each chart service answers with its own colour, so a picture tells which address it came from.
QColor colourFor(const QUrl& url)
{
    const QString s = url.toString();
    if (s.contains(u"s=998407.O"_s))
        return Qt::darkGreen;
    if (url.path() == u"/b"_s)
        return s.contains(u"6758"_s) ? QColor(Qt::darkRed) : QColor(Qt::red);
    if (url.path() == u"/z"_s)
        return Qt::blue;
    if (url.path() == u"/f"_s || url.path() == u"/t"_s) {
        // Thumbnails: a colour per code.
        const int code = url.query().mid(2, url.query().size() - 4).toInt();
        return QColor(QColor::fromHsv((code * 37) % 360, 200, 220).rgb());
    }
    if (s.contains(u"nk_chart_L"_s))
        return Qt::cyan;
    if (s.contains(u"nka_l"_s))
        return Qt::magenta;
    if (s.contains(u"K001881"_s))
        return Qt::yellow;
    if (s.contains(u"analytic.jsp"_s))
        return Qt::gray;
    if (s.contains(u"japan_gif"_s))
        return Qt::darkCyan;
    return Qt::black;
}

QColor colourOf(const QImage& image)
{
    return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

template <class W> QList<W*> openWindows(Form1& form)
{
    QList<W*> open;
    for (W* w : form.findChildren<W*>())
        if (w->isVisible() && !w->isClosing())
            open.append(w);
    return open;
}

template <class W> W* openWindow(Form1& form)
{
    const QList<W*> open = openWindows<W>(form);
    return open.size() == 1 ? open.first() : nullptr;
}

QStringList openWindowNames(Form1& form)
{
    QStringList names;
    for (ChartWindow* w : openWindows<ChartWindow>(form))
        names.append(w->objectName());
    names.sort();
    return names;
}

QImage pictureOf(ChartWindow* w)
{
    if (auto* f3 = qobject_cast<Form3*>(w))
        return f3->picture();
    auto* box = w->findChild<PictureBox*>(u"Image1"_s);
    return box ? box->picture() : QImage();
}

QColor backgroundOf(QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

} // namespace

class TestForm1Charts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void routineWindows_data();
    void routineWindows();
    void image1ClickOpensYearChart();
    void label1ClickOpensSixMonthChart();
    void lastOfTwoQuickClicksWins_data();
    void lastOfTwoQuickClicksWins();
    void clicksThatDoNothing_data();
    void clicksThatDoNothing();
    void marketCommandsStopTheCycle_data();
    void marketCommandsStopTheCycle();
    void windowsPlacedAgainOnEveryShowing();
    void closeSecondaryWindowsClosesAll();
    void failedDownloadShowsPreviousPicture_data();
    void failedDownloadShowsPreviousPicture();
    void failedDownloadNeverShowsAnotherChart();
    void unreadableOrMissingFileShowsEmptyArea();
    void thumbnailPathBySize_data();
    void thumbnailPathBySize();
    void thumbnailsInRowOrderWhileLaterRowsAnswerFirst();
    void thumbnailCodeThatIsNoNumberSkipsOnlyItsRow();
    void thumbnailsWithNoWatchedRows();
    void thumbnailLabelsBeyondWatchedRowsKept();
    void failedThumbnailKeepsItsOwnPicture_data();
    void failedThumbnailKeepsItsOwnPicture();
    void supersededThumbnailRefreshChangesNothing();

private:
    /// Runs a routine and waits for its continuation, which must come exactly once.
    bool run(const QString& name);
    void fillRows(const QList<QPair<QString, QString>>& rows);
    HttpResponse answerFor(const HttpRequest& request);

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<Form1> m_form;
    QSet<QString> m_failing; // address parts that answer 500, or m_failingBody when set
    QByteArray m_failingBody;
};

void TestForm1Charts::init()
{
    m_failing.clear();
    m_fakes = std::make_unique<FakeServices>();
    m_fakes->http.setHandler([this](const HttpRequest& r) { return answerFor(r); });
    m_form = std::make_unique<Form1>(m_fakes->services());
}

void TestForm1Charts::cleanup()
{
    m_form.reset();
    m_fakes.reset();
}

HttpResponse TestForm1Charts::answerFor(const HttpRequest& request)
{
    for (const QString& needle : std::as_const(m_failing)) {
        if (request.url.toString().contains(needle)) {
            if (!m_failingBody.isEmpty())
                return okResponse(m_failingBody);
            HttpResponse r;
            r.status = 500;
            r.body = "<html>server error</html>";
            return r;
        }
    }
    return okResponse(chartPng(QSize(120, 80), colourFor(request.url)));
}

bool TestForm1Charts::run(const QString& name)
{
    int calls = 0;
    routines().at(name)(*m_form, [&calls] { ++calls; });
    if (!QTest::qWaitFor([&] { return calls > 0; }, 2000))
        return false;
    QTest::qWait(5);
    return calls == 1;
}

void TestForm1Charts::fillRows(const QList<QPair<QString, QString>>& rows)
{
    for (int r = 0; r < rows.size(); ++r) {
        m_form->MSFlexGrid1->setCellText(r + 1, grid::Code, rows[r].first);
        m_form->MSFlexGrid1->setCellText(r + 1, grid::Name, rows[r].second);
    }
}

void TestForm1Charts::routineWindows_data()
{
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QStringList>("before"); // routines run first to open windows
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("target"); // window or area that shows the picture
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QPoint>("position"); // pixels at 96 DPI; (-1, -1): not placed
    QTest::addColumn<QStringList>("openAfter");

    const QStringList with5 = {u"chart"_s, u"lifechart"_s, u"nychart"_s, u"dolen"_s, u"mchart"_s};
    const QStringList with7 = {u"chart"_s, u"lifechart"_s, u"nychart"_s, u"dolen"_s, u"tourakuchart"_s};
    const QStringList stock = {u"Form12"_s, u"Form2"_s, u"Form3"_s, u"Form9"_s};
    const QStringList all5 = stock + QStringList{u"Form5"_s};
    const QStringList all7 = stock + QStringList{u"Form7"_s};
    const QString m = u"http://market.test"_s;
    const QPoint unplaced(-1, -1);
    const QPoint placed(633, 33); // 9500, 500 twips

    QTest::newRow("chart") << u"chart"_s << with5
                           << m + u"/b?s=7203.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s << u"Form2"_s
                           << u"REAL CHART"_s << unplaced << all5;
    QTest::newRow("lifechart") << u"lifechart"_s << with7
                               << m + u"/z?s=7203.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=%22"_s << u"Form3"_s
                               << QString() << unplaced << all7;
    QTest::newRow("mchart closes Form5")
        << u"mchart"_s << with5 << m + u"/z?s=998407.O&t=6m&q=c&l=off&z=m&p=m65,m130&a=r,w&c="_s << u"Form5"_s
        << u"日経平均 ６ヶ月チャート +ＲＳＩ\u3000+Ｗ％Ｒ"_s << placed << all5;
    QTest::newRow("mchart closes Form7")
        << u"mchart"_s << with7 << m + u"/z?s=998407.O&t=6m&q=c&l=off&z=m&p=m65,m130&a=r,w&c="_s << u"Form5"_s
        << u"日経平均 ６ヶ月チャート +ＲＳＩ\u3000+Ｗ％Ｒ"_s << placed << all5;
    QTest::newRow("relchart closes Form5") << u"relchart"_s << with5 << m + u"/gifdata/nk_chart_L.gif"_s
                                           << u"Image2"_s << QString() << unplaced << stock;
    QTest::newRow("relchart closes Form7") << u"relchart"_s << with7 << m + u"/gifdata/nk_chart_L.gif"_s
                                           << u"Image2"_s << QString() << unplaced << stock;
    QTest::newRow("nynkchart closes nothing") << u"nynkchart"_s << with5 << m + u"/chart/nka_l.gif"_s
                                              << u"Image2"_s << QString() << unplaced << all5;
    QTest::newRow("tourakuchart closes Form5")
        << u"tourakuchart"_s << with5 << m + u"/Pics/Stock/Day/K001881.GIF"_s << u"Form7"_s
        << u"日経平均騰落レシオ"_s << unplaced << all7;
    QTest::newRow("nychart")
        << u"nychart"_s << with7
        << m + u"/rakutensecj/common/analytic.jsp?ric=.DJI&per=1&width=755&height=400&tp=0&sma=1&vol=1"_s
        << u"Form9"_s << u"ＮＹダウ\u30003ヶ月"_s << unplaced << all7;
    QTest::newRow("dolen")
        << u"dolen"_s << with5
        << m + u"/asp4gif/japan_gif.asp?code=JPY&exch=CU&type=2&interval=3&upper=0&lower=0&x=360&y=360&barno=100"_s
        << u"Form12"_s << u"アメリカ/日本\u3000為替（1分)"_s << placed << all5;
    QTest::newRow("yahoochart closes Form5")
        << u"yahoochart"_s << with5 << QString() << QString() << QString() << unplaced << stock;
    QTest::newRow("yahoochart closes Form7")
        << u"yahoochart"_s << with7 << QString() << QString() << QString() << unplaced << stock;
}

void TestForm1Charts::routineWindows()
{
    QFETCH(QString, routine);
    QFETCH(QStringList, before);
    QFETCH(QString, url);
    QFETCH(QString, target);
    QFETCH(QString, caption);
    QFETCH(QPoint, position);
    QFETCH(QStringList, openAfter);
    openAfter.sort();

    m_form->chartCode = 7203;
    for (const QString& r : before)
        QVERIFY2(run(r), qPrintable(r));
    QCOMPARE(openWindows<ChartWindow>(*m_form).size(), 5);
    m_form->Label4->setText(u"日経平均 ..."_s);

    const qsizetype requestsBefore = m_fakes->http.requests.size();
    QVERIFY(run(routine));
    if (url.isEmpty()) {
        QCOMPARE(m_fakes->http.requests.size(), requestsBefore); // no watched rows: nothing fetched
    } else {
        QCOMPARE(m_fakes->http.requests.size(), requestsBefore + 1);
        QCOMPARE(m_fakes->http.requests.last().url.toString(QUrl::FullyEncoded), url);
    }
    QCOMPARE(openWindowNames(*m_form), openAfter);

    const QColor expected = url.isEmpty() ? QColor() : colourFor(QUrl(url));
    if (target == u"Image2"_s) {
        QCOMPARE(colourOf(m_form->Image2->picture()), expected);
        QCOMPARE(m_form->Label4->text(), routine == u"nynkchart"_s ? u"ＮＹ日経比較"_s : u"日経平均 ..."_s);
    } else if (!target.isEmpty()) {
        ChartWindow* w = m_form->findChild<ChartWindow*>(target);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(colourOf(pictureOf(w)), expected);
        if (position.x() >= 0)
            QCOMPARE(w->pos(), position);
    }
}

void TestForm1Charts::image1ClickOpensYearChart()
{
    fillRows({{u"6758"_s, u"ソニー"_s}, {u"9984"_s, u"ソフトバンク"_s}, {u"7203"_s, u"トヨタ自動車"_s}});
    m_form->shortNames[2] = u"トヨタ"_s;
    m_form->Timer1->start();

    m_form->Image1_Click(2);
    QTRY_VERIFY(openWindow<Form2>(*m_form));
    Form2* w = openWindow<Form2>(*m_form);
    QCOMPARE(m_fakes->http.requests.size(), 1);
    QCOMPARE(m_fakes->http.requests[0].url.toString(),
             u"http://market.test/b?s=7203.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s);
    QCOMPARE(m_form->chartCode, qint16(7203));
    QCOMPARE(w->windowTitle(), u"REAL CHART  トヨタ自動車"_s);
    QCOMPARE(w->Label1->text(), u"トヨタ"_s);
    QCOMPARE(colourOf(w->Image1->picture()), QColor(Qt::red));
    QVERIFY(QFile::exists(m_fakes->config.dataFile(u"chart.jpg"_s)));
    QVERIFY(m_form->Timer1->isActive());

    // A second click reuses the open window and retitles it.
    m_form->shortNames[0] = u"ソニー"_s;
    m_form->Image1_Click(0);
    QTRY_COMPARE(w->windowTitle(), u"REAL CHART  ソニー"_s);
    QTRY_COMPARE(w->Label1->text(), u"ソニー"_s);
    QCOMPARE(openWindows<Form2>(*m_form).size(), 1);
    QCOMPARE(colourOf(w->Image1->picture()), QColor(Qt::darkRed));
}

void TestForm1Charts::label1ClickOpensSixMonthChart()
{
    fillRows({{u"7203"_s, u"トヨタ自動車"_s}, {u"6758"_s, u"ソニー"_s}});
    m_form->Label1[1]->setText(u"ソニー"_s);
    m_form->Timer1->start();

    m_form->Label1_Click(1);
    QTRY_VERIFY(openWindow<Form3>(*m_form));
    Form3* w = openWindow<Form3>(*m_form);
    QCOMPARE(m_fakes->http.requests.size(), 1);
    const QUrl url = m_fakes->http.requests[0].url;
    QCOMPARE(url.path(), u"/z"_s);
    QCOMPARE(url.query(QUrl::FullyDecoded), u"s=6758.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=\""_s);
    QCOMPARE(w->windowTitle(), u"ソニー６ヶ月チャート\u3000出来高 + RSI"_s);
    QCOMPARE(colourOf(w->picture()), QColor(Qt::blue));
    QCOMPARE(w->grab().toImage().pixelColor(0, 0), QColor(Qt::blue)); // drawn from the corner
    QCOMPARE(m_form->chartCode, qint16(6758));
    QVERIFY(m_form->Timer1->isActive());
}

void TestForm1Charts::lastOfTwoQuickClicksWins_data()
{
    QTest::addColumn<bool>("caption");
    QTest::newRow("thumbnails") << false;
    QTest::newRow("captions") << true;
}

void TestForm1Charts::lastOfTwoQuickClicksWins()
{
    QFETCH(bool, caption);
    ManualHttpClient http;
    HttpDownloader downloader(http);
    Services s = m_fakes->services();
    s.http = &http;
    s.downloader = &downloader;
    Form1 form(s);
    const QStringList codes = {u"7203"_s, u"6758"_s};
    for (int k = 0; k < 2; ++k) {
        form.MSFlexGrid1->setCellText(k + 1, grid::Code, codes[k]);
        form.MSFlexGrid1->setCellText(k + 1, grid::Name, u"name"_s + codes[k]);
        form.Label1[k]->setText(u"name"_s + codes[k]);
        form.shortNames[k] = u"short"_s + codes[k];
    }
    for (int k = 0; k < 2; ++k)
        caption ? form.Label1_Click(k) : form.Image1_Click(k);
    // The later click's answer comes first, the earlier one's last.
    QVERIFY(http.answer(u"6758"_s, okResponse(chartPng(QSize(40, 30), Qt::green))));
    QVERIFY(http.answer(u"7203"_s, okResponse(chartPng(QSize(40, 30), Qt::red))));
    QTest::qWait(5);
    if (caption) {
        Form3* w = openWindow<Form3>(form);
        QVERIFY(w);
        QCOMPARE(colourOf(w->picture()), QColor(Qt::green));
        QCOMPARE(w->windowTitle(), u"name6758６ヶ月チャート\u3000出来高 + RSI"_s);
    } else {
        Form2* w = openWindow<Form2>(form);
        QVERIFY(w);
        QCOMPARE(colourOf(w->Image1->picture()), QColor(Qt::green));
        QCOMPARE(w->windowTitle(), u"REAL CHART  name6758"_s);
        QCOMPARE(w->Label1->text(), u"short6758"_s);
    }
}

void TestForm1Charts::clicksThatDoNothing_data()
{
    QTest::addColumn<bool>("onLabel");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("caption");

    QTest::newRow("thumbnail of an empty row") << false << QString() << u"旧銘柄"_s;
    QTest::newRow("thumbnail, code is no number") << false << u"72a3"_s << u"銘柄"_s;
    QTest::newRow("thumbnail, code above 16 bits") << false << u"40000"_s << u"銘柄"_s;
    QTest::newRow("empty label, row has a code") << true << u"7203"_s << QString();
    QTest::newRow("label left from a removed row") << true << QString() << u"旧銘柄"_s;
    QTest::newRow("label, code is no number") << true << u"7.5"_s << u"銘柄"_s;
}

void TestForm1Charts::clicksThatDoNothing()
{
    QFETCH(bool, onLabel);
    QFETCH(QString, code);
    QFETCH(QString, caption);

    fillRows({{u"6758"_s, u"ソニー"_s}, {code, u"銘柄"_s}});
    m_form->Label1[1]->setText(caption);
    m_form->chartCode = 1234;
    if (onLabel)
        m_form->Label1_Click(1);
    else
        m_form->Image1_Click(1);
    QTest::qWait(20);
    QVERIFY(m_fakes->http.requests.isEmpty());
    QVERIFY(openWindowNames(*m_form).isEmpty());
    QCOMPARE(m_form->chartCode, qint16(1234));
    QVERIFY(m_fakes->dialogs.shown.isEmpty());
}

void TestForm1Charts::marketCommandsStopTheCycle_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window"); // empty: the picture goes to Image2
    QTest::addColumn<bool>("stops");

    QTest::newRow("日経６ヶ月チャート") << u"menu5"_s << u"Form5"_s << true;
    QTest::newRow("ＮＹ日経比較チャート") << u"munu6"_s << QString() << true;
    QTest::newRow("NYダウ") << u"nyd"_s << u"Form9"_s << true;
    QTest::newRow("騰落レシオ") << u"menu7"_s << u"Form7"_s << true;
    QTest::newRow("ドル-円為替") << u"en"_s << u"Form12"_s << false;
}

void TestForm1Charts::marketCommandsStopTheCycle()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(bool, stops);

    m_form->Timer1->start();
    m_form->Label3->setText(u" リアルタイム株価表示中"_s);
    QPalette pal = m_form->Label3->palette();
    pal.setColor(QPalette::Window, QColor(Qt::yellow));
    m_form->Label3->setPalette(pal);

    // Chosen from the menu bar, as the user does.
    auto* action = m_form->findChild<QAction*>(command);
    QVERIFY(action);
    action->trigger();
    QTRY_COMPARE(m_fakes->http.requests.size(), 1);
    QTRY_COMPARE(m_fakes->http.inFlight, 0);
    QTest::qWait(5);

    if (window.isEmpty())
        QVERIFY(m_form->Image2->hasPicture());
    else
        QVERIFY(m_form->findChild<ChartWindow*>(window) &&
                m_form->findChild<ChartWindow*>(window)->isVisible());
    QCOMPARE(m_form->Timer1->isActive(), !stops);
    QCOMPARE(backgroundOf(m_form->Label3), stops ? QColor(Qt::black) : QColor(Qt::yellow));
    QCOMPARE(m_form->Label3->text(), u" リアルタイム株価表示中"_s);
}

void TestForm1Charts::windowsPlacedAgainOnEveryShowing()
{
    QVERIFY(run(u"dolen"_s));
    QPointer<Form12> fx = openWindow<Form12>(*m_form);
    QVERIFY(fx);
    QCOMPARE(fx->pos(), QPoint(633, 33));
    fx->move(40, 700); // the user drags it away
    QVERIFY(run(u"dolen"_s));
    QCOMPARE(openWindow<Form12>(*m_form), fx.data()); // the same window, shown again
    QCOMPARE(fx->pos(), QPoint(633, 33));

    QVERIFY(run(u"mchart"_s));
    QPointer<Form5> nikkei = openWindow<Form5>(*m_form);
    nikkei->move(10, 10);
    QVERIFY(run(u"mchart"_s));
    QVERIFY(openWindow<Form5>(*m_form));
    QCOMPARE(openWindow<Form5>(*m_form)->pos(), QPoint(633, 33));

    // Windows without a place of their own are not moved by a second showing.
    QVERIFY(run(u"nychart"_s));
    Form9* dow = openWindow<Form9>(*m_form);
    dow->move(100, 200);
    QVERIFY(run(u"nychart"_s));
    QCOMPARE(dow->pos(), QPoint(100, 200));
}

void TestForm1Charts::closeSecondaryWindowsClosesAll()
{
    m_form->chartCode = 7203;
    for (const QString& r : {u"chart"_s, u"lifechart"_s, u"mchart"_s, u"nychart"_s, u"dolen"_s})
        QVERIFY(run(r));
    QList<QPointer<ChartWindow>> windows;
    for (ChartWindow* w : openWindows<ChartWindow>(*m_form))
        windows.append(w);
    QCOMPARE(windows.size(), 5);

    m_form->closeSecondaryWindows();
    QVERIFY(openWindowNames(*m_form).isEmpty());
    QTRY_VERIFY(std::all_of(windows.cbegin(), windows.cend(), [](const auto& w) { return w.isNull(); }));

    // A later routine makes its window anew.
    QVERIFY(run(u"tourakuchart"_s));
    QCOMPARE(openWindowNames(*m_form), QStringList{u"Form7"_s});
}

void TestForm1Charts::failedDownloadShowsPreviousPicture_data()
{
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("fromEarlierRun"); // the old file was there before the program started
    QTest::addColumn<QByteArray>("answer");   // a 2xx body that is no acceptable picture; empty: an error

    QTest::newRow("Nikkei 6 months") << u"mchart"_s << u"998407"_s << u"Mchart.jpg"_s << false
                                     << QByteArray();
    QTest::newRow("index chart") << u"relchart"_s << u"nk_chart_L"_s << u"rel.jpg"_s << false << QByteArray();
    QTest::newRow("dollar-yen") << u"dolen"_s << u"japan_gif"_s << u"japan.gif"_s << false << QByteArray();
    QTest::newRow("1-year stock chart") << u"chart"_s << u"/b?"_s << u"chart.jpg"_s << false << QByteArray();
    QTest::newRow("index chart, file of an earlier run")
        << u"relchart"_s << u"nk_chart_L"_s << u"rel.jpg"_s << true << QByteArray();
    QTest::newRow("advance/decline, file of an earlier run")
        << u"tourakuchart"_s << u"K001881"_s << u"trk.gif"_s << true << QByteArray();
    QTest::newRow("index chart, SVG")
        << u"relchart"_s << u"nk_chart_L"_s << u"rel.jpg"_s << false << svgPicture();
    QTest::newRow("1-year stock chart, compressed SVG")
        << u"chart"_s << u"/b?"_s << u"chart.jpg"_s << false << svgzPicture();
    QTest::newRow("dollar-yen, picture bomb")
        << u"dolen"_s << u"japan_gif"_s << u"japan.gif"_s << true << gifBomb();
}

void TestForm1Charts::failedDownloadShowsPreviousPicture()
{
    QFETCH(QString, routine);
    QFETCH(QString, needle);
    QFETCH(QString, file);
    QFETCH(bool, fromEarlierRun);
    QFETCH(QByteArray, answer);

    m_form->chartCode = 7203;
    const QString path = m_fakes->config.dataFile(file);
    const QColor old = QColor(10, 20, 30);
    if (fromEarlierRun) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(chartPng(QSize(50, 50), old));
    } else {
        QVERIFY(run(routine)); // a good download first
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    m_failing.insert(needle);
    m_failingBody = answer;
    QVERIFY(run(routine));

    QFile g(path);
    QVERIFY(g.open(QIODevice::ReadOnly));
    QCOMPARE(g.readAll(), before); // the error page did not replace the picture
    const QImage shown = routine == u"relchart"_s ? m_form->Image2->picture()
                                                  : pictureOf(openWindows<ChartWindow>(*m_form).value(0));
    QVERIFY(!shown.isNull());
    QCOMPARE(colourOf(shown), fromEarlierRun ? old : colourFor(m_fakes->http.requests.last().url));
    QVERIFY(m_fakes->dialogs.shown.isEmpty());
}

void TestForm1Charts::failedDownloadNeverShowsAnotherChart()
{
    // The old file holds another stock's chart: the window stays empty rather than show it.
    m_form->chartCode = 7203;
    QVERIFY(run(u"chart"_s));
    m_failing.insert(u"/b?"_s);
    m_form->chartCode = 6758;
    QVERIFY(run(u"chart"_s));
    QVERIFY(openWindow<Form2>(*m_form));
    QVERIFY(!openWindow<Form2>(*m_form)->Image1->hasPicture());

    // The Dow and the 6-month stock chart share a file: a failed Dow download leaves the stock
    // chart in the file, and the Dow window must not show it.
    QVERIFY(run(u"lifechart"_s));
    m_failing.insert(u"analytic.jsp"_s);
    QVERIFY(run(u"nychart"_s));
    QVERIFY(openWindow<Form9>(*m_form));
    QVERIFY(!openWindow<Form9>(*m_form)->Image1->hasPicture());
    // ... and the 6-month window keeps the picture it had.
    QCOMPARE(colourOf(openWindow<Form3>(*m_form)->picture()), QColor(Qt::blue));
}

void TestForm1Charts::unreadableOrMissingFileShowsEmptyArea()
{
    // No file yet and the service down.
    m_failing.insert(u"japan_gif"_s);
    QVERIFY(run(u"dolen"_s));
    QVERIFY(openWindow<Form12>(*m_form));
    QVERIFY(!openWindow<Form12>(*m_form)->Image1->hasPicture());

    // A 2xx answer that holds no readable picture counts as a failed download: the file and
    // the area keep the last picture.
    QVERIFY(run(u"relchart"_s));
    QVERIFY(m_form->Image2->hasPicture());
    m_fakes->http.setHandler([](const HttpRequest&) { return okResponse("GIF89a garbage, not a picture"); });
    QVERIFY(run(u"relchart"_s));
    QCOMPARE(colourOf(m_form->Image2->picture()), QColor(Qt::cyan));

    // A file that holds no readable picture shows nothing.
    QFile file(m_fakes->config.dataFile(u"rel.jpg"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(svgPicture());
    file.close();
    m_fakes->http.setHandler([](const HttpRequest&) { return HttpResponse{}; });
    QVERIFY(run(u"relchart"_s));
    QVERIFY(!m_form->Image2->hasPicture());
    QVERIFY(m_fakes->dialogs.shown.isEmpty());
}

void TestForm1Charts::thumbnailPathBySize_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("path");
    QTest::newRow("800") << 800 << u"/t"_s;
    QTest::newRow("801") << 801 << u"/f"_s;
}

void TestForm1Charts::thumbnailPathBySize()
{
    QFETCH(int, height);
    QFETCH(QString, path);
    fillRows({{u"7203"_s, u"トヨタ自動車"_s}});
    m_form->watchCount = 1;
    m_form->screenPixelsY = qint16(height);
    QVERIFY(run(u"yahoochart"_s));
    QCOMPARE(m_fakes->http.requests.size(), 1);
    QCOMPARE(m_fakes->http.requests[0].url.toString(), u"http://market.test"_s + path + u"?s=7203.T"_s);
}

void TestForm1Charts::thumbnailsInRowOrderWhileLaterRowsAnswerFirst()
{
    ManualHttpClient http;
    Services s = m_fakes->services();
    s.http = &http;
    Form1 form(s);
    form.screenPixelsY = 1080;
    const QStringList codes = {u"7203"_s, u"6758"_s, u"9984"_s, u"8306"_s};
    const QStringList names = {u"トヨタ自動車"_s, u"ソニー"_s, u"ソフトバンク"_s, u"三菱ＵＦＪ"_s};
    for (int r = 0; r < 4; ++r) {
        form.MSFlexGrid1->setCellText(r + 1, grid::Code, codes[r]);
        form.MSFlexGrid1->setCellText(r + 1, grid::Name, names[r]);
    }
    form.watchCount = 4;
    auto bodyFor = [](const QString& code) {
        return chartPng(QSize(100 + code.toInt() % 50, 60),
                        colourFor(QUrl(u"http://m/f?s="_s + code + u".T"_s)));
    };

    int calls = 0;
    form.yahoochart([&calls] { ++calls; });
    // Every row's request is out at once; names and the code are set without waiting.
    QCOMPARE(http.unanswered(), 4);
    for (int k = 0; k < 4; ++k)
        QCOMPARE(form.Label1[k]->text(), names[k]);
    QCOMPARE(form.chartCode, qint16(8306));

    const QString file = m_fakes->config.dataFile(u"yahoo.jpg"_s);
    // The last rows answer first: nothing may be shown or written before row 1 is in.
    QVERIFY(http.answer(u"8306"_s, okResponse(bodyFor(u"8306"_s))));
    QVERIFY(http.answer(u"9984"_s, okResponse(bodyFor(u"9984"_s))));
    for (int k = 0; k < 4; ++k)
        QVERIFY(!form.Image1[k]->hasPicture());
    QVERIFY(!QFile::exists(file));

    QVERIFY(http.answer(u"7203"_s, okResponse(bodyFor(u"7203"_s))));
    QVERIFY(form.Image1[0]->hasPicture());
    QVERIFY(!form.Image1[2]->hasPicture()); // waits for row 2
    QCOMPARE(calls, 0);

    QVERIFY(http.answer(u"6758"_s, okResponse(bodyFor(u"6758"_s))));
    QCOMPARE(calls, 1);
    for (int k = 0; k < 4; ++k) {
        const QImage picture = form.Image1[k]->picture();
        QCOMPARE(colourOf(picture), colourFor(QUrl(u"http://m/f?s="_s + codes[k] + u".T"_s)));
        QCOMPARE(picture.width(), 100 + codes[k].toInt() % 50);
        // The slot sizes itself to its picture.
        const int border = 2 * form.Image1[k]->frameWidth();
        QCOMPARE(form.Image1[k]->size(), picture.size() + QSize(border, border));
    }
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bodyFor(u"8306"_s)); // the shared file ends with the last row's chart
    QTest::qWait(10);
    QCOMPARE(calls, 1);
}

void TestForm1Charts::thumbnailCodeThatIsNoNumberSkipsOnlyItsRow()
{
    fillRows({{u"7203"_s, u"トヨタ自動車"_s},
              {u"72a3"_s, u"打ち間違い"_s},
              {u"6758"_s, u"ソニー"_s},
              {u"7.5"_s, u"小数"_s}});
    m_form->watchCount = 4;
    m_form->Image1[1]->setPicture(QImage(QSize(10, 10), QImage::Format_RGB32)); // from an earlier refresh
    QVERIFY(run(u"yahoochart"_s));

    QCOMPARE(m_fakes->http.requests.size(), 2);
    QVERIFY(m_fakes->http.requests[0].url.toString().endsWith(u"s=7203.T"_s));
    QVERIFY(m_fakes->http.requests[1].url.toString().endsWith(u"s=6758.T"_s));
    QVERIFY(m_form->Image1[0]->hasPicture());
    QVERIFY(!m_form->Image1[1]->hasPicture());
    QVERIFY(m_form->Image1[2]->hasPicture());
    QVERIFY(!m_form->Image1[3]->hasPicture());
    QCOMPARE(m_form->Label1[1]->text(), u"打ち間違い"_s);
    QCOMPARE(m_form->chartCode, qint16(6758)); // the last row with a chart
    QVERIFY(m_fakes->dialogs.shown.isEmpty());
}

void TestForm1Charts::thumbnailsWithNoWatchedRows()
{
    fillRows({{u"7203"_s, u"トヨタ自動車"_s}});
    m_form->watchCount = 0;
    QVERIFY(run(u"yahoochart"_s));
    QVERIFY(m_fakes->http.requests.isEmpty());
    QVERIFY(m_form->Label1[0]->text().isEmpty());
}

void TestForm1Charts::thumbnailLabelsBeyondWatchedRowsKept()
{
    fillRows({{u"1111"_s, u"一"_s},
              {u"2222"_s, u"二"_s},
              {u"3333"_s, u"三"_s},
              {u"4444"_s, u"四"_s},
              {u"5555"_s, u"五"_s}});
    m_form->watchCount = 5;
    QVERIFY(run(u"yahoochart"_s));
    QCOMPARE(m_form->Label1[4]->text(), u"五"_s);

    // The list shrinks to four rows: the fifth caption stays as it was.
    fillRows({{u"1111"_s, u"一"_s},
              {u"2222"_s, u"二"_s},
              {u"3333"_s, u"三"_s},
              {u"4444"_s, u"四"_s},
              {QString(), QString()}});
    m_form->watchCount = 4;
    m_fakes->http.requests.clear();
    QVERIFY(run(u"yahoochart"_s));
    QCOMPARE(m_fakes->http.requests.size(), 4);
    QCOMPARE(m_form->Label1[4]->text(), u"五"_s);
}

void TestForm1Charts::failedThumbnailKeepsItsOwnPicture_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("error page") << QByteArray();
    QTest::newRow("picture bomb") << gifBomb();
    QTest::newRow("SVG") << svgPicture();
}

void TestForm1Charts::failedThumbnailKeepsItsOwnPicture()
{
    QFETCH(QByteArray, answer);
    m_failingBody = answer;
    fillRows({{u"7203"_s, u"トヨタ自動車"_s}, {u"6758"_s, u"ソニー"_s}});
    m_form->watchCount = 2;
    QVERIFY(run(u"yahoochart"_s));
    const QColor toyota = colourOf(m_form->Image1[0]->picture());
    QVERIFY(toyota.isValid());

    // The refresh empties the slots first; then row 1's download fails while row 2's works.
    for (PictureBox* box : m_form->Image1)
        box->clearPicture();
    m_failing.insert(u"s=7203.T"_s);
    QVERIFY(run(u"yahoochart"_s));
    QCOMPARE(colourOf(m_form->Image1[0]->picture()), toyota); // its own last chart, not row 2's
    QVERIFY(m_form->Image1[1]->hasPicture());

    // A slot whose row now holds another code shows nothing rather than the old stock.
    fillRows({{u"9984"_s, u"ソフトバンク"_s}});
    m_failing.insert(u"s=9984.T"_s);
    QVERIFY(run(u"yahoochart"_s));
    QVERIFY(!m_form->Image1[0]->hasPicture());
    QVERIFY(m_fakes->dialogs.shown.isEmpty());
}

void TestForm1Charts::supersededThumbnailRefreshChangesNothing()
{
    ManualHttpClient http;
    Services s = m_fakes->services();
    s.http = &http;
    Form1 form(s);
    form.MSFlexGrid1->setCellText(1, grid::Code, u"7203"_s);
    form.MSFlexGrid1->setCellText(2, grid::Code, u"6758"_s);
    form.watchCount = 2;

    int first = 0;
    int second = 0;
    form.yahoochart([&first] { ++first; });
    form.yahoochart([&second] { ++second; });
    QCOMPARE(http.unanswered(), 4);
    const QByteArray fresh = chartPng(QSize(30, 30), Qt::green);
    const QByteArray stale = chartPng(QSize(30, 30), Qt::red);
    // The newer refresh answers first; the older one's late answers must not overwrite it.
    http.pending[2].answered = true;
    http.pending[2].done(okResponse(fresh));
    http.pending[3].answered = true;
    http.pending[3].done(okResponse(fresh));
    QCOMPARE(second, 1);
    QVERIFY(http.answer(u"7203"_s, okResponse(stale)));
    QVERIFY(http.answer(u"6758"_s, okResponse(stale)));
    QCOMPARE(first, 1);
    QCOMPARE(colourOf(form.Image1[0]->picture()), QColor(Qt::green));
    QCOMPARE(colourOf(form.Image1[1]->picture()), QColor(Qt::green));
    QFile f(m_fakes->config.dataFile(u"yahoo.jpg"_s));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), fresh);
}

QTEST_MAIN(TestForm1Charts)
#include "tst_form1charts.moc"
