// Reading the fault modes the market is told to answer with, alone and as a mix.

#include "faultmode.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;

class TestFaultMode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each mode read back in its own words; an empty text is no fault; others are refused.
    void readsEachMode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written"); ///< toString() of what was read; empty: refused
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("retryAfter");
        QTest::addColumn<int>("megabytes");
        QTest::newRow("none") << u"none"_s << u"none"_s << 0 << -1 << 0;
        QTest::newRow("empty") << QString() << u"none"_s << 0 << -1 << 0;
        QTest::newRow("lowest status") << u"status:200"_s << u"status:200"_s << 200 << -1 << 0;
        QTest::newRow("highest status") << u"status:599"_s << u"status:599"_s << 599 << -1 << 0;
        QTest::newRow("status with Retry-After")
            << u"status:429:30"_s << u"status:429:30"_s << 429 << 30 << 0;
        QTest::newRow("Retry-After of zero") << u"status:503:0"_s << u"status:503:0"_s << 503 << 0 << 0;
        QTest::newRow("Retry-After of a day")
            << u"status:503:86400"_s << u"status:503:86400"_s << 503 << 86400 << 0;
        QTest::newRow("hang") << u"hang"_s << u"hang"_s << 0 << -1 << 0;
        QTest::newRow("reset, in capitals and spaces") << u"  RESET "_s << u"reset"_s << 0 << -1 << 0;
        QTest::newRow("garbage") << u"garbage"_s << u"garbage"_s << 0 << -1 << 0;
        QTest::newRow("smallest huge") << u"huge:1"_s << u"huge:1"_s << 0 << -1 << 1;
        QTest::newRow("largest huge") << u"huge:4096"_s << u"huge:4096"_s << 0 << -1 << 4096;
        QTest::newRow("drip") << u"drip"_s << u"drip"_s << 0 << -1 << 0;
        // Refused: nothing written.
        QTest::newRow("status below 200") << u"status:199"_s << QString() << 0 << -1 << 0;
        QTest::newRow("status above 599") << u"status:600"_s << QString() << 0 << -1 << 0;
        QTest::newRow("status without a number") << u"status:"_s << QString() << 0 << -1 << 0;
        QTest::newRow("status of letters") << u"status:abc"_s << QString() << 0 << -1 << 0;
        QTest::newRow("negative Retry-After") << u"status:503:-1"_s << QString() << 0 << -1 << 0;
        QTest::newRow("Retry-After over a day") << u"status:429:86401"_s << QString() << 0 << -1 << 0;
        QTest::newRow("Retry-After of letters") << u"status:429:soon"_s << QString() << 0 << -1 << 0;
        QTest::newRow("a fourth part") << u"status:503:5:5"_s << QString() << 0 << -1 << 0;
        QTest::newRow("huge of nothing") << u"huge:0"_s << QString() << 0 << -1 << 0;
        QTest::newRow("huge over 4 GB") << u"huge:4097"_s << QString() << 0 << -1 << 0;
        QTest::newRow("huge without size") << u"huge"_s << QString() << 0 << -1 << 0;
        QTest::newRow("unknown word") << u"slow"_s << QString() << 0 << -1 << 0;
    }
    void readsEachMode()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QFETCH(int, status);
        QFETCH(int, retryAfter);
        QFETCH(int, megabytes);
        const auto mode = FaultMode::parse(text);
        QCOMPARE(bool(mode), !written.isEmpty());
        if (!mode)
            return;
        QCOMPARE(mode->toString(), written);
        QCOMPARE(mode->status, status);
        QCOMPARE(mode->retryAfter, retryAfter);
        QCOMPARE(mode->megabytes, megabytes);
        QCOMPARE(FaultMode::parse(written), mode); // what it writes reads back the same
    }

    void readsMixes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QStringList>("modes");
        QTest::newRow("the default mix")
            << u"status:500,status:503,status:404,status:304,reset,garbage"_s << true
            << QStringList{u"status:500"_s, u"status:503"_s, u"status:404"_s,
                           u"status:304"_s, u"reset"_s,      u"garbage"_s};
        QTest::newRow("empty parts skipped") << u"hang,,drip,"_s << true << QStringList{u"hang"_s, u"drip"_s};
        QTest::newRow("empty") << QString() << true << QStringList{};
        QTest::newRow("none is no fault to draw") << u"reset,none"_s << false << QStringList{};
        QTest::newRow("one unreadable mode") << u"reset,status:999"_s << false << QStringList{};
    }
    void readsMixes()
    {
        QFETCH(QString, text);
        QFETCH(bool, read);
        QFETCH(QStringList, modes);
        const auto mix = parseFaultMix(text);
        QCOMPARE(bool(mix), read);
        QStringList written;
        for (const FaultMode& m : mix.value_or(QList<FaultMode>()))
            written << m.toString();
        QCOMPARE(written, modes);
    }
};

QTEST_GUILESS_MAIN(TestFaultMode)
#include "tst_faultmode.moc"
