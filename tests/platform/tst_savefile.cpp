// Whole-or-nothing file saves: a save cut short or refused leaves the old file and no temporary one.
#include "platform/savefile.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

using SaveFunction = bool (*)(const QString&, const QByteArray&, QString*);

/// The two saves: synced to disk, or only renamed into place.
SaveFunction saveOf(bool synced)
{
    return synced ? &saveFileAtomically : &replaceFileUnsynced;
}

} // namespace

class TestSaveFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A write cut short, buffered or not, leaves the old file and no temporary one.
    void cutShort_data()
    {
        QTest::addColumn<bool>("synced");
        QTest::addColumn<int>("size");
        QTest::newRow("synced, small") << true << 1000;
        QTest::newRow("synced, past the buffer") << true << 100000;
        QTest::newRow("unsynced, small") << false << 1000;
        QTest::newRow("unsynced, past the buffer") << false << 100000;
    }
    void cutShort()
    {
        QFETCH(bool, synced);
        QFETCH(int, size);
        const SaveFunction save = saveOf(synced);
        QTemporaryDir saved;
        const QString path = saved.filePath(u"target.bin"_s);
        QVERIFY(save(path, "old", nullptr));
        QString error;
        {
            FileSizeLimit limit(200);
            QVERIFY(!save(path, QByteArray(size, 'x'), &error));
        }
        QVERIFY(!error.isEmpty() && readFile(path) == "old");
        QCOMPARE(QDir(saved.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"target.bin"_s});
        QVERIFY(save(path, "new", nullptr) && readFile(path) == "new");
    }

    // A missing folder, or a folder in the file's place (the temporary file is made, only the
    // rename fails): refused with a reason, and nothing left behind.
    void refused_data()
    {
        QTest::addColumn<bool>("synced");
        QTest::addColumn<QString>("name");
        QTest::newRow("synced, missing folder") << true << u"missing/x.bin"_s;
        QTest::newRow("synced, folder in place") << true << u"folder"_s;
        QTest::newRow("unsynced, missing folder") << false << u"missing/x.bin"_s;
        QTest::newRow("unsynced, folder in place") << false << u"folder"_s;
    }
    void refused()
    {
        QFETCH(bool, synced);
        QFETCH(QString, name);
        QTemporaryDir saved;
        QVERIFY(writeFile(saved.filePath(u"target.bin"_s), "old"));
        QVERIFY(QDir(saved.path()).mkpath(u"folder"_s));
        QString error;
        QVERIFY(!saveOf(synced)(saved.filePath(name), "x", &error) && !error.isEmpty());
        QCOMPARE(QDir(saved.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"target.bin"_s});
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
