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
    void runs()
    {
        const QDateTime day = at(QTime(10, 0));
        const QString steps = u"prefetch|timer|quotes|thumbs|timer|index|nikkei|ended"_s;
        const QString stopped = u"|timer off|stopped|ended"_s;
        const auto quietSteps = [&](const QString& why) -> QString { // told before the steps and after them
            return u"quiet "_s + why + u'|' +
                   QString(steps).replace(u"|ended"_s, u"|quiet "_s + why + u"|ended"_s);
        };
        for (const auto& [isStart, now, event, log] :
             {std::tuple{false, at(QTime(9, 0, 0, 999)), QString(), QString(u"close|running|"_s + steps)},
              {false, at(QTime(8, 59, 59, 999)), QString(),
               u"close|running|ask "_s + Early + u'|' + quietSteps(u"取引開始前です（9:00 から）"_s)},
              {false, at(QTime(15, 31, 1)), u"answer"_s, u"close|running|ask "_s + Late + stopped},
              {false, at(QTime(15, 31, 0, 999)), QString(), u"close|running|"_s + steps},
              {false, at(QTime(12, 0), QDate(2027, 1, 1)), QString(),
               u"close|running|ask "_s + Closed + u'|' + quietSteps(u"本日は休場日です"_s)},
              {false, at(QTime(7, 0)), u"asking"_s, u"close|running|ask "_s + Early + stopped},
              {false, day, u"quotes"_s, u"close|running|prefetch|timer|quotes"_s + stopped},
              {true, day, u"thumbs"_s, u"timer|pack|running|prefetch|timer|quotes|layout|thumbs"_s + stopped},
              {false, at(QTime(15, 30, 59, 400)), u"index"_s,
               u"close|running|prefetch|timer|quotes|thumbs|timer|index"_s + stopped},
              {false, day, u"box"_s, QString()},
              {true, day, u"empty"_s, QString()}}) {
            StepHost host;
            host.now = now;
            host.answerStop = event == u"answer"_s;
            host.boxes = event == u"box"_s;
            host.emptyFirstRow = event == u"empty"_s;
            RefreshCycle cycle(host);
            const quint64 stops = cycle.stopCount();
            if (event == u"asking"_s)
                host.whileAsking = [&] { cycle.stop(); };
            isStart ? cycle.start() : cycle.tick();
            while (host.pending) {
                QVERIFY(cycle.busy());
                if (host.log.last() == event)
                    cycle.stop(); // the step in progress still ends
                host.finishStep();
            }
            QCOMPARE(host.log.join(u'|'), log);
            QCOMPARE(cycle.stoppedSince(stops), log.contains(u"stopped"_s));
            QVERIFY(!cycle.busy());
        }
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
        QCOMPARE(
            host.log.join(u'|'),
            u"close|running|quiet 昼休み中|prefetch|timer|quotes|thumbs|timer|index|nikkei|quiet 昼休み中|ended"_s);
        QVERIFY(!run(false, at(QTime(11, 45, 30))));
        QCOMPARE(host.log.join(u'|'), u"close|running|quiet 昼休み中|ended"_s);
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
        QTest::newRow("early morning") << at(QTime(7, 30)) << before;
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
    void queuedStart()
    {
        for (const auto& [stopMeanwhile, boxOpenAtTheEnd] :
             {std::pair{false, false}, {true, false}, {false, true}}) {
            StepHost host;
            RefreshCycle cycle(host);
            cycle.tick();
            cycle.start();
            cycle.tick();
            QCOMPARE(host.log.join(u'|'), u"close|running|prefetch|timer|quotes"_s);
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
    }
};

QTEST_GUILESS_MAIN(TestRefreshCycle)
#include "tst_refreshcycle.moc"
