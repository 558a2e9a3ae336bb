// The refresh cycle against a host that records each step and holds it until the test ends it.
#include "watch/refreshcycle.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

const QString Early = u"9:00 からスタートです停止しますか？"_s;
const QString Late = u"15:30 を過ぎました停止しますか？"_s;
const QString Closed = u"本日は休場日です停止しますか？"_s;
const QDate Tuesday(2026, 12, 8);

/// A Japan-time moment of a trading day.
QDateTime at(QTime time, QDate day = Tuesday)
{
    return QDateTime(day, time, japanZone());
}

class StepHost : public RefreshCycleHost
{
public:
    QStringList log;
    Then pending; ///< the step in progress, ended by finishStep
    bool emptyFirstRow = false;
    int boxes = 0;
    QDateTime now = at(QTime(10, 0));
    bool answerStop = false;
    std::function<void()> whileAsking = [] {};

    void finishStep() { std::exchange(pending, {})(); }

    bool firstRowEmpty() const override { return emptyFirstRow; }
    int openBoxes() const override { return boxes; }
    QDateTime tradingMoment() const override { return now; }
    void showQuiet(const QString& text) override
    {
        if (!text.isEmpty())
            log << u"quiet "_s + text;
    }
    bool askToStop(const QString& text) override
    {
        log << u"ask "_s + text;
        whileAsking();
        return answerStop;
    }
    void startTimer() override { log << u"timer"_s; }
    void stopTimer() override { log << u"timer off"_s; }
    void showRunning(bool running) override { log << (running ? u"running"_s : u"stopped"_s); }
    void closeSecondaryWindows() override { log << u"close"_s; }
    void packRows() override { log << u"pack"_s; }
    void prefetchRefresh() override { log << u"prefetch"_s; }
    void refreshQuotes(Then then) override { step(u"quotes"_s, std::move(then)); }
    void layOutThumbs() override { log << u"layout"_s; }
    void refreshThumbs(Then then) override { step(u"thumbs"_s, std::move(then)); }
    void refreshIndexChart(Then then) override { step(u"index"_s, std::move(then)); }
    void refreshNikkeiLine(Then then) override { step(u"nikkei"_s, std::move(then)); }
    void workEnded() override { log << u"ended"_s; }

private:
    void step(const QString& name, Then then)
    {
        QVERIFY(!pending); // steps never overlap
        log << name;
        pending = std::move(then);
    }
};

} // namespace

class TestRefreshCycle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every run of a start or a tick, with a stop, a box or no rows; times at trading hours' edges.
    // `event` names what happens: a step during which a stop comes, "answer" (the user answers to
    // stop), "asking" (a stop while the question is open), "box" (a box is open), "empty" (no rows).
    void runs_data()
    {
        QTest::addColumn<bool>("start");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QStringList>("log");
        const QDateTime day = at(QTime(10, 0));
        const QStringList steps{u"prefetch"_s, u"timer"_s, u"quotes"_s, u"thumbs"_s,
                                u"timer"_s,    u"index"_s, u"nikkei"_s, u"ended"_s};
        const QStringList stopped{u"timer off"_s, u"stopped"_s, u"ended"_s};
        const QStringList ticked{u"close"_s, u"running"_s};
        const auto quietSteps = [&](const QString& why) { // told before the steps and after them
            QStringList told = QStringList{u"quiet "_s + why} + steps;
            told.insert(told.size() - 1, u"quiet "_s + why);
            return told;
        };
        QTest::newRow("tick at the opening's last millisecond")
            << false << at(QTime(9, 0, 0, 999)) << QString() << ticked + steps;
        QTest::newRow("tick a moment before the opening")
            << false << at(QTime(8, 59, 59, 999)) << QString()
            << ticked + QStringList{u"ask "_s + Early} + quietSteps(u"取引開始前です（9:00 から）"_s);
        QTest::newRow("tick after 15:31, answered to stop")
            << false << at(QTime(15, 31, 1)) << u"answer"_s
            << ticked + QStringList{u"ask "_s + Late} + stopped;
        QTest::newRow("tick within 15:31:00")
            << false << at(QTime(15, 31, 0, 999)) << QString() << ticked + steps;
        QTest::newRow("tick on a holiday")
            << false << at(QTime(12, 0), QDate(2027, 1, 1)) << QString()
            << ticked + QStringList{u"ask "_s + Closed} + quietSteps(u"本日は休場日です"_s);
        QTest::newRow("tick at 7:00, stopped while asking")
            << false << at(QTime(7, 0)) << u"asking"_s << ticked + QStringList{u"ask "_s + Early} + stopped;
        QTest::newRow("tick stopped during the quotes")
            << false << day << u"quotes"_s
            << ticked + QStringList{u"prefetch"_s, u"timer"_s, u"quotes"_s} + stopped;
        QTest::newRow("start stopped during the thumbnails")
            << true << day << u"thumbs"_s
            << QStringList{u"timer"_s, u"pack"_s,   u"running"_s, u"prefetch"_s,
                           u"timer"_s, u"quotes"_s, u"layout"_s,  u"thumbs"_s} +
                   stopped;
        QTest::newRow("tick before the close stopped during the index chart")
            << false << at(QTime(15, 30, 59, 400)) << u"index"_s
            << ticked +
                   QStringList{u"prefetch"_s, u"timer"_s, u"quotes"_s, u"thumbs"_s, u"timer"_s, u"index"_s} +
                   stopped;
        QTest::newRow("tick while a box is open") << false << day << u"box"_s << QStringList();
        QTest::newRow("start with an empty first row") << true << day << u"empty"_s << QStringList();
    }
    void runs()
    {
        QFETCH(bool, start);
        QFETCH(QDateTime, moment);
        QFETCH(QString, event);
        QFETCH(QStringList, log);
        StepHost host;
        host.now = moment;
        host.answerStop = event == u"answer"_s;
        host.boxes = event == u"box"_s;
        host.emptyFirstRow = event == u"empty"_s;
        RefreshCycle cycle(host);
        const quint64 stops = cycle.stopCount();
        if (event == u"asking"_s)
            host.whileAsking = [&] { cycle.stop(); };
        start ? cycle.start() : cycle.tick();
        while (host.pending) {
            QVERIFY(cycle.busy());
            if (host.log.last() == event)
                cycle.stop(); // the step in progress still ends
            host.finishStep();
        }
        QCOMPARE(host.log, log);
        QCOMPARE(cycle.stoppedSince(stops), log.contains(u"stopped"_s));
        QVERIFY(!cycle.busy());
    }

    // In a quiet period only the first tick refreshes, and any start; the next period's first does again.
    void quietPeriods()
    {
        StepHost host;
        RefreshCycle cycle(host);
        const auto run = [&](bool start, QDateTime now) {
            host.now = now;
            host.log.clear();
            start ? cycle.start() : cycle.tick();
            while (host.pending)
                host.finishStep();
            return host.log.contains(u"quotes"_s);
        };
        QVERIFY(run(false, at(QTime(11, 44, 59))));
        QVERIFY(run(false, at(QTime(11, 45))));
        QCOMPARE(host.log, QStringList({u"close"_s, u"running"_s, u"quiet 昼休み中"_s, u"prefetch"_s,
                                        u"timer"_s, u"quotes"_s, u"thumbs"_s, u"timer"_s, u"index"_s,
                                        u"nikkei"_s, u"quiet 昼休み中"_s, u"ended"_s}));
        QVERIFY(!run(false, at(QTime(11, 45, 30))));
        QCOMPARE(host.log, QStringList({u"close"_s, u"running"_s, u"quiet 昼休み中"_s, u"ended"_s}));
        QVERIFY(run(true, at(QTime(12, 0))));
        QVERIFY(!run(false, at(QTime(12, 29, 59))));
        QVERIFY(run(false, at(QTime(12, 30))));
        QVERIFY(run(false, at(QTime(15, 45))));
        QVERIFY(!run(false, at(QTime(23, 0))));
        QVERIFY(!run(false, at(QTime(8, 59), Tuesday.addDays(1)))); // the same stretch, up to 9:00
        QVERIFY(run(false, at(QTime(9, 0), Tuesday.addDays(1))));
        QVERIFY(run(false, at(QTime(10, 0), QDate(2026, 12, 12)))); // a Saturday: once
        QVERIFY(!run(false, at(QTime(10, 0, 30), QDate(2026, 12, 12))));
        // The moment told by the answers counts once the refresh has ended.
        host.now = at(QTime(11, 40));
        cycle.start();
        host.now = at(QTime(11, 50));
        while (host.pending)
            host.finishStep();
        QCOMPARE(host.log.mid(host.log.size() - 2), QStringList({u"quiet 昼休み中"_s, u"ended"_s}));
    }

    // What the status line says at each moment: before the opening, at lunch, after the close, closed.
    void quietMessages_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("message");
        const QString before = u"取引開始前です（9:00 から）"_s, over = u"本日の取引は終了しました"_s;
        QTest::newRow("just after midnight") << at(QTime(0, 0, 1)) << before;
        QTest::newRow("a moment before 9:00") << at(QTime(8, 59, 59, 999)) << before;
        QTest::newRow("the opening") << at(QTime(9, 0)) << QString();
        QTest::newRow("lunch") << at(QTime(12, 0)) << u"昼休み中"_s;
        QTest::newRow("the afternoon's last quarter") << at(QTime(15, 44, 59)) << QString();
        QTest::newRow("after the close") << at(QTime(15, 45)) << over;
        QTest::newRow("late evening") << at(QTime(23, 59, 59)) << over;
        QTest::newRow("a Saturday morning") << at(QTime(8, 0), QDate(2026, 12, 12)) << u"本日は休場日です"_s;
        QTest::newRow("the morning after a holiday") << at(QTime(8, 0), QDate(2027, 1, 4)) << before;
    }
    void quietMessages()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QString, message);
        QCOMPARE(quietPeriodMessage(moment), message);
    }

    // A start during a tick (which drops a second tick) waits for it and any box, unless stopped.
    void queuedStart_data()
    {
        QTest::addColumn<bool>("stopMeanwhile");
        QTest::addColumn<bool>("boxOpenAtTheEnd");
        QTest::newRow("nothing in the way") << false << false;
        QTest::newRow("a stop meanwhile") << true << false;
        QTest::newRow("a box open at the tick's end") << false << true;
    }
    void queuedStart()
    {
        QFETCH(bool, stopMeanwhile);
        QFETCH(bool, boxOpenAtTheEnd);
        StepHost host;
        RefreshCycle cycle(host);
        cycle.tick();
        cycle.start();
        cycle.tick();
        QCOMPARE(host.log, QStringList({u"close"_s, u"running"_s, u"prefetch"_s, u"timer"_s, u"quotes"_s}));
        if (stopMeanwhile)
            cycle.stop();
        host.boxes = boxOpenAtTheEnd ? 1 : 0;
        while (host.pending)
            host.finishStep();
        QCOMPARE(host.log.contains(u"pack"_s), !stopMeanwhile && !boxOpenAtTheEnd);
        host.boxes = 0;
        cycle.runPendingStart();
        QCOMPARE(host.log.contains(u"pack"_s), !stopMeanwhile);
        QCOMPARE(cycle.busy(), boxOpenAtTheEnd); // else the queued start has run to its end too
        QCOMPARE(host.log.count(u"close"_s), 1);
    }
};

QTEST_GUILESS_MAIN(TestRefreshCycle)
#include "tst_refreshcycle.moc"
