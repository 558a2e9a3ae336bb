// The data folder: the supplied files come in whole, from the installation or built in, existing
// ones stay; what a save cut short leaves goes at start.
#include "platform/datafolder.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestDataFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Missing files come from the installation or built in; existing ones stay.
    void suppliedFiles()
    {
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath(u"Auot.html"_s), "installed help"));
        const Config config{tmp.filePath(u"home/kabu"_s)};
        QVERIFY(QDir().mkpath(config.dataFile(u"pic"_s)) &&
                writeFile(config.dataFile(u"chimes.wav"_s), "my own chime"));
        const QByteArray list = readFile(u":/supplied/tousyou1.csv"_s);
        QVERIFY(installSuppliedFiles(config, tmp.path()).isEmpty() && !list.isEmpty());
        QCOMPARE(QList<QByteArray>({readFile(config.dataFile(u"Auot.html"_s)),
                                    readFile(config.dataFile(u"tousyou1.csv"_s)),
                                    readFile(config.dataFile(u"chimes.wav"_s))}),
                 QList<QByteArray>({"installed help", list, "my own chime"}));
        // The picture folder, made above with the usual permissions, is made the owner's alone.
        QCOMPARE(int(QFileInfo(config.dataFile(u"pic"_s)).permissions() & 0x0FF), 0);
        QCOMPARE(QDir(config.dataDir).entryList(QDir::Files).size(), 4); // no temporary file left
    }

    // A regular file where the data folder's parent, or its picture folder, should be.
    void blockedFolders()
    {
        QTemporaryDir blocked;
        QVERIFY(writeFile(blocked.filePath(u"pic"_s), {}));
        QVERIFY(!makePrivateFolder(blocked.filePath(u"pic/kabu"_s))); // its parent is a file
        QVERIFY(!makePrivateFolder(blocked.filePath(u"pic"_s)));      // it is a file
        QStringList problems = installSuppliedFiles(Config{blocked.filePath(u"pic/kabu"_s)});
        QVERIFY(problems.size() == 1 && problems[0].contains(u"データフォルダー"_s));
        problems = installSuppliedFiles(Config{blocked.path()});
        QVERIFY(problems.size() == 1 && problems[0].contains(u"pic"_s));
        QVERIFY(QFileInfo(blocked.filePath(u"Auot.html"_s)).isFile()); // the supplied files still went in
    }

    // A full disk: a file that does not fit is reported and left out, never cut short.
    void fullDisk()
    {
        QTemporaryDir full;
        FileSizeLimit limit(100);
        QVERIFY(installSuppliedFiles(Config{full.path()}).join(u' ').contains(u"tousyou1.csv"_s));
        QVERIFY(!QFileInfo::exists(full.filePath(u"tousyou1.csv"_s)));
    }

    // What a save cut short leaves beside the watch list goes at start; nothing else does.
    void saveLeftovers()
    {
        QTemporaryDir left;
        const Config leftovers{left.path()};
        QStringList kept{u"dat.txt"_s,         u"dat.txt.ab-123"_s,      u"dat.txt.abc12"_s,
                         u"dat.txt.abc1234"_s, u"tousyou1.csv.Ab1234"_s, u"xdat.txt.Ab1234"_s};
        for (const QString& name : kept + QStringList{u"dat.txt.Ab12Z9"_s, u"dat.txt.000000"_s})
            QVERIFY(writeFile(leftovers.dataFile(name), "x"));
        QVERIFY(QFile::link(leftovers.dataFile(u"dat.txt"_s), leftovers.dataFile(u"dat.txt.Lnk123"_s)));
        QCOMPARE(removeSaveLeftovers(leftovers, u"dat.txt"_s),
                 (QStringList{u"dat.txt.000000"_s, u"dat.txt.Ab12Z9"_s}));
        kept.insert(1, u"dat.txt.Lnk123"_s);
        QCOMPARE(
            QDir(left.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name),
            kept);
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
