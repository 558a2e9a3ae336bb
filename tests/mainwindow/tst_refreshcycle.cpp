// The refresh cycle against a host that records each step and holds it until the test ends it.
#include "mainwindow/refreshcycle.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

class StepHost : public RefreshCycleHost
{
public:
    QStringList log;
    Then pending; ///< the step in progress, ended by finishStep
    bool emptyFirstRow = false;
    int boxes = 0;
    QTime now = QTime(10, 0);
    bool answerStop = false;
    std::function<void()> whileAsking;

    void finishStep() { std::exchange(pending, {})(); }
    void finishAll()
    {
        while (pending)
            finishStep();
    }

    bool firstRowEmpty() const override { return emptyFirstRow; }
    int openBoxes() const override { return boxes; }
    QTime timeOfDay() const override { return now; }
    bool askToStop(const QString& text) override
    {
        log << u"ask "_s + text;
        if (whileAsking)
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
    void tradingHoursInWholeSeconds_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("question");
        const QString early = u"9:00 からスタートです停止しますか？"_s;
        const QString late = u"15:00 を過ぎました停止しますか？"_s;
        QTest::newRow("just before the open") << QTime(8, 59, 59, 999) << early;
        QTest::newRow("within the open's second") << QTime(9, 0, 0, 999) << QString();
        QTest::newRow("within the close's second") << QTime(15, 1, 0, 400) << QString();
        QTest::newRow("after the close") << QTime(15, 1, 1) << late;
    }
    void tradingHoursInWholeSeconds()
    {
        QFETCH(QTime, now);
        QFETCH(QString, question);
        QCOMPARE(tradingHoursQuestion(now), question);
    }

    void stepsRunInOrder_data()
    {
        QTest::addColumn<bool>("isStart");
        QTest::addColumn<QString>("expected");
        QTest::newRow("start")
            << true << u"timer pack running prefetch timer quotes layout thumbs timer index nikkei ended"_s;
        QTest::newRow("tick") << false
                              << u"close running prefetch timer quotes thumbs timer index nikkei ended"_s;
    }
    void stepsRunInOrder()
    {
        QFETCH(bool, isStart);
        QFETCH(QString, expected);
        StepHost host;
        RefreshCycle cycle(host);
        isStart ? cycle.start() : cycle.tick();
        QVERIFY(cycle.busy());
        host.finishAll();
        QCOMPARE(host.log.join(u' '), expected);
        QVERIFY(!cycle.busy());
    }

    void startWithEmptyFirstRowDoesNothing()
    {
        StepHost host;
        host.emptyFirstRow = true;
        RefreshCycle cycle(host);
        cycle.start();
        QVERIFY(host.log.isEmpty());
        QVERIFY(!cycle.busy());
    }

    // A stop during any step lets that step end and runs no later one.
    void stopHolds_data()
    {
        QTest::addColumn<int>("stepsDone");
        QTest::addColumn<QString>("lastStep");
        QTest::newRow("during quotes") << 0 << u"quotes"_s;
        QTest::newRow("during thumbs") << 1 << u"thumbs"_s;
        QTest::newRow("during index chart") << 2 << u"index"_s;
    }
    void stopHolds()
    {
        QFETCH(int, stepsDone);
        QFETCH(QString, lastStep);
        StepHost host;
        RefreshCycle cycle(host);
        cycle.tick();
        for (int i = 0; i < stepsDone; ++i)
            host.finishStep();
        const quint64 before = cycle.stopCount();
        cycle.stop();
        QVERIFY(cycle.stoppedSince(before));
        host.finishStep();
        QVERIFY(!host.pending);
        QVERIFY(!cycle.busy());
        QCOMPARE(host.log.mid(host.log.size() - 4),
                 QStringList({lastStep, u"timer off"_s, u"stopped"_s, u"ended"_s}));
    }

    void questionAnsweredStopEndsTheTick()
    {
        StepHost host;
        host.now = QTime(16, 0);
        host.answerStop = true;
        RefreshCycle cycle(host);
        cycle.tick();
        QCOMPARE(host.log.join(u'|'),
                 u"close|running|ask 15:00 を過ぎました停止しますか？|timer off|stopped|ended"_s);
        QVERIFY(!cycle.busy());
    }

    void stopWhileTheQuestionIsOpenHolds()
    {
        StepHost host;
        host.now = QTime(7, 0);
        RefreshCycle cycle(host);
        host.whileAsking = [&] { cycle.stop(); };
        cycle.tick();
        QVERIFY(!host.log.contains(u"quotes"_s));
        QVERIFY(!cycle.busy());
    }

    void ticksAreDropped_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("boxes");
        QTest::newRow("while a tick works") << true << 0;
        QTest::newRow("while a box is open") << false << 1;
    }
    void ticksAreDropped()
    {
        QFETCH(bool, busy);
        QFETCH(int, boxes);
        StepHost host;
        RefreshCycle cycle(host);
        if (busy)
            cycle.tick();
        host.boxes = boxes;
        const qsizetype logged = host.log.size();
        cycle.tick();
        QCOMPARE(host.log.size(), logged);
    }

    void queuedStart_data()
    {
        QTest::addColumn<bool>("stopMeanwhile");
        QTest::addColumn<bool>("boxOpenAtTheEnd");
        QTest::newRow("runs after the work") << false << false;
        QTest::newRow("cancelled by a stop") << true << false;
        QTest::newRow("waits for the box") << false << true;
    }
    void queuedStart()
    {
        QFETCH(bool, stopMeanwhile);
        QFETCH(bool, boxOpenAtTheEnd);
        StepHost host;
        RefreshCycle cycle(host);
        cycle.tick();
        cycle.start();
        QVERIFY(!host.log.contains(u"pack"_s)); // queued, not run beside the tick
        if (stopMeanwhile)
            cycle.stop();
        host.boxes = boxOpenAtTheEnd ? 1 : 0;
        host.finishAll();
        QCOMPARE(host.log.contains(u"pack"_s), !stopMeanwhile && !boxOpenAtTheEnd);
        if (boxOpenAtTheEnd) {
            host.boxes = 0;
            cycle.runPendingStart();
            QVERIFY(host.log.contains(u"pack"_s));
            QVERIFY(cycle.busy());
        }
    }
};

QTEST_GUILESS_MAIN(TestRefreshCycle)
#include "tst_refreshcycle.moc"
