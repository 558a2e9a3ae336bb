#include "platform/savefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {
QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestSaveFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A write that stops part-way (here a file size limit, as a full disk would) must not
    // replace the old file with the short new one, whether the bytes were buffered or not.
    void writeStoppingPartWayKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("small, buffered") << 1000;
        QTest::newRow("large, written through") << 100000;
    }
    void writeStoppingPartWayKeepsTheOldFile()
    {
        QFETCH(int, size);
        QTemporaryDir tmp;
        const QString path = tmp.filePath(u"target.bin"_s);
        QVERIFY(saveFileAtomically(path, "old"));

        struct rlimit saved
        {
        };
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 200;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool ok = saveFileAtomically(path, QByteArray(size, 'x'), &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!ok);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(path), QByteArray("old"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"target.bin"_s});
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
