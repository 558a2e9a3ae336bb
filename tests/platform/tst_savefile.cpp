// Whole-or-nothing file saves: a save cut short or refused leaves the old file and no temporary one.
#include "platform/savefile.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

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
    // A write cut short (buffered or not), a missing folder, or a folder in the file's place (the
    // temporary file is made, only the rename fails): refused with a reason, the old file kept whole
    // and nothing left behind.
    void refused_data()
    {
        QTest::addColumn<bool>("synced");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size"); ///< bytes written; the disk takes 200 when saving to the old file
        for (const bool synced : {true, false}) {
            const char* kind = synced ? "synced" : "unsynced";
            QTest::addRow("%s, cut short, small", kind) << synced << u"target.bin"_s << 1000;
            QTest::addRow("%s, cut short past the buffer", kind) << synced << u"target.bin"_s << 100000;
            QTest::addRow("%s, missing folder", kind) << synced << u"missing/x.bin"_s << 1;
            QTest::addRow("%s, folder in place", kind) << synced << u"folder"_s << 1;
        }
    }
    void refused()
    {
        QFETCH(bool, synced);
        QFETCH(QString, name);
        QFETCH(int, size);
        const SaveFunction save = saveOf(synced);
        QTemporaryDir saved;
        const QString path = saved.filePath(u"target.bin"_s);
        QVERIFY(save(path, "old", nullptr) && QDir(saved.path()).mkpath(u"folder"_s));
        QString error;
        {
            std::optional<FileSizeLimit> limit;
            if (name == u"target.bin"_s)
                limit.emplace(200);
            QVERIFY(!save(saved.filePath(name), QByteArray(size, 'x'), &error));
        }
        QVERIFY(!error.isEmpty() && readFile(path) == "old");
        QCOMPARE(QDir(saved.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"target.bin"_s});
        QVERIFY(save(path, "new", nullptr) && readFile(path) == "new");
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
