// The bounded pool of workers that answers the market's requests.

#include "threadpool.h"

#include <QTest>

#include <atomic>
#include <latch>
#include <vector>

using namespace tickora::market;

class TestThreadPool : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One worker runs the jobs in the order they came; shutdown() runs those still queued first.
    void runsQueuedJobsInOrderBeforeEnding_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::newRow("one job") << 1;
        QTest::newRow("as many as the queue holds") << 4;
    }
    void runsQueuedJobsInOrderBeforeEnding()
    {
        QFETCH(int, jobs);
        std::vector<int> ran;
        std::latch started(1), release(1);
        BoundedThreadPool pool(1, 4);
        pool.enqueue([&] {
            started.count_down();
            release.wait();
        });
        started.wait(); // the worker is busy: what follows waits in the queue
        for (int i = 0; i < jobs; ++i)
            pool.enqueue([&ran, i] { ran.push_back(i); });
        QCOMPARE(pool.queued(), size_t(jobs));
        release.count_down();
        pool.shutdown();
        QCOMPARE(pool.queued(), size_t(0));
        std::vector<int> expected(jobs);
        for (int i = 0; i < jobs; ++i)
            expected[i] = i;
        QVERIFY(ran == expected);
    }

    // Many workers take jobs side by side: a job that waits for all the others does not block them.
    void workersRunSideBySide()
    {
        constexpr int Workers = 8;
        std::latch allRunning(Workers);
        std::atomic<int> done{0};
        {
            BoundedThreadPool pool(Workers, 16);
            for (int i = 0; i < Workers; ++i)
                pool.enqueue([&] {
                    allRunning.arrive_and_wait();
                    ++done;
                });
        } // the destructor ends the pool after the jobs
        QCOMPARE(done.load(), Workers);
    }
};

QTEST_GUILESS_MAIN(TestThreadPool)
#include "tst_threadpool.moc"
