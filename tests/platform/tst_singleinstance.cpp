// The lock file that lets one instance of the program run at a time.
#include "platform/singleinstance.h"
#include "support/files.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One holder at a time; the holder may claim again, and a lock in a missing folder is claimed.
    void oneHolderAtATime()
    {
        QTemporaryDir dir;
        auto first = std::make_unique<LockFileInstance>(dir.filePath(u"tickora.lock"_s));
        QVERIFY(first->claim() && first->claim()); // the holder may claim again
        LockFileInstance second(dir.filePath(u"tickora.lock"_s));
        QVERIFY(!second.claim());
        first.reset();
        QVERIFY(second.claim() && LockFileInstance(dir.filePath(u"missing/tickora.lock"_s)).claim());
    }

    // The lock lies in the runtime folder, else the data folder, never in shared temp.
    void lockLiesInAPrivateFolder()
    {
        QTemporaryDir dir;
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
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
