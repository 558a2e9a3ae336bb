#include "platform/datafolder.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

Config configIn(const QString& dir)
{
    Config c;
    c.dataDir = dir;
    return c;
}

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void installsEverySuppliedFileIntoAMissingFolder()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath(u"home/kabu"_s);
        const Config config = configIn(dir);
        QVERIFY(installSuppliedFiles(config).isEmpty());
        QVERIFY(QFileInfo(config.dataFile(u"pic"_s)).isDir());
        QCOMPARE(int(QFileInfo(config.dataFile(u"pic"_s)).permissions() & 0x0FF), 0); // the owner's alone
        for (const QString& name : {u"tousyou1.csv"_s, u"chimes.wav"_s, u"chimesRow.wav"_s, u"Auot.html"_s}) {
            const QByteArray installed = readFile(config.dataFile(name));
            QVERIFY2(!installed.isEmpty(), qPrintable(name));
            QCOMPARE(installed, readFile(u":/supplied/"_s + name));
        }
        // No temporary file is left behind.
        QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 4);
    }

    void neverOverwritesAnExistingFile()
    {
        QTemporaryDir tmp;
        const Config config = configIn(tmp.path());
        const QByteArray own = "my own chime";
        QVERIFY(writeFile(config.dataFile(u"chimes.wav"_s), own));
        QVERIFY(QDir().mkpath(config.dataFile(u"Auot.html"_s))); // even a folder of that name stays
        QVERIFY(installSuppliedFiles(config).isEmpty());
        QCOMPARE(readFile(config.dataFile(u"chimes.wav"_s)), own);
        QVERIFY(QFileInfo(config.dataFile(u"Auot.html"_s)).isDir());
        // The missing ones were still installed, and a second start changes nothing.
        QVERIFY(QFileInfo(config.dataFile(u"chimesRow.wav"_s)).isFile());
        QVERIFY(writeFile(config.dataFile(u"tousyou1.csv"_s), "7203,\"edited\"\r\n"));
        QVERIFY(installSuppliedFiles(config).isEmpty());
        QCOMPARE(readFile(config.dataFile(u"tousyou1.csv"_s)), QByteArray("7203,\"edited\"\r\n"));
    }

    void installedCopyWinsOverTheBuiltInOne()
    {
        QTemporaryDir tmp;
        const QString share = tmp.filePath(u"share/tickora"_s);
        QVERIFY(QDir().mkpath(share));
        QVERIFY(writeFile(share + u"/Auot.html"_s, "<p>installed help</p>"));
        const Config config = configIn(tmp.filePath(u"kabu"_s));
        QVERIFY(installSuppliedFiles(config, share).isEmpty());
        QCOMPARE(readFile(config.dataFile(u"Auot.html"_s)), QByteArray("<p>installed help</p>"));
        // What the installation lacks still comes from the program itself.
        QCOMPARE(readFile(config.dataFile(u"chimes.wav"_s)), readFile(u":/supplied/chimes.wav"_s));
    }

    void folderThatCannotBeCreatedIsReported()
    {
        QTemporaryDir tmp;
        // A regular file stands where the data folder's parent should be.
        QVERIFY(writeFile(tmp.filePath(u"blocker"_s), {}));
        const QStringList problems = installSuppliedFiles(configIn(tmp.filePath(u"blocker/kabu"_s)));
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(u"データフォルダー"_s));
        QVERIFY(problems.first().contains(u"作成できません"_s));
    }

    void picFolderBlockedByAFileIsReported()
    {
        QTemporaryDir tmp;
        const Config config = configIn(tmp.path());
        QVERIFY(writeFile(config.dataFile(u"pic"_s), {}));
        const QStringList problems = installSuppliedFiles(config);
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(u"pic"_s));
        // The supplied files still went in.
        QVERIFY(QFileInfo(config.dataFile(u"Auot.html"_s)).isFile());
    }

    // The public services are reached over TLS; the environment may still name plain http
    // (the simulated market, tests).
    void servicesDefaultToHttps()
    {
        const Config public_ = Config::fromEnvironment(QProcessEnvironment());
        for (const QUrl& url :
             {public_.quoteBase, public_.chartBase, public_.nikkeiBase, public_.nikkeiChartBase,
              public_.marketDataBase, public_.brokerBase, public_.fxBase})
            QCOMPARE(url.scheme(), u"https"_s);
        QProcessEnvironment env;
        env.insert(u"TICKORA_MARKET_URL"_s, u"http://127.0.0.1:8000"_s);
        env.insert(u"TICKORA_FX_URL"_s, u"http://127.0.0.2:8001"_s);
        const Config local = Config::fromEnvironment(env);
        QCOMPARE(local.quoteBase, QUrl(u"http://127.0.0.1:8000"_s));
        QCOMPARE(local.fxBase, QUrl(u"http://127.0.0.2:8001"_s));
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
