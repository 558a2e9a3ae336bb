#include "platform/datafolder.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
            const QByteArray installed = readAll(config.dataFile(name));
            QVERIFY2(!installed.isEmpty(), qPrintable(name));
            QCOMPARE(installed, readAll(u":/supplied/"_s + name));
        }
        // No temporary file is left behind.
        QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 4);
    }

    void chimesAreTwoDistinctWaveFiles()
    {
        const QByteArray high = readAll(u":/supplied/chimes.wav"_s);
        const QByteArray low = readAll(u":/supplied/chimesRow.wav"_s);
        for (const QByteArray& wav : {high, low}) {
            QVERIFY(wav.startsWith("RIFF"));
            QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
            // PCM, mono, 22050 Hz, 16 bit.
            QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 20), quint16(1));
            QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 22), quint16(1));
            QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 24), quint32(22050));
            QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 34), quint16(16));
        }
        QVERIFY(high != low);
    }

    void neverOverwritesAnExistingFile()
    {
        QTemporaryDir tmp;
        const Config config = configIn(tmp.path());
        const QByteArray own = "my own chime";
        {
            QFile f(config.dataFile(u"chimes.wav"_s));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(own);
        }
        QVERIFY(QDir().mkpath(config.dataFile(u"Auot.html"_s))); // even a folder of that name stays
        QVERIFY(installSuppliedFiles(config).isEmpty());
        QCOMPARE(readAll(config.dataFile(u"chimes.wav"_s)), own);
        QVERIFY(QFileInfo(config.dataFile(u"Auot.html"_s)).isDir());
        // The missing ones were still installed, and a second start changes nothing.
        QVERIFY(QFileInfo(config.dataFile(u"chimesRow.wav"_s)).isFile());
        QFile list(config.dataFile(u"tousyou1.csv"_s));
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write("7203,\"edited\"\r\n");
        list.close();
        QVERIFY(installSuppliedFiles(config).isEmpty());
        QCOMPARE(readAll(config.dataFile(u"tousyou1.csv"_s)), QByteArray("7203,\"edited\"\r\n"));
    }

    void installedCopyWinsOverTheBuiltInOne()
    {
        QTemporaryDir tmp;
        const QString share = tmp.filePath(u"share/tickora"_s);
        QVERIFY(QDir().mkpath(share));
        QFile help(share + u"/Auot.html"_s);
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("<p>installed help</p>");
        help.close();
        const Config config = configIn(tmp.filePath(u"kabu"_s));
        QVERIFY(installSuppliedFiles(config, share).isEmpty());
        QCOMPARE(readAll(config.dataFile(u"Auot.html"_s)), QByteArray("<p>installed help</p>"));
        // What the installation lacks still comes from the program itself.
        QCOMPARE(readAll(config.dataFile(u"chimes.wav"_s)), readAll(u":/supplied/chimes.wav"_s));
    }

    void codeListIsTheEmbeddedCp932File()
    {
        QTemporaryDir tmp;
        const Config config = configIn(tmp.path());
        QVERIFY(installSuppliedFiles(config).isEmpty());
        const QByteArray bytes = readAll(config.dataFile(u"tousyou1.csv"_s));
        QCOMPARE(bytes, readAll(u":/supplied/tousyou1.csv"_s));

        QStringDecoder decoder("Shift_JIS", QStringConverter::Flag::Stateless);
        QVERIFY(decoder.isValid());
        const QString text = decoder.decode(bytes);
        QVERIFY(!decoder.hasError());
        QVERIFY(!bytes.contains("\xEF\xBB\xBF")); // no UTF-8 signature
        QVERIFY(text.endsWith(u"\r\n"_s));
        const QStringList lines = text.split(u"\r\n"_s, Qt::SkipEmptyParts);
        QVERIFY(lines.size() > 3000);
        QCOMPARE(text.count(u'\n'), text.count(u"\r\n"_s)); // CR LF everywhere
        QVERIFY(lines.contains(u"7203,\"トヨタ自動車\""_s));
        for (const QString& line : lines) {
            const qsizetype comma = line.indexOf(u',');
            QVERIFY2(comma > 0 && line.indexOf(u',', comma + 1) < 0, qPrintable(line));
        }
    }

    void folderThatCannotBeCreatedIsReported()
    {
        QTemporaryDir tmp;
        // A regular file stands where the data folder's parent should be.
        QFile blocker(tmp.filePath(u"blocker"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QStringList problems = installSuppliedFiles(configIn(tmp.filePath(u"blocker/kabu"_s)));
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(u"データフォルダー"_s));
        QVERIFY(problems.first().contains(u"作成できません"_s));
    }

    void picFolderBlockedByAFileIsReported()
    {
        QTemporaryDir tmp;
        const Config config = configIn(tmp.path());
        QFile pic(config.dataFile(u"pic"_s));
        QVERIFY(pic.open(QIODevice::WriteOnly));
        pic.close();
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
