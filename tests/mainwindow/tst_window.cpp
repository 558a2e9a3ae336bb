// The main window on fakes: start-up, the refresh cycle, charts, watch-list, settings and capture.
#include "charts/seriesreader.h"
#include "mainwindow/chartroutines.h"
#include "mainwindow/settingswindow.h"
#include "mainwindow/thumbcaption.h"
#include "platform/helpviewer.h"
#include "platform/singleinstance.h"
#include "quotes/secondsource.h"
#include "support/chartimages.h"
#include "support/files.h"
#include "windowprobe.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTimeZone>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray quotePage(const QString& name)
{
    return readFile(QString::fromUtf8(TICKORA_QUOTE_PAGES "/") + name);
}

const QString NikkeiPage = u"<html><div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"
                           "<a class=\"cmn-indexes_index_link\" href=\"/n\">前日比</a>(+193.16)</html>"_s;
const QByteArray Empties = ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"";

/// Makes the window if not yet made, writes the cells and runs a refresh to its last step, the Nikkei line.
bool start(Window& w, const QString& cells = {})
{
    if (!w.form)
        w.make();
    w.cells(cells, true);
    w.label(u"nikkeiLine"_s)->clear();
    w.trigger(u"startRealTimeCommand"_s);
    return QTest::qWaitFor([&] { return !w.label(u"nikkeiLine"_s)->text().isEmpty(); }, 5000);
}

/// Serves the 2012 pages of 7203 (real-time, up), 6758 (delayed, down) and the Nikkei.
void serveOldPages(Window& w)
{
    w.fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
    w.fakes.http.serve(u"code=6758"_s, quotePage(u"detail_6758_delayed_down.html"_s));
    w.fakes.http.serve(u"/nkave"_s, NikkeiPage.toUtf8());
}

/// A chart JSON body of `days` daily bars, or of 5-minute bars of 2013-03-05 from 9:00 (days 0).
QByteArray seriesBody(const QString& symbol, int days)
{
    PriceSeries s;
    s.symbol = symbol;
    s.gmtOffset = TokyoGmtOffset;
    s.previousClose = 5000;
    const qint64 nine =
        QDateTime(QDate(2013, 3, 5), QTime(9, 0), QTimeZone::utc()).toSecsSinceEpoch() - TokyoGmtOffset;
    for (int i = 0; i < (days > 0 ? days : 6); ++i) {
        const double p = 5000 + (i % 5) * 10;
        s.bars.append({days > 0 ? nine - (days - i) * 86400 : nine + i * 300, p, p + 5, p - 5, p + 2, 100});
    }
    return chartJsonFromSeries(s);
}

QList<SettingsWindow*> settingsWindows()
{
    QList<SettingsWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<SettingsWindow*>(w))
            found.append(f);
    return found;
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One holder at a time; the lock lies in the runtime folder, else the data folder, never in shared temp.
    void singleInstance()
    {
        FakeDialogs dialogs;
        FakeSingleInstance instance;
        QVERIFY(MainWindow::claimSingleInstance(instance, dialogs));
        instance.free = false;
        QVERIFY(!MainWindow::claimSingleInstance(instance, dialogs) && dialogs.shown.size() == 1);
        QTemporaryDir dir;
        auto first = std::make_unique<LockFileInstance>(dir.filePath(u"tickora.lock"_s));
        QVERIFY(first->claim() && first->claim()); // the holder may claim again
        LockFileInstance second(dir.filePath(u"tickora.lock"_s));
        QVERIFY(!second.claim());
        first.reset();
        QVERIFY(second.claim() && LockFileInstance(dir.filePath(u"missing/tickora.lock"_s)).claim());

        auto restore = qScopeGuard([runtime = qgetenv("XDG_RUNTIME_DIR"), tmp = qgetenv("TMPDIR")] {
            qputenv("XDG_RUNTIME_DIR", runtime), qputenv("TMPDIR", tmp);
        });
        const QString own = dir.filePath(u"run"_s);
        QVERIFY(QDir().mkdir(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", own.toLocal8Bit());
        const QString data = dir.filePath(u"kabu"_s);
        QCOMPARE(LockFileInstance::defaultLockPath(data), own + u"/tickora.lock"_s);
        // No runtime folder, and the one Qt would make in the temp folder is someone else's.
        qunsetenv("XDG_RUNTIME_DIR");
        QVERIFY(QDir().mkdir(dir.filePath(u"tmp"_s)));
        qputenv("TMPDIR", dir.filePath(u"tmp"_s).toLocal8Bit());
        QVERIFY(writeFile(dir.filePath(u"tmp/runtime-"_s) + QFileInfo(dir.path()).owner(), {}));
        QCOMPARE(LockFileInstance::defaultLockPath(data), data + u"/tickora.lock"_s);
    }

    // Every stopping command stops a tick waiting for the network for good, and the start queued behind.
    void stopHolds()
    {
        for (const QString& command : {u"stopRealTimeCommand"_s, u"click"_s, u"helpCommand"_s,
                                       u"settingsCommand"_s, u"advanceDeclineCommand"_s,
                                       u"nikkeiHalfYearCommand"_s, u"nyNikkeiCommand"_s, u"dowCommand"_s}) {
            Window w;
            w.fakes.http.setHolding(true);
            w.make();
            w.cells(u"1,1=7203 2,1=6758 4,1=9984"_s, true);
            w.tick();
            QCOMPARE(w.fakes.http.requests.size(), 6);
            w.trigger(u"startRealTimeCommand"_s);
            const qsizetype before = w.fakes.http.requests.size();
            command == u"click"_s ? Q_EMIT w.grid()->clicked() : w.trigger(command);
            const QHash<QString, QString> charts{
                {u"advanceDeclineCommand"_s, u"/Pics/Stock/Day/K001881.GIF"_s},
                {u"nikkeiHalfYearCommand"_s, u"/z"_s},
                {u"nyNikkeiCommand"_s, u"/chart/nka_l.gif"_s},
                {u"dowCommand"_s, u"/rakutensecj/common/analytic.jsp"_s}};
            const auto& asked = w.fakes.http.requests; // a chart command asks for its chart
            QCOMPARE(asked.size() > before ? asked[before].url.path() : QString(), charts.value(command));
            QVERIFY2(w.stopped(), qPrintable(command));
            w.drain();
            QVERIFY(w.stopped());
            if (command != u"settingsCommand"_s) // settings empties the grid
                QCOMPARE(w.cells(u"3,1= 4,1="_s), QStringList({u"3,1="_s, u"4,1=9984"_s})); // not packed
            QCOMPARE(w.fakes.help.opened.size(), command == u"helpCommand"_s ? 1 : 0);
        }
    }

    // Drawn charts: asked once per symbol and range, no images; windows name their row; slots start large.
    void drawnChartsFillTheWindow()
    {
        Window w;
        w.fakes.config.charts = ChartSource::Drawn;
        serveOldPages(w);
        const auto slot = [](ThumbCaption* c) { return std::pair(c->pos(), c->slotWidth()); };
        const auto before = slot(w.make().findChild<ThumbCaption*>(u"thumbnailCaption5"_s));
        for (const QString& symbol : {u"7203.T"_s, u"6758.T"_s, u"%5EN225"_s})
            for (const int days : {0, 250})
                w.fakes.http.serve(u"chart/%1?range=%2"_s.arg(symbol, days ? u"1y"_s : u"1d"_s),
                                   seriesBody(symbol, days), 200, "application/json");
        QVERIFY(start(w, u"1,1=7203 2,1=6758"_s));
        w.tick();
        w.drain();
        for (const QString& name : {u"thumbnail0"_s, u"thumbnail1"_s, u"indexChart"_s})
            QVERIFY2(w.child<PictureBox>(name)->hasPicture(), qPrintable(name));
        QCOMPARE(w.child<PictureBox>(u"thumbnail0"_s)->frameStyle(), QFrame::Box | QFrame::Plain);
        QCOMPARE(slot(w.child<ThumbCaption>(u"thumbnailCaption5"_s)), before);
        // Every slot stands at its place, large on this screen, small on a screen of 800 lines.
        Window small;
        small.fakes.screen.size = QSize(1280, 800);
        serveOldPages(small);
        QVERIFY(start(small, u"1,1=7203"_s));
        QStringList places;
        for (Window* window : {&w, &small})
            for (const QString& name : {u"thumbnail0"_s, u"thumbnail6"_s, u"thumbnail11"_s})
                places << u"%1,%2"_s.arg(window->child<PictureBox>(name)->x())
                              .arg(window->child<PictureBox>(name)->y());
        QCOMPARE(places, QStringList({u"17,292"_s, u"623,492"_s, u"927,692"_s, u"57,292"_s, u"477,433"_s,
                                      u"687,576"_s}));
        QCOMPARE(w.child<PictureBox>(u"thumbnail1"_s)->accessibleName(), u"チャート 2"_s);
        Q_EMIT w.child<PictureBox>(u"thumbnail1"_s)->clicked();
        QPointer<QWidget> year;
        QTRY_VERIFY((year = w.form->findChild<QWidget*>(u"stockYearChart"_s)));
        QTRY_VERIFY(year->findChild<PictureBox*>(u"chartPicture"_s)->hasPicture());
        QCOMPARE(year->findChild<QLabel*>(u"chartNote"_s)->text() + u'|' + year->windowTitle(),
                 u"ソニー|REAL CHART  ソニー(株)"_s);
        QVERIFY(start(w) && !(year && year->isVisible()));             // a start closes it
        for (const QString& slot : {u"thumbnail1"_s, u"thumbnail0"_s}) // the first slot opens its row's too
            Q_EMIT w.child<PictureBox>(slot)->clicked();
        QStringList series;
        for (const HttpRequest& r : std::as_const(w.fakes.http.requests)) {
            const QString path = r.url.path();
            QVERIFY2(!QRegularExpression(u"^/([ftb]|gifdata)"_s).match(path).hasMatch(), qPrintable(path));
            if (path.startsWith(u"/v8/finance/chart/"_s))
                series << path.mid(18) + u' ' + r.url.query();
        }
        series.sort();
        QCOMPARE(series, QStringList({u"6758.T range=1d&interval=5m"_s, u"6758.T range=1y&interval=1d"_s,
                                      u"7203.T range=1d&interval=5m"_s, u"7203.T range=1y&interval=1d"_s,
                                      u"^N225 range=1d&interval=5m"_s}));
        // A tick closes the row's year and six months (from its caption), the market charts and the
        // settings, and keeps the current cell.
        Q_EMIT w.child<ThumbCaption>(u"thumbnailCaption0"_s)->clicked();
        for (const QString& opening :
             {u"nikkeiHalfYearCommand"_s, u"dowCommand"_s, u"dollarYenCommand"_s, u"settingsCommand"_s})
            w.trigger(opening);
        QList<QPointer<QWidget>> windows{settingsWindows().value(0)};
        for (const QString& name : {u"stockYearChart"_s, u"stockHalfYearChart"_s, u"nikkeiHalfYearChart"_s,
                                    u"dowChart"_s, u"dollarYenChart"_s}) {
            QTRY_VERIFY(w.form->findChild<QWidget*>(name) && w.form->findChild<QWidget*>(name)->isVisible());
            windows << w.form->findChild<QWidget*>(name);
        }
        for (const QString& name :
             {u"nikkeiHalfYearChart"_s, u"dollarYenChart"_s}) // where the market's chart windows stand
            QCOMPARE(w.form->findChild<QWidget*>(name)->pos(), QPoint(633, 33));
        w.grid()->setCurrent(3, grid::Price);
        w.tick();
        for (const QPointer<QWidget>& window : windows)
            QVERIFY(!window || !window->isVisible());
        w.drain();
        QCOMPARE(w.grid()->col(), int(grid::Price));
    }

    // A start packs and fills the rows; muted, it chimes no more; a failed page ends the pass.
    void startFillsTheWindow()
    {
        Window w;
        serveOldPages(w);
        w.fakes.http.serve(u"/f?s=7203"_s, chartPng(QSize(200, 100), Qt::blue), 200, "image/png");
        QVERIFY(start(w, u"1,1=7203 1,11=5400 3,1=6758 3,12=10:00 4,2=stray 5,1=9999 5,12=9:00"_s));
        w.drain();
        QCOMPARE(w.child<PictureBox>(u"thumbnail0"_s)->size(),
                 QSize(202, 102)); // a thumbnail takes its picture's size
        QCOMPARE(w.cells(u"1,3= 2,1= 2,4= 3,1= 3,12= 4,1= 5,1= 5,12="_s),
                 QStringList({u"1,3=5,430"_s, u"2,1=6758"_s, u"2,4=-3"_s, u"3,1=9999"_s, u"3,12=9:00"_s,
                              u"4,1="_s, u"5,1="_s, u"5,12="_s}));
        QCOMPARE(w.state(), u"2,1 label 2 box 6758 shown 1 beeps 0 running"_s); // the box shows the cell
        QCOMPARE(w.fakes.sound.played, QStringList{w.fakes.config.dataFile(u"chimes.wav"_s)});
        QCOMPARE(w.label(u"nikkeiLine"_s)->text() + u'|' + w.fakes.dialogs.shown[0].text, // 9999 has no page
                 u"日経平均 12,283.62 (+193.16) |URL読み込みに失敗しました"_s);

        w.child<QCheckBox>(u"muteBox"_s)->setChecked(true);
        QVERIFY(start(w, u"2,1=1111 3,1=7203 3,3=old"_s));
        QCOMPARE(w.fakes.sound.played.size(), 1);
        QCOMPARE(w.state(), u"1,1 label 1 box 7203 shown 2 beeps 0 running"_s);
        QCOMPARE(w.cells(u"3,3="_s), QStringList{u"3,3=old"_s});
    }

    // An overloaded service: rows and Nikkei line are kept, the status line says until when, once.
    void overloadedServiceIsHeld()
    {
        Window w;
        int quoteRequests = 0;
        QByteArray retryAfter = "90";
        w.fakes.http.setHandler([&](const HttpRequest& request) {
            HttpResponse r;
            if (request.url.path().startsWith(u"/stocks/detail"_s) || request.url.path() == u"/nkave"_s) {
                ++quoteRequests;
                r.status = 429;
                r.headers = {{"Retry-After", retryAfter}};
            }
            return r;
        });
        w.make();
        QSignalSpy said(w.child<QStatusBar>(u"statusLine"_s), &QStatusBar::messageChanged);
        w.cells(u"1,1=7203 1,3=5,000 2,1=6758"_s, true);
        w.label(u"nikkeiLine"_s)->setText(u"日経平均 1"_s);
        w.trigger(u"startRealTimeCommand"_s);
        w.drain();
        QCOMPARE(w.cells(u"1,3= 2,1="_s), QStringList({u"1,3=5,000"_s, u"2,1=6758"_s}));
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 1"_s);
        QVERIFY(w.fakes.dialogs.shown.isEmpty());
        QCOMPARE(said.size(), 1);
        QCOMPARE(said.constFirst().constFirst().toString(), u"取得制限中 10:01:30 まで"_s);
        QCOMPARE(quoteRequests, 3);                   // all sent before the first answer
        retryAfter = "Tue, 05 Mar 2013 01:03:00 GMT"; // told in the computer's own time
        for (const int second : {29, 30}) {
            w.fakes.clock.time = QTime(10, 1, second);
            w.tick();
            w.drain();
            QCOMPARE(quoteRequests > 3, second == 30);
        }
        QCOMPARE(said.size(), 2); // a new hold, told again
        QCOMPARE(said.constLast().constFirst().toString(), u"取得制限中 10:03:00 まで"_s);
    }

    // A page whose board names another security: the row (or the Nikkei line) keeps what it shows,
    // no target is told, and the status line says so once, however many ticks it lasts.
    void pagesOfAnotherSecurity()
    {
        Window w;
        w.fakes.config.quotePages = QuotePages::Today;
        QByteArray nikkei = quotePage(u"today/2026/998407.O.html"_s);
        w.fakes.http.serve(u"/quote/2107.T"_s, quotePage(u"today/7203.html"_s)); // 7203's board
        w.fakes.http.serve(u"/quote/998407.O"_s, nikkei);
        w.make();
        QSignalSpy said(w.child<QStatusBar>(u"statusLine"_s), &QStatusBar::messageChanged);
        const QString row = u"1,1=2107 1,2=東洋精糖 1,3=300 1,4=+1 1,10=9,000 1,11=1 1,12=9:00"_s;
        QVERIFY(start(w, row));
        const QString line = w.label(u"nikkeiLine"_s)->text();
        QVERIFY(line.startsWith(u"日経平均 38,412.76"_s));
        w.fakes.http.serve(u"/quote/998407.O"_s, nikkei.replace("\"code\":\"998407.O\",\"countryCode\"",
                                                                "\"code\":\"998405.O\",\"countryCode\""));
        for (int tick = 0; tick < 2; ++tick) {
            w.tick();
            w.drain();
        }
        QCOMPARE(w.cells(row), row.split(u' '));
        QCOMPARE(w.grid()->cellForeColor(1, grid::SellTarget), cellcolor::Default);
        QCOMPARE(w.grid()->cellForeColor(1, grid::BuyTarget), cellcolor::Default);
        QVERIFY(w.fakes.notifier.shown.isEmpty() && w.fakes.sound.played.isEmpty());
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), line);
        QStringList messages;
        for (const QList<QVariant>& m : std::as_const(said))
            messages.append(m.constFirst().toString());
        QCOMPARE(messages, QStringList({u"株価ページが別の銘柄を示しています（2107 → 7203）"_s,
                                        u"株価ページが別の銘柄を示しています（998407 → 998405）"_s}));
        // The pages show their own securities again: the word goes.
        w.fakes.http.serve(u"/quote/998407.O"_s, quotePage(u"today/2026/998407.O.html"_s));
        w.tick();
        w.drain();
        QCOMPARE(w.child<QStatusBar>(u"statusLine"_s)->currentMessage(), QString());
    }

    // A page in a form no reader knows: the row and the Nikkei line come from the series, the
    // status line says so once, and a target reached is told as from a page.
    void unknownPageFormsFromTheSeries()
    {
        Window w;
        w.fakes.config.quotePages = QuotePages::Today;
        QVERIFY(writeFile(w.fakes.config.dataFile(u"tousyou1.csv"_s), cp932(u"7203,\"トヨタ自動車\"\r\n"_s)));
        QVERIFY(
            writeFile(w.fakes.config.dataFile(u"codes-added.csv"_s), cp932(u"285A,\"キオクシア\"\r\n"_s)));
        QStringList seriesAsked;
        bool readable = false; // the pages in a form the program reads
        w.fakes.http.setHandler([&](const HttpRequest& request) {
            const QString path = request.url.path();
            if (readable &&
                path.endsWith(u".T"_s)) // each code's own page: a board of another code is no read
                return HttpResponse{200,
                                    quotePage(path.endsWith(u"7203.T"_s) ? u"today/7203.html"_s
                                                                         : u"today/2026/285A.T.html"_s),
                                    "text/html",
                                    {},
                                    {}};
            if (readable && path == u"/quote/998407.O"_s)
                return HttpResponse{200,
                                    "<script>\nwindow.__PRELOADED_STATE__ = {\"mainDomesticIndexPriceBoard\":"
                                    "{\"indexPrices\":{\"price\":\"50,491.87\",\"japanUpdateTime\":\"15:30\","
                                    "\"changePrice\":\"253.29\"}}};</script>",
                                    "text/html",
                                    {},
                                    {}};
            if (!path.startsWith(u"/v8/finance/chart/"_s))
                return HttpResponse{200,
                                    "<html><body><h2 hidden>株価詳細値</h2>新しい形式のページ</body></html>",
                                    "text/html",
                                    {},
                                    {}};
            seriesAsked.append(request.url.path(QUrl::FullyEncoded).mid(18) + u'?' + request.url.query());
            const QString price = path.endsWith(u"N225"_s) ? u"38412.7,\"previousClose\":38538.16"_s
                                                           : u"2648.5,\"previousClose\":2618"_s;
            return HttpResponse{200,
                                (u"{\"chart\":{\"result\":[{\"meta\":{\"regularMarketPrice\":"_s + price +
                                 u",\"regularMarketTime\":1790470140}}]}}"_s)
                                    .toUtf8(),
                                "application/json",
                                {},
                                {}};
        });
        w.make();
        QSignalSpy said(w.child<QStatusBar>(u"statusLine"_s), &QStatusBar::messageChanged);
        QVERIFY(start(w, u"1,1=7203 1,11=2,600 2,1=285A"_s));
        w.drain();
        // The series' last trade (2026-09-27 9:49 in Japan) lies before the clock's day: its date shows.
        QCOMPARE(w.cells(u"1,2= 1,3= 1,4= 1,5= 1,12= 2,2="_s),
                 QStringList({u"1,2=トヨタ自動車"_s, u"1,3=2,648.5"_s, u"1,4=+30.5"_s, u"1,5=2,618"_s,
                              u"1,12=9/27"_s, u"2,2=キオクシア"_s}));
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 38,412.70 (9/27) -125.46"_s);
        QVERIFY(seriesAsked.contains(u"7203.T?range=1d&interval=5m"_s) &&
                seriesAsked.contains(u"%5EN225?range=1d&interval=5m"_s));
        QCOMPARE(w.fakes.notifier.shown,
                 QList<FakeNotifier::Shown>(
                     {{u"売値目標到達"_s, u"7203 トヨタ自動車 現在値 2,648.5 目標 2,600"_s}}));
        QCOMPARE(w.grid()->cellForeColor(1, grid::SellTarget), cellcolor::Red);
        w.tick();
        w.drain();
        // Told again only after every page has been read since: the stock's and the Nikkei's.
        for (const bool readNow : {true, false}) {
            readable = readNow;
            w.tick();
            w.drain();
        }
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 38,412.70 (9/27) -125.46"_s);
        QStringList messages;
        for (const QList<QVariant>& m : std::as_const(said))
            messages.append(m.constFirst().toString());
        const QString series = QString::fromUtf16(PagesUnreadFromSeriesText);
        QCOMPARE(messages, QStringList({series, QString(), series}));
        // A series service that refuses, asked for every row or for the Nikkei line alone: the rows
        // and the line keep what they show, each told once; an overload is held and told at once,
        // and the Nikkei page unread while the series alone is held is told as unread, not as shown
        // from the series.
        const QString unread = QString::fromUtf16(PagesUnreadText),
                      refused = QString::fromUtf16(SeriesRefusedText), held = u"取得制限中 10:01:30 まで"_s;
        for (const auto& [stockPageRead, status, price, told] :
             {std::tuple{false, 403, u"old"_s, QStringList{unread, refused}},
              {true, 403, u"2,648.5"_s, QStringList{unread, refused}},
              {true, 429, u"2,648.5"_s, QStringList{held, unread}}}) {
            Window h;
            h.fakes.config.quotePages = QuotePages::Today;
            h.fakes.config.seriesBase = QUrl(u"http://series.test"_s); // held apart from the pages
            h.fakes.http.setHandler([read = stockPageRead, status](const HttpRequest& request) {
                const QString path = request.url.path();
                if (path.startsWith(u"/v8/"_s))
                    return HttpResponse{status, {}, "text/plain", {{"Retry-After", "90"}}, {}};
                return HttpResponse{200,
                                    read && path.endsWith(u".T"_s) ? quotePage(u"today/7203.html"_s)
                                                                   : "<html>新しい形式</html>",
                                    "text/html",
                                    {},
                                    {}};
            });
            h.make();
            QSignalSpy shown(h.child<QStatusBar>(u"statusLine"_s), &QStatusBar::messageChanged);
            h.cells(u"1,1=7203 1,3=old"_s, true);
            h.label(u"nikkeiLine"_s)->setText(u"日経平均 1"_s);
            for (int pass = 0; pass < 3; ++pass) {
                h.trigger(u"startRealTimeCommand"_s);
                h.drain();
            }
            QStringList messages{h.cells(u"1,3="_s).constFirst(), h.label(u"nikkeiLine"_s)->text()};
            for (const QList<QVariant>& m : std::as_const(shown))
                messages.append(m.constFirst().toString());
            QCOMPARE(messages, QStringList({u"1,3="_s + price, u"日経平均 1"_s}) + told);
        }
    }

    // The questions come by Japan time and the exchange's calendar, the date shown by the computer's
    // own, with the computer in New York.
    void questionsInJapanTime()
    {
        const QTimeZone newYork("America/New_York");
        QVERIFY(newYork.isValid());
        for (const auto& [japan, question] :
             {std::pair{QDateTime(QDate(2026, 12, 8), QTime(15, 30, 59), japanZone()), QString()},
              {QDateTime(QDate(2026, 12, 8), QTime(15, 31, 0), japanZone()), QString()},
              {QDateTime(QDate(2026, 12, 8), QTime(15, 31, 1), japanZone()),
               u"15:30 を過ぎました停止しますか？"_s},
              {QDateTime(QDate(2027, 1, 1), QTime(10, 0), japanZone()),
               u"本日は休場日です停止しますか？"_s}}) {
            Window w;
            serveOldPages(w);
            const QDateTime local = japan.toTimeZone(newYork);
            w.fakes.clock.zone = newYork;
            w.fakes.clock.date = local.date();
            w.fakes.clock.time = local.time();
            QVERIFY(start(w, u"1,1=7203"_s));
            QVERIFY(w.fakes.dialogs.shown.isEmpty()); // a start asks nothing
            w.tick();
            w.drain();
            QCOMPARE(w.fakes.dialogs.shown.isEmpty() ? QString() : w.fakes.dialogs.shown[0].text, question);
            QVERIFY(question.isEmpty() || w.fakes.dialogs.shown[0].title == u"継続確認"_s);
            QCOMPARE(w.stopped(), !question.isEmpty()); // answered Yes
            QCOMPARE(w.label(u"dateLabel"_s)->text(), local.date().toString(u"yyyy/MM/dd "_s));
        }
    }

    // Through the lunch break and after the close, a tick asks once and then nothing until the
    // session opens; the status line says why. A closed day asks once too.
    void quietPeriodsSendNothing()
    {
        Window w;
        serveOldPages(w);
        w.fakes.dialogs.answers = QList<bool>(1000, false);
        w.fakes.clock.date = QDate(2026, 12, 8);
        QVERIFY(start(w, u"1,1=7203 2,1=6758"_s));
        const qsizetype perRefresh = w.fakes.http.requests.size();
        QVERIFY(perRefresh >= 4);
        auto line = [&] { return w.child<QStatusBar>(u"statusLine"_s)->currentMessage(); };
        auto run = [&](QDate day, QTime from, QTime to) {
            const qsizetype before = w.fakes.http.requests.size();
            w.fakes.clock.date = day;
            for (QTime t = from; t <= to && t >= from; t = t.addSecs(30)) {
                w.fakes.clock.time = t;
                w.tick();
                w.drain();
            }
            return (w.fakes.http.requests.size() - before) / double(perRefresh);
        };
        const QDate tuesday(2026, 12, 8);
        QCOMPARE(run(tuesday, QTime(11, 30), QTime(12, 0)), 31.0); // to 11:45:00, once
        QCOMPARE(line(), u"昼休み中"_s);
        QCOMPARE(run(tuesday, QTime(12, 0, 30), QTime(12, 35)), 11.0); // from 12:30:00
        QCOMPARE(line(), QString());
        QCOMPARE(run(tuesday, QTime(15, 30), QTime(16, 0)), 31.0);
        QCOMPARE(run(tuesday, QTime(23, 59, 30), QTime(23, 59, 30)), 0.0);
        QCOMPARE(line(), u"本日の取引は終了しました"_s);
        QCOMPARE(run(tuesday.addDays(1), QTime(8, 30), QTime(8, 59, 30)), 0.0);
        QCOMPARE(line(), u"取引開始前です（9:00 から）"_s);               // the morning: the day is to come
        QCOMPARE(run(tuesday.addDays(1), QTime(9, 0), QTime(9, 0)), 1.0); // the session opens
        QCOMPARE(run(QDate(2026, 12, 12), QTime(10, 0), QTime(11, 0)), 1.0); // a Saturday
        QCOMPARE(line(), u"本日は休場日です"_s);
        QVERIFY(!w.stopped());
        w.trigger(u"startRealTimeCommand"_s); // a start always asks
        w.drain();
        QCOMPARE(w.fakes.http.requests.size() % perRefresh, 0);
        QCOMPARE(run(QDate(2026, 12, 12), QTime(11, 30), QTime(11, 30)), 0.0);
        // A tick that asks nothing still closes the charts the user opened.
        Q_EMIT w.child<PictureBox>(u"thumbnail0"_s)->clicked();
        QPointer<QWidget> year;
        QTRY_VERIFY((year = w.form->findChild<QWidget*>(u"stockYearChart"_s)) && year->isVisible());
        QCOMPARE(run(QDate(2026, 12, 12), QTime(11, 31), QTime(11, 31)), 0.0);
        QVERIFY(!year || !year->isVisible());
    }

    // Quotes from a simulated market say so, in the title and in the status line, only then; its moment
    // stands for the clock's (here a Sunday's), and without it the clock's counts.
    void simulatedMarket()
    {
        for (const int kind : {0, 1, 2}) { // not simulated, simulated, simulated with its moment
            Window w;
            bool down = false; // the quote service gives no answer at all
            w.fakes.http.setHandler([&](const HttpRequest& request) {
                HttpResponse r{200, quotePage(u"detail_7203_realtime_up.html"_s), "text/html", {}, {}};
                if (request.url.path() == u"/nkave"_s)
                    return HttpResponse{200, NikkeiPage.toUtf8(), "text/html", {}, {}};
                if (down)
                    return HttpResponse{0, {}, {}, {}, u"refused"_s};
                if (kind > 0)
                    r.headers = {{"X-Tickora-Simulated", "1"}};
                if (kind == 2)
                    r.headers.append(qMakePair(QByteArray("X-Tickora-Simulated-Time"),
                                               QByteArray("2026-12-08T10:15:00+09:00")));
                return r;
            });
            w.fakes.dialogs.answers = {false, false, false};
            w.fakes.clock.date = QDate(2026, 12, 13);
            QVERIFY(start(w, u"1,1=7203 2,1=7203"_s)); // two pages say so: one mark
            const qsizetype perRefresh = w.fakes.http.requests.size();
            QCOMPARE(w.form->windowTitle(), kind > 0 ? u"Tickora（模擬相場）"_s : u"Tickora"_s);
            const auto marks =
                w.child<QStatusBar>(u"statusLine"_s)->findChildren<QLabel*>(u"simulatedMark"_s);
            QLabel* mark = marks.value(0);
            QCOMPARE(marks.size() == 1 && mark->isVisibleTo(w.form.get()) ? mark->text() : QString(),
                     kind > 0 ? u"模擬相場"_s : QString());
            // Red, bold, apart from the status text, and said in words to whoever points at it.
            QVERIFY(!mark || (mark->palette().color(QPalette::WindowText) == QColor(Qt::red) &&
                              mark->font().bold() && mark->contentsMargins() == QMargins(8, 0, 8, 0) &&
                              mark->toolTip() == u"模擬相場の値です。実際の株価ではありません。"_s));
            QVERIFY(!w.child<QStatusBar>(u"statusLine"_s)->isSizeGripEnabled());
            for (int i = 0; i < 3; ++i) {
                down = i == 1;
                w.tick();
                w.drain();
            }
            QStringList questions;
            for (const FakeDialogs::Shown& shown : std::as_const(w.fakes.dialogs.shown))
                if (shown.isQuestion)
                    questions << shown.text;
            QCOMPARE(questions.size(), kind == 2 ? 0 : 3);
            QCOMPARE(w.fakes.http.requests.size(),
                     kind == 2 ? 4 * perRefresh : perRefresh); // else only the start
        }
    }

    // Today's pages fill rows, colours and alerts as the old ones did, and the Nikkei line from its page.
    void todayPagesFillTheWindow()
    {
        Window w;
        w.fakes.config.quotePages = QuotePages::Today;
        w.fakes.http.serve(u"/quote/7203.T"_s, quotePage(u"today/7203.html"_s));
        w.fakes.http.serve(u"/quote/6758.T"_s, quotePage(u"today/6758.html"_s));
        w.fakes.http.serve(
            u"/quote/998407.O"_s,
            "<html><script>\n// state\nwindow.__PRELOADED_STATE__ = {\"mainIndexPriceBoard\":{"
            "\"priceBoard\":{\"name\":\"日経平均株価\",\"price\":\"50,491.87\",\"priceDateTime\":"
            "\"15:30\",\"priceChange\":\"253.29\"}}};</script></html>");
        QVERIFY(start(w, u"1,1=7203 1,10=2,700 2,1=6758 2,11=3,400"_s));
        QCOMPARE(
            w.cells(u"1,2= 1,3= 1,4= 1,5= 1,6= 1,7= 1,8= 1,9= 1,12= 2,2= 2,3= 2,4= 2,12="_s),
            QStringList({u"1,2=トヨタ自動車(株)"_s, u"1,3=2,648.5"_s, u"1,4=-21.5"_s, u"1,5=2,670"_s,
                         u"1,6=27,481,100"_s, u"1,7=2,660"_s, u"1,8=2,671"_s, u"1,9=2,640"_s, u"1,12=15:30"_s,
                         u"2,2=ソニーグループ(株)"_s, u"2,3=3,412"_s, u"2,4=+58"_s, u"2,12=11:30"_s}));
        const QuoteGrid& g = *w.grid();
        QCOMPARE(QList<quint32>({g.cellForeColor(1, grid::Change), g.cellForeColor(1, grid::BuyTarget),
                                 g.cellForeColor(2, grid::Change), g.cellForeColor(2, grid::SellTarget)}),
                 QList<quint32>({cellcolor::Green, cellcolor::Green, cellcolor::Red, cellcolor::Red}));
        QCOMPARE(w.fakes.sound.played, QStringList({w.fakes.config.dataFile(u"chimesRow.wav"_s),
                                                    w.fakes.config.dataFile(u"chimes.wav"_s)}));
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 50,491.87 (15:30) +253.29"_s);
        QVERIFY(w.fakes.dialogs.shown.isEmpty());
        QCOMPARE(w.fakes.notifier.shown.size(), 2);
        // A target still reached is not told again, a new one is.
        QVERIFY(start(w, u"2,11=3,410"_s));
        QTRY_COMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 50,491.87 (15:30) +253.29"_s);
        QCOMPARE(w.fakes.notifier.shown,
                 QList<FakeNotifier::Shown>(
                     {{u"買値目標到達"_s, u"7203 トヨタ自動車(株) 現在値 2,648.5 目標 2,700"_s},
                      {u"売値目標到達"_s, u"6758 ソニーグループ(株) 現在値 3,412 目標 3,400"_s},
                      {u"売値目標到達"_s, u"6758 ソニーグループ(株) 現在値 3,412 目標 3,410"_s}}));
    }

    void stopDuringPassLeavesTheUsersCell()
    {
        Window w;
        w.fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
        w.fakes.http.setHolding(true);
        w.make();
        QVERIFY(w.showActive());
        w.cells(u"1,1=7203 2,1=7203"_s, true);
        w.trigger(u"startRealTimeCommand"_s);
        QTest::mouseClick(w.grid()->viewport(), Qt::LeftButton, {}, w.cellCenter(2, grid::Price));
        w.drain();
        QCOMPARE(w.cells(u"1,3="_s), QStringList{u"1,3=5,430"_s}); // quotes still written
        // The box shows the cell's new quote, written after row 1's; the later steps never ran.
        QCOMPARE(w.state(), u"2,3 label 2 box 5,430 shown 0 beeps 0 stopped"_s);
    }

    // Page values show as plain text, cut to their slot, whole in tooltip and accessible name, unmarked.
    void pageNamesShowAsText()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(u"green.png"_s), chartPng(QSize(24, 8), Qt::green)));
        const QString markup = u"<img src=\"%1\"><i>1</i>&lt;"_s.arg(dir.filePath(u"green.png"_s));
        const QString name =
            markup + u"トヨタ自動車グローバル・ホールディングス<b>&amp;</b>国際総合研究開発株式会社"_s;
        QByteArray quote = quotePage(u"detail_7203_realtime_up.html"_s);
        quote.replace("トヨタ自動車(株)</h1>", QByteArray(name.toUtf8() + "</h1>"));
        Window w;
        serveOldPages(w);
        w.fakes.http.serve(u"code=7203"_s, quote);
        w.fakes.http.serve(u"/nkave"_s, QString(NikkeiPage).replace(u"+193.16"_s, markup).toUtf8());
        QVERIFY(start(w, u"1,1=7203 2,1=6758"_s));
        QCOMPARE(w.cells(u"1,2="_s), QStringList{u"1,2="_s + name});
        const QLabel* label = w.label(u"thumbnailCaption0"_s);
        QVERIFY2(label->text().endsWith(u'…') && name.startsWith(label->text().chopped(1)),
                 qPrintable(label->text()));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->accessibleName(), name);
        const QString tip = label->toolTip();
        QCOMPARE(Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip, name);
        QCOMPARE(w.label(u"thumbnailCaption1"_s)->text(), w.label(u"thumbnailCaption1"_s)->accessibleName());
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        for (const QString& widget : {u"nikkeiLine"_s, u"quoteGrid"_s, u"thumbnailCaption0"_s}) {
            const QImage drawn =
                w.child<QWidget>(widget)->grab().toImage().convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    QVERIFY2(drawn.pixel(x, y) != QColor(Qt::green).rgb(), qPrintable(widget));
        }
    }

    // A caption is cut again when its font grows, staying in its room; breaks and tabs show as blanks.
    void captionFollowsItsFont()
    {
        ThumbCaption caption;
        const QString name = u"ソフトバンクグループ株式会社 Holdings"_s;
        caption.setName(name);
        const int room = caption.fontMetrics().horizontalAdvance(name) / 2;
        caption.setSlotWidth(room);
        const QString atSmallFont = caption.text();
        QFont larger = caption.font();
        larger.setPointSizeF(larger.pointSizeF() * 2);
        caption.setFont(larger);
        QVERIFY(caption.text().size() < atSmallFont.size() && caption.width() <= room);
        caption.setSlotWidth(room * 8);
        caption.setName(u"A\rB\tC\nD"_s);
        QCOMPARE(caption.text(), u"A B C D"_s);
    }

    void saveWritesTheFilledRowsAfterPacking()
    {
        Window w;
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        fillRow(*g, 1, u"7203"_s, u"トヨタ自動車"_s);
        fillRow(*g, 2, u"0123"_s, u"A, B"_s);
        fillRow(*g, 5, u"9984"_s, u"ソフトバンクグループ"_s);
        w.cells(u"5,12=15:00"_s, true);
        g->setCurrent(7, 4);
        w.trigger(u"saveCommand"_s);
        QCOMPARE(w.cells(u"3,1= 5,1="_s), QStringList({u"3,1=9984"_s, u"5,1="_s}));
        const QString tail = u",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"%1\",\"%2\"\r\n"_s;
        QCOMPARE(readFile(w.fakes.config.dataFile(u"dat.txt"_s)),
                 cp932(u"7203,\"トヨタ自動車\",\"1,1\""_s + tail.arg(u"100"_s, QString()) +
                       u"123,\"A, B\",\"1,2\""_s + tail.arg(u"200"_s, QString()) +
                       u"9984,\"ソフトバンクグループ\",\"1,5\""_s + tail.arg(u"500"_s, u"15:00"_s)));
        QCOMPARE(w.fakes.dialogs.shown[0].text, u"保存完了"_s);
        QCOMPARE(w.state(), u"1,1 label 1 box 7203 shown 1 beeps 0 stopped"_s);
        w.cells(u"2,1=28B5"_s, true); // a failed save says so
        w.trigger(u"saveCommand"_s);
        QVERIFY(w.fakes.dialogs.shown.value(1).text.contains(u"保存できませんでした"_s));
    }

    // Opening empties every row and loads the file, row 1's code current; colours stay.
    void openWatchList()
    {
        const QByteArray rows =
            cp932(u"7203,\"トヨタ\",\"2,000\",\"\",\"\",\"\",\"\",\"\",\"\",\"1900\",\"2100\",\"15:00\""_s +
                  u"\r\n6758,\"ソニー\""_s) +
            Empties;
        for (const bool missing : {false, true}) {
            Window w;
            QVERIFY(missing || writeFile(w.fakes.config.dataFile(u"dat.txt"_s), rows + "\r\n"));
            QuoteGrid* g = w.make().findChild<QuoteGrid*>();
            for (int r = 1; r <= 12; ++r) {
                fillRow(*g, r, QString::number(1000 + r), u"before"_s);
                w.cells(u"%1,0= %1,12=10:00"_s.arg(r), true);
            }
            g->setCellForeColor(4, grid::SellTarget, cellcolor::Red);
            g->setCurrent(5, 3);
            w.trigger(u"openCommand"_s);
            QCOMPARE((rowTexts(*g, 1) + rowTexts(*g, 2).mid(0, 2)).join(u'|'),
                     missing ? u"|||||||||||||"_s : u"7203|トヨタ|2,000|||||||1900|2100|15:00|6758|ソニー"_s);
            for (int r = 1; r <= 12; ++r) {
                QCOMPARE(g->cellText(r, 0), QString::number(r));
                QVERIFY(r < 3 || rowTexts(*g, r) == QStringList(12));
            }
            QCOMPARE(w.state(),
                     u"1,1 label 1 box %1 shown %2 beeps 0 stopped"_s.arg(missing ? QString() : u"7203"_s)
                         .arg(int(missing)));
            QCOMPARE(g->cellForeColor(4, grid::SellTarget), cellcolor::Red);
            QVERIFY(!missing || w.fakes.dialogs.shown[0].text.contains(u"dat.txt"_s));
        }
    }

    void withoutShiftJisConverterSaveAndOpenAreRefused()
    {
        Window w;
        const QString file = w.fakes.config.dataFile(u"dat.txt"_s);
        const QByteArray kept = "7203,\"A\"" + Empties + "\r\n";
        QVERIFY(writeFile(file, kept));
        Services services = w.fakes.services();
        services.shiftJisConverter = false;
        w.make(services);
        QCOMPARE(w.fakes.dialogs.shown.size(), 1); // said once at start
        const QString said = w.fakes.dialogs.shown[0].text;
        QVERIFY2(said.contains(u"Shift_JIS"_s), qPrintable(said));
        w.cells(u"2,1=6758 2,2=ソニー"_s, true);
        w.trigger(u"saveCommand"_s);
        w.trigger(u"openCommand"_s);
        w.select(2, grid::Code);
        QTest::keyClick(w.box(), Qt::Key_Return); // the code list cannot be read either: the code is kept
        QCOMPARE(w.fakes.dialogs.shown.size(), 4);
        QCOMPARE(w.fakes.dialogs.shown[3].text, said);
        QCOMPARE(readFile(file), kept);
        QCOMPARE(w.cells(u"2,1= 2,2="_s), QStringList({u"2,1=6758"_s, u"2,2=ソニー"_s}));
    }

    // Settings empties the grid (colours stay) in one window, removed by OK and not outliving the main one.
    void settings()
    {
        Window w;
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        QCOMPARE(g->cellText(0, grid::Time), u"  時 間 "_s); // the last header caption too
        const QMenu* file = w.form->findChild<QMenu*>(u"fileMenu"_s);
        QVERIFY(file && file->title() == u"ファイル"_s && file->actions().size() == 1); // "設定" alone
        // Drawn again once laid out, unwrapped; names centred down to row 12 until the grid has the focus.
        QVERIFY(g->updatesEnabled() && !g->wordWrap());
        QStringList fonts; // the grid's, the Nikkei line's and the entry box's
        for (const QWidget* c : std::initializer_list<QWidget*>{g, w.label(u"nikkeiLine"_s), w.box()})
            fonts << c->font().family() + QString::number(c->font().pointSizeF()) +
                         u"b"_s.repeated(c->font().bold());
        QCOMPARE(QStringList({w.box()->toolTip(), w.box()->accessibleName(),
                              w.box()->palette().color(QPalette::Base).name()}),
                 QStringList({u"Code入力"_s, u"Code入力"_s, u"#e0e0e0"_s}));
        QCOMPARE(fonts,
                 QStringList({u"ＭＳ Ｐゴシック9"_s, u"ＭＳ Ｐゴシック9.75b"_s, u"ＭＳ Ｐゴシック11.25"_s}));
        QCOMPARE(g->item(12, grid::Name)->textAlignment(), int(Qt::AlignCenter));
        QCOMPARE(g->item(0, grid::Name)->textAlignment(),
                 g->item(0, grid::Price)->textAlignment());         // captions
        QCOMPARE(g->cellBackground(2, 0), g->cellBackground(1, 0)); // the row numbers' column is not striped
        // No header of the view's own: the first row holds the captions, the first column the row numbers.
        QVERIFY(g->viewport()->geometry().topLeft() == QPoint(g->frameWidth(), g->frameWidth()));
        QStringList controls; // the window's controls but the thumbnails, at the fake screen's 96 DPI
        for (const QWidget* c : w.form->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!c->objectName().startsWith(u"thumbnail"_s))
                controls << u"%1 %2,%3 %4x%5"_s.arg(c->objectName())
                                .arg(c->x())
                                .arg(c->y())
                                .arg(c->width())
                                .arg(c->height());
        QCOMPARE(controls,
                 QStringList({u"dateLabel 32,24 73x17"_s, u"realTimeStatus 112,24 145x20"_s,
                              u"currentRowLabel 275,24 17x17"_s, u"nikkeiLine 912,32 329x17"_s,
                              u"entryBox 296,19 57x23"_s, u"muteBox 800,24 49x20"_s,
                              u"quoteGrid 56,56 832x202"_s, u"indexChart 912,56 257x201"_s,
                              u"Line1 0,0 1240x1"_s, u"Line2 0,0 1280x1"_s, u"Line3 0,3 1280x1"_s}));
        QList<int> widths; // at the fake screen's 96 DPI
        for (int c = 0; c <= grid::Time; ++c)
            widths << g->columnWidth(c);
        QCOMPARE(widths, QList<int>({27, 53, 133, 59, 59, 59, 73, 59, 59, 59, 59, 59, 59}));
        QCOMPARE(g->cellBackground(12, grid::Time), g->cellBackground(12, grid::Code)); // grey to its end
        w.select(1, 1);
        QCOMPARE(g->item(12, grid::Name)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
        w.cells(u"12,1=7203 12,12=15:00"_s, true);
        g->setCellForeColor(12, grid::SellTarget, cellcolor::Red);
        w.trigger(u"settingsCommand"_s);
        QCOMPARE(rowTexts(*g, 12), QStringList(12));
        QCOMPARE(g->cellForeColor(12, grid::SellTarget), cellcolor::Red);
        QPointer<SettingsWindow> form = settingsWindows().value(0);
        QVERIFY(form && form->isVisible() && !form->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(form->findChild<QLabel*>(u"smallScreenNote"_s)->wordWrap()); // its long text takes two lines
        // Grey, its font, its texts in their places (at the fake screen's 96 DPI), the resolution.
        QCOMPARE(form->grab().toImage().pixelColor(1, 1), QColor(0xE0, 0xE0, 0xE0));
        QList<int> places{form->width(), form->height()};
        QStringList texts{form->windowTitle(),
                          form->font().family() + QString::number(form->font().pointSizeF())};
        for (const QWidget* c : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            places << c->x() << c->y() << c->width() << c->height(), texts << c->property("text").toString();
        QCOMPARE(places,
                 QList<int>({362, 248, 24, 32, 313, 33, 208, 48, 97, 25, 16, 96, 337, 41, 272, 192, 57, 25}));
        QCOMPARE(texts,
                 QStringList({u"Form6"_s, u"ＭＳ Ｐゴシック9"_s,
                              u"現在使用中のディスプレの解像度   横\u3000Ｘ\u3000縦"_s, u"1920 x 1080"_s,
                              u"縦が800以下の場合リアルチャートは自動で小さく表示されます。"_s, u"ＯＫ"_s}));
        w.trigger(u"settingsCommand"_s);
        QCOMPARE(settingsWindows(), QList<SettingsWindow*>{form.data()});
        QTest::mouseClick(form->findChild<QPushButton*>(u"okButton"_s), Qt::LeftButton);
        QTRY_VERIFY(form.isNull());
        w.trigger(u"settingsCommand"_s);
        form = settingsWindows().value(0);
        QVERIFY(form && form->isVisible());
        w.form.reset();
        QVERIFY(form.isNull());
    }

    // The picture is saved before the question; Yes prints it; a printer or save failure is told.
    void capture()
    {
        Window w;
        w.fakes.screen.desktop = QImage(320, 200, QImage::Format_RGB32);
        w.fakes.screen.desktop.fill(Qt::darkGreen);
        const QString picPath = w.fakes.config.dataFile(u"pic/p13-03-05 .bmp"_s);
        QString beforeQuestion;
        w.fakes.dialogs.whileOpen = [&] {
            beforeQuestion =
                u"grabs %1 saved %2"_s.arg(w.fakes.screen.grabs).arg(QFileInfo(picPath).isFile());
        };
        w.make();
        w.trigger(u"captureCommand"_s);
        QCOMPARE(beforeQuestion, u"grabs 1 saved 1"_s); // pic/ was made when missing
        QCOMPARE(QtPictures().load(picPath).pixelColor(5, 5), QColor(Qt::darkGreen));
        QVERIFY(w.fakes.dialogs.shown[0].isQuestion);
        QCOMPARE(w.fakes.printer.printed, QList<QImage>{w.fakes.screen.desktop});

        w.fakes.printer.result = {false, u"既定のプリンターが設定されていません"_s, true};
        w.trigger(u"captureCommand"_s);
        QVERIFY(w.fakes.dialogs.shown.value(2).text.contains(u"既定のプリンターが設定されていない"_s));
        // A folder where the day's file belongs: no question, a message instead.
        QVERIFY(QFile::remove(picPath) && QDir().mkpath(picPath));
        w.trigger(u"captureCommand"_s);
        QCOMPARE(w.fakes.dialogs.shown.size(), 4);
        QVERIFY(w.fakes.dialogs.shown[3].text.contains(u"保存できませんでした"_s));
        QCOMPARE(w.fakes.printer.printed.size(), 2);
    }

    // ---- the entry box after ticks, settings' question, opening a list, chart windows' keys ----

    // Enter after refresh ticks, to wherever the keyboard goes, leaves every code and name in place:
    // the box shows the cell the ticks made current, so it can write no other cell's text there.
    void enterAfterTicksKeepsTheRows_data()
    {
        QTest::addColumn<bool>("active"); ///< the window is shown and active (else never shown)
        QTest::addColumn<int>("enters");  ///< Enters pressed, a tick after each
        QTest::addColumn<QString>("cells");
        QTest::newRow("inactive window, one Enter") << false << 1 << u"1,1=7203 2,1=6758"_s;
        QTest::newRow("inactive window, Enters between ticks") << false << 3 << u"1,1=7203 2,1=6758"_s;
        QTest::newRow("inactive window, rows packed by the start") << false << 2 << u"1,1=7203 4,1=6758"_s;
        QTest::newRow("active window, Enters between ticks") << true << 3 << u"1,1=7203 2,1=6758"_s;
    }
    void enterAfterTicksKeepsTheRows()
    {
        QFETCH(bool, active);
        QFETCH(int, enters);
        QFETCH(QString, cells);
        Window w;
        serveOldPages(w);
        QVERIFY(writeFile(w.fakes.config.dataFile(u"tousyou1.csv"_s),
                          cp932(u"7203,トヨタ自動車(株)\r\n6758,ソニー(株)\r\n"_s)));
        w.make();
        QVERIFY(!active || w.showActive());
        QVERIFY(start(w, cells));
        const QStringList rows = {u"1,1=7203"_s, u"1,2=トヨタ自動車(株)"_s, u"2,1=6758"_s,
                                  u"2,2=ソニー(株)"_s};
        for (int i = 0; i < enters; ++i) {
            w.tick();
            w.drain();
            // Keys go to the focused widget, or to the one that gets the focus when the window does.
            QWidget* keys = active ? QApplication::focusWidget() : w.form->focusWidget();
            QVERIFY(keys);
            QTest::keyClick(keys, Qt::Key_Return);
            QCOMPARE(w.cells(rows.join(u' ')), rows);
            QCOMPARE(w.box()->text(), w.grid()->text()); // the box shows the current cell
        }
        w.tick();
        w.drain();
        QCOMPARE(w.cells(rows.join(u' ') + u" 3,1="_s), rows + QStringList{u"3,1="_s});
        QCOMPARE(w.box()->text(), w.grid()->text());
    }

    // Row 1's code cell is current at start-up, shown and handed to the box: the first digit goes there.
    void startUpMakesRowOneCurrent()
    {
        Window w;
        w.make();
        QuoteGrid* g = w.grid();
        QCOMPARE(QList<int>({g->row(), g->col(), g->currentRow(), g->currentColumn()}),
                 QList<int>({1, 1, 1, 1}));
        QCOMPARE(g->selectedItems(), QList<QTableWidgetItem*>{g->item(1, 1)});
        QCOMPARE(w.label(u"currentRowLabel"_s)->text(), u"1"_s);
        QTest::keyClick(w.box(), Qt::Key_7);
        QCOMPARE(w.cells(u"1,1= 2,1="_s), QStringList({u"1,1=7"_s, u"2,1="_s}));
    }

    // "設定" asks before it empties a grid holding codes; いいえ leaves grid and cycle; an empty grid opens
    // at once.
    void settingsAsksFirst_data()
    {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("after"); ///< questions asked, rows 1 and 2, the cycle, the window
        QTest::newRow("yes empties and stops")
            << u"1,1=7203 2,1=6758"_s << true << u"asked 1 | 1,1= 2,1= 2,10= | stopped | open"_s;
        QTest::newRow("no keeps grid and cycle")
            << u"1,1=7203 2,1=6758"_s << false << u"asked 1 | 1,1=7203 2,1=6758 2,10=100 | running | none"_s;
        QTest::newRow("one code is enough to ask")
            << u"1,1=6758 2,1="_s << false << u"asked 1 | 1,1=6758 2,1= 2,10=100 | running | none"_s;
        QTest::newRow("no codes: opens at once")
            << u"1,1= 2,1="_s << false << u"asked 0 | 1,1= 2,1= 2,10= | stopped | open"_s;
    }
    void settingsAsksFirst()
    {
        QFETCH(QString, cells);
        QFETCH(bool, yes);
        QFETCH(QString, after);
        Window w;
        serveOldPages(w);
        w.fakes.http.serve(u"/f?s="_s, chartPng(QSize(200, 100), Qt::blue), 200, "image/png");
        if (cells.contains(u"=6758"_s))
            QVERIFY(start(w, cells + u" 2,10=100"_s));
        else
            w.make(), w.cells(cells + u" 2,10=100"_s, true); // nothing to watch, nothing started
        w.drain();
        const bool hadPicture = w.child<PictureBox>(u"thumbnail0"_s)->hasPicture();
        w.fakes.dialogs.answers = {yes};
        w.fakes.dialogs.shown.clear();
        w.trigger(u"settingsCommand"_s);
        const auto& shown = w.fakes.dialogs.shown;
        QStringList got{u"asked %1"_s.arg(shown.size()), w.cells(u"1,1= 2,1= 2,10="_s).join(u' '),
                        w.stopped() ? u"stopped"_s : u"running"_s,
                        settingsWindows().isEmpty() ? u"none"_s : u"open"_s};
        QCOMPARE(got.join(u" | "_s), after);
        if (!shown.isEmpty())
            QVERIFY(shown[0].isQuestion &&
                    shown[0].text == u"ウォッチリストを空にして設定画面を開きますか？"_s);
        // Emptied rows show no thumbnail nor caption of the stocks they lost.
        const bool emptied = after.contains(u"| 1,1= "_s);
        QCOMPARE(w.child<PictureBox>(u"thumbnail0"_s)->hasPicture(), hadPicture && !emptied);
        QCOMPARE(w.child<ThumbCaption>(u"thumbnailCaption0"_s)->name().isEmpty(), emptied);
        for (SettingsWindow* form : settingsWindows())
            delete form;
    }

    // "開く" empties the thumbnail and caption of every row whose stock it changed, keeps the others.
    void openClearsThumbnailsOfChangedRows_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("kept");
        QTest::newRow("same code kept") << 0 << true;
        QTest::newRow("another code cleared") << 1 << false;
        QTest::newRow("emptied row cleared") << 2 << false;
    }
    void openClearsThumbnailsOfChangedRows()
    {
        QFETCH(int, slot);
        QFETCH(bool, kept);
        Window w;
        serveOldPages(w);
        w.fakes.http.serve(u"/f?s="_s, chartPng(QSize(200, 100), Qt::blue), 200, "image/png");
        QVERIFY(writeFile(w.fakes.config.dataFile(u"dat.txt"_s),
                          cp932(u"7203,\"トヨタ自動車(株)\""_s) + Empties + "\r\n" +
                              cp932(u"9984,\"ソフトバンク\""_s) + Empties + "\r\n"));
        QVERIFY(start(w, u"1,1=7203 2,1=6758 3,1=7203"_s));
        w.drain();
        const auto* picture = w.child<PictureBox>(u"thumbnail%1"_s.arg(slot));
        const auto* caption = w.child<ThumbCaption>(u"thumbnailCaption%1"_s.arg(slot));
        QVERIFY(picture->hasPicture() && !caption->name().isEmpty());
        w.trigger(u"stopRealTimeCommand"_s);
        w.trigger(u"openCommand"_s);
        QCOMPARE(w.cells(u"2,1= 3,1="_s), QStringList({u"2,1=9984"_s, u"3,1="_s}));
        QCOMPARE(picture->hasPicture(), kept);
        QCOMPARE(caption->name().isEmpty(), !kept);
    }

    // Esc and Ctrl+W close a chart window; other keys leave it open.
    void chartWindowsCloseOnKeys_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Esc, the Dow")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(Qt::Key_Escape) << true;
        QTest::newRow("Ctrl+W, the Dow")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(u"Ctrl+W"_s) << true;
        QTest::newRow("Esc, dollar-yen")
            << u"dollarYenCommand"_s << u"dollarYenChart"_s << QKeySequence(Qt::Key_Escape) << true;
        QTest::newRow("Ctrl+W, Nikkei 6 months")
            << u"nikkeiHalfYearCommand"_s << u"nikkeiHalfYearChart"_s << QKeySequence(u"Ctrl+W"_s) << true;
        QTest::newRow("Ctrl+W, ratio")
            << u"advanceDeclineCommand"_s << u"advanceDeclineChart"_s << QKeySequence(u"Ctrl+W"_s) << true;
        QTest::newRow("W alone keeps it")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(u"W"_s) << false;
        QTest::newRow("Enter keeps it")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(Qt::Key_Return) << false;
    }
    void chartWindowsCloseOnKeys()
    {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QFETCH(QKeySequence, keys);
        QFETCH(bool, closes);
        Window w;
        w.make();
        w.trigger(command);
        QPointer<QWidget> chart;
        QTRY_VERIFY((chart = w.form->findChild<QWidget*>(window)) && chart->isVisible());
        w.drain();
        QTest::keySequence(chart, keys);
        if (closes)
            QTRY_VERIFY(chart.isNull());
        else
            QVERIFY(chart && chart->isVisible());
    }

    // Help, the index chart and the thumbnails as a user meets them.

    // "ヘルプ" opens the program's own help window, with no browser; closing it leaves the cycle stopped.
    void helpOpensInItsOwnWindow()
    {
        Window w;
        serveOldPages(w);
        HelpWindowViewer viewer;
        Services services = w.fakes.services();
        services.help = &viewer;
        w.make(services);
        writeFile(w.fakes.config.dataFile(u"Auot.html"_s),
                  "<html><head><meta charset=\"utf-8\"></head><body><h1>Tickora ヘルプ</h1></body></html>");
        QVERIFY(start(w, u"1,1=7203"_s));
        QVERIFY(!w.stopped());
        w.trigger(u"helpCommand"_s);
        QTextBrowser* help = viewer.window();
        QVERIFY(help && help->isVisible() && help->objectName() == u"helpWindow"_s);
        QCOMPARE(help->toPlainText(), u"Tickora ヘルプ"_s);
        QVERIFY(w.stopped());
        help->close();
        QTRY_VERIFY(!viewer.window());
        w.drain();
        QVERIFY(w.stopped());
    }

    // Drawn: the index chart beside the grid tells the Nikkei line's price and change as the line
    // shows them after the refresh, even when the day's series cannot be had.
    void drawnIndexChartTakesTheRefreshedLine()
    {
        Window w;
        w.fakes.config.charts = ChartSource::Drawn;
        serveOldPages(w);
        QVERIFY(start(w, u"1,1=7203"_s));
        w.drain();
        QVERIFY(w.label(u"nikkeiLine"_s)->text().startsWith(u"日経平均 12,283.62 (+193.16)"_s));
        PriceSeries day;
        day.symbol = u"^N225"_s;
        day.gmtOffset = TokyoGmtOffset;
        day.previousClose = 12283.62 - 193.16;
        const double value = 12283.62;
        day.bars.append({w.fakes.clock.now().toSecsSinceEpoch(), value, value, value, value, 0});
        ChartOptions o = intradayChartOptions(u"日経平均"_s);
        const DrawnChart expected = drawIntradayChart(day, drawnsize::IndexChart, o);
        QCOMPARE(expected.lastText, u"12,283.62 +193.16 (+1.60%)"_s);
        o.devicePixelRatio = w.form->devicePixelRatioF();
        QCOMPARE(w.child<PictureBox>(u"indexChart"_s)->picture(),
                 drawIntradayChart(day, drawnsize::IndexChart, o).image);
        QCOMPARE(QtPictures().load(w.fakes.config.dataFile(u"rel.jpg"_s)), expected.image);
    }

    // Drawn thumbnails, empty or filled, all have one size, border included.
    void drawnThumbnailsShareOneSize()
    {
        for (const int height : {1080, 800}) {
            Window w;
            w.fakes.config.charts = ChartSource::Drawn;
            w.fakes.screen.size = QSize(1280, height);
            serveOldPages(w);
            QVERIFY(start(w, u"1,1=7203 2,1=6758"_s));
            w.drain();
            const QSize drawn = height > 800 ? drawnsize::LargeThumbnail : drawnsize::SmallThumbnail;
            QStringList sizes;
            for (int k = 0; k < 12; ++k) {
                const PictureBox* thumb = w.child<PictureBox>(u"thumbnail%1"_s.arg(k));
                QCOMPARE(thumb->hasPicture(), k < 2);
                sizes << u"%1x%2"_s.arg(thumb->width()).arg(thumb->height());
            }
            QCOMPARE(sizes, QStringList(12, u"%1x%2"_s.arg(drawn.width() + 2).arg(drawn.height() + 2)));
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
