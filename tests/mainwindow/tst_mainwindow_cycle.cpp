// The main window on fakes: the refresh cycle, its stops, holds, quiet periods and simulated market.
#include "windowpages.h"

#include <QPointer>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimeZone>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestMainWindowCycle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every stopping command stops a tick waiting for the network for good, and the start queued behind.
    void stopHolds_data()
    {
        QTest::addColumn<QString>("command"); ///< an action's name, or "click" for a click on the grid
        QTest::addColumn<QString>("chart");   ///< the path of the chart the command asks for, if any
        QTest::addColumn<bool>("emptiesGrid");
        QTest::addColumn<bool>("opensHelp");
        QTest::addColumn<QString>("nikkeiLine"); ///< the line's title after the command; empty: unchanged
        QTest::newRow("stop") << u"stopRealTimeCommand"_s << QString() << false << false << QString();
        QTest::newRow("click on the grid") << u"click"_s << QString() << false << false << QString();
        QTest::newRow("help") << u"helpCommand"_s << QString() << false << true << QString();
        QTest::newRow("settings") << u"settingsCommand"_s << QString() << true << false << QString();
        QTest::newRow("advance/decline ratio")
            << u"advanceDeclineCommand"_s << u"/Pics/Stock/Day/K001881.GIF"_s << false << false << QString();
        QTest::newRow("Nikkei 6 months")
            << u"nikkeiHalfYearCommand"_s << u"/z"_s << false << false << QString();
        QTest::newRow("NY and Nikkei")
            << u"nyNikkeiCommand"_s << u"/chart/nka_l.gif"_s << false << false << u"ＮＹ日経比較"_s;
        QTest::newRow("the Dow") << u"dowCommand"_s << u"/rakutensecj/common/analytic.jsp"_s << false << false
                                 << QString();
    }
    void stopHolds()
    {
        QFETCH(QString, command);
        QFETCH(QString, chart);
        QFETCH(bool, emptiesGrid);
        QFETCH(bool, opensHelp);
        QFETCH(QString, nikkeiLine);
        Window w;
        w.fakes.http.setHolding(true);
        w.make();
        w.put(Cells{{1, 1, u"7203"_s}, {2, 1, u"6758"_s}, {4, 1, u"9984"_s}});
        w.tick();
        QCOMPARE(w.fakes.http.requests.size(), 6);
        w.trigger(u"startRealTimeCommand"_s);
        const qsizetype before = w.fakes.http.requests.size();
        const QString lineBefore = w.label(u"nikkeiLine"_s)->text();
        command == u"click"_s ? Q_EMIT w.grid()->clicked() : w.trigger(command);
        const auto& asked = w.fakes.http.requests; // a chart command asks for its chart
        QCOMPARE(asked.size() > before ? asked[before].url.path() : QString(), chart);
        QVERIFY(w.stopped());
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), nikkeiLine.isEmpty() ? lineBefore : nikkeiLine);
        w.drain();
        QVERIFY(w.stopped());
        if (!emptiesGrid)
            QCOMPARE(w.read(Cells{{3, 1, {}}, {4, 1, {}}}),
                     (Cells{{3, 1, {}}, {4, 1, u"9984"_s}})); // not packed
        QCOMPARE(w.fakes.help.opened.size(), opensHelp ? 1 : 0);
    }

    // A start packs and fills the rows; muted, it chimes no more; a failed page ends the pass.
    void startFillsTheWindow()
    {
        Window w;
        serveOldPages(w);
        w.fakes.http.serve(u"/f?s=7203"_s, chartPng(QSize(200, 100), Qt::blue), 200, "image/png");
        const Cells watched = {{1, 1, u"7203"_s},  {1, 11, u"5400"_s}, {3, 1, u"6758"_s}, {3, 12, u"10:00"_s},
                               {4, 2, u"stray"_s}, {5, 1, u"9999"_s},  {5, 12, u"9:00"_s}};
        QVERIFY(start(w, watched));
        w.drain();
        QCOMPARE(w.child<PictureBox>(u"thumbnail0"_s)->size(),
                 QSize(202, 102)); // a thumbnail takes its picture's size
        const Cells packed = {{1, 3, u"5,430"_s}, {2, 1, u"6758"_s}, {2, 4, u"-3"_s}, {3, 1, u"9999"_s},
                              {3, 12, u"9:00"_s}, {4, 1, {}},        {5, 1, {}},      {5, 12, {}}};
        QCOMPARE(w.read(packed), packed);
        QCOMPARE(w.state(), (WindowState{{2, 1}, u"2"_s, u"6758"_s, 1, 0, false})); // the box shows the cell
        QCOMPARE(w.fakes.sound.played, QStringList{w.fakes.config.dataFile(u"chimes.wav"_s)});
        QCOMPARE(w.label(u"nikkeiLine"_s)->text() + u'|' + w.fakes.dialogs.shown[0].text, // 9999 has no page
                 u"日経平均 12,283.62 (+193.16) |URL読み込みに失敗しました"_s);

        w.child<QCheckBox>(u"muteBox"_s)->setChecked(true);
        QVERIFY(start(w, Cells{{2, 1, u"1111"_s}, {3, 1, u"7203"_s}, {3, 3, u"old"_s}}));
        QCOMPARE(w.fakes.sound.played.size(), 1);
        QCOMPARE(w.state(), (WindowState{{1, 1}, u"1"_s, u"7203"_s, 2, 0, false}));
        QCOMPARE(w.read(Cells{{3, 3, {}}}), (Cells{{3, 3, u"old"_s}}));
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
        w.put(Cells{{1, 1, u"7203"_s}, {1, 3, u"5,000"_s}, {2, 1, u"6758"_s}});
        w.label(u"nikkeiLine"_s)->setText(u"日経平均 1"_s);
        w.trigger(u"startRealTimeCommand"_s);
        w.drain();
        QCOMPARE(w.read(Cells{{1, 3, {}}, {2, 1, {}}}), (Cells{{1, 3, u"5,000"_s}, {2, 1, u"6758"_s}}));
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

    // The questions come by Japan time and the exchange's calendar, the date shown by the computer's
    // own, with the computer in New York.
    void questionsInJapanTime_data()
    {
        QTest::addColumn<QDateTime>("japan"); ///< the moment in Japan
        QTest::addColumn<QString>("question");
        QTest::newRow("the close's minute")
            << QDateTime(QDate(2026, 12, 8), QTime(15, 30, 59), japanZone()) << QString();
        QTest::newRow("a minute after the close")
            << QDateTime(QDate(2026, 12, 8), QTime(15, 31, 0), japanZone()) << QString();
        QTest::newRow("past the close") << QDateTime(QDate(2026, 12, 8), QTime(15, 31, 1), japanZone())
                                        << u"15:30 を過ぎました停止しますか？"_s;
        QTest::newRow("a closed day")
            << QDateTime(QDate(2027, 1, 1), QTime(10, 0), japanZone()) << u"本日は休場日です停止しますか？"_s;
    }
    void questionsInJapanTime()
    {
        QFETCH(QDateTime, japan);
        QFETCH(QString, question);
        const QTimeZone newYork("America/New_York");
        QVERIFY(newYork.isValid());
        Window w;
        serveOldPages(w);
        const QDateTime local = japan.toTimeZone(newYork);
        w.fakes.clock.zone = newYork;
        w.fakes.clock.date = local.date();
        w.fakes.clock.time = local.time();
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}}));
        QVERIFY(w.fakes.dialogs.shown.isEmpty()); // a start asks nothing
        w.tick();
        w.drain();
        QCOMPARE(w.fakes.dialogs.shown.isEmpty() ? QString() : w.fakes.dialogs.shown[0].text, question);
        QVERIFY(question.isEmpty() || w.fakes.dialogs.shown[0].title == u"継続確認"_s);
        QCOMPARE(w.stopped(), !question.isEmpty()); // answered Yes
        QCOMPARE(w.label(u"dateLabel"_s)->text(), local.date().toString(u"yyyy/MM/dd "_s));
    }

    // Through the lunch break and after the close, a tick asks once and then nothing until the
    // session opens; the status line says why. A closed day asks once too.
    void quietPeriodsSendNothing()
    {
        Window w;
        serveOldPages(w);
        w.fakes.dialogs.answers = QList<bool>(1000, false);
        w.fakes.clock.date = QDate(2026, 12, 8);
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}, {2, 1, u"6758"_s}}));
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
    void simulatedMarket_data()
    {
        QTest::addColumn<bool>("simulated");   ///< the pages say their quotes are simulated
        QTest::addColumn<bool>("tellsMoment"); ///< and tell the simulated market's moment
        QTest::newRow("not simulated") << false << false;
        QTest::newRow("simulated") << true << false;
        QTest::newRow("simulated with its moment") << true << true;
    }
    void simulatedMarket()
    {
        QFETCH(bool, simulated);
        QFETCH(bool, tellsMoment);
        Window w;
        bool down = false; // the quote service gives no answer at all
        w.fakes.http.setHandler([&](const HttpRequest& request) {
            HttpResponse r{200, quotePage(u"detail_7203_realtime_up.html"_s), "text/html", {}, {}};
            if (request.url.path() == u"/nkave"_s)
                return HttpResponse{200, NikkeiPage.toUtf8(), "text/html", {}, {}};
            if (down)
                return HttpResponse{0, {}, {}, {}, u"refused"_s};
            if (simulated)
                r.headers = {{"X-Tickora-Simulated", "1"}};
            if (tellsMoment)
                r.headers.append(qMakePair(QByteArray("X-Tickora-Simulated-Time"),
                                           QByteArray("2026-12-08T10:15:00+09:00")));
            return r;
        });
        w.fakes.dialogs.answers = {false, false, false};
        w.fakes.clock.date = QDate(2026, 12, 13);
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}, {2, 1, u"7203"_s}})); // two pages say so: one mark
        const qsizetype perRefresh = w.fakes.http.requests.size();
        QCOMPARE(w.form->windowTitle(), simulated ? u"Tickora（模擬相場）"_s : u"Tickora"_s);
        QStatusBar* line = w.child<QStatusBar>(u"statusLine"_s);
        const auto marks = line->findChildren<QLabel*>(u"simulatedMark"_s);
        QLabel* mark = marks.value(0);
        QCOMPARE(marks.size() == 1 && mark->isVisibleTo(w.form.get()) ? mark->text() : QString(),
                 simulated ? u"模擬相場"_s : QString());
        // Red, bold, apart from the status text, and said in words to whoever points at it.
        QVERIFY(!mark || (mark->palette().color(QPalette::WindowText) == QColor(Qt::red) &&
                          mark->font().bold() && mark->contentsMargins() == QMargins(8, 0, 8, 0) &&
                          mark->toolTip() == u"模擬相場の値です。実際の株価ではありません。"_s));
        QVERIFY(!line->isSizeGripEnabled());
        if (mark) { // kept at the line's right end, also while a message is shown
            w.form->show();
            line->showMessage(u"x"_s);
            QVERIFY(QTest::qWaitFor(
                [&] { return mark->isVisible() && mark->geometry().right() > line->width() - 20; }));
        }
        for (int i = 0; i < 3; ++i) {
            down = i == 1;
            w.tick();
            w.drain();
        }
        QCOMPARE(int(std::ranges::count_if(w.fakes.dialogs.shown, &FakeDialogs::Shown::isQuestion)),
                 tellsMoment ? 0 : 3);
        QCOMPARE(w.fakes.http.requests.size(),
                 tellsMoment ? 4 * perRefresh : perRefresh); // else only the start
    }

    void stopDuringPassLeavesTheUsersCell()
    {
        Window w;
        w.fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
        w.fakes.http.setHolding(true);
        w.make();
        QVERIFY(w.showActive());
        w.put(Cells{{1, 1, u"7203"_s}, {2, 1, u"7203"_s}});
        w.trigger(u"startRealTimeCommand"_s);
        QTest::mouseClick(w.grid()->viewport(), Qt::LeftButton, {}, w.cellCenter(2, grid::Price));
        w.drain();
        QCOMPARE(w.read(Cells{{1, 3, {}}}), (Cells{{1, 3, u"5,430"_s}})); // quotes still written
        // The box shows the cell's new quote, written after row 1's; the later steps never ran.
        QCOMPARE(w.state(), (WindowState{{2, 3}, u"2"_s, u"5,430"_s, 0, 0, true}));
    }
};

QTEST_MAIN(TestMainWindowCycle)
#include "tst_mainwindow_cycle.moc"
