#include "platform/savefile.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

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
        QString error;
        bool ok = true;
        {
            FileSizeLimit limit(200);
            ok = saveFileAtomically(path, QByteArray(size, 'x'), &error);
        }
        QVERIFY(!ok);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(path), QByteArray("old"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"target.bin"_s});
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
