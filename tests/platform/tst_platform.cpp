// The platform pieces without a network: settings from the environment, the data folder,
// saving files, code numbers, chart pictures and answers fetched ahead of time.
#include "platform/datafolder.h"
#include "platform/numbers.h"
#include "platform/pictures.h"
#include "platform/prefetch.h"
#include "platform/savefile.h"
#include "support/chartimages.h"
#include "support/files.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray encoded(QSize size, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The public services are reached over TLS; the environment may name plain http (the
    // simulated market, tests). The tick interval takes only a positive whole number.
    void configFromEnvironment()
    {
        const Config c = Config::fromEnvironment(QProcessEnvironment());
        for (const QUrl& url : {c.quoteBase, c.chartBase, c.nikkeiBase, c.nikkeiChartBase, c.marketDataBase,
                                c.brokerBase, c.fxBase})
            QCOMPARE(url.scheme(), u"https"_s);
        QProcessEnvironment env;
        env.insert(u"TICKORA_MARKET_URL"_s, u"http://127.0.0.1:8000"_s);
        env.insert(u"TICKORA_FX_URL"_s, u"http://127.0.0.2:8001"_s);
        QCOMPARE(Config::fromEnvironment(env).quoteBase, QUrl(u"http://127.0.0.1:8000"_s));
        QCOMPARE(Config::fromEnvironment(env).fxBase, QUrl(u"http://127.0.0.2:8001"_s));
        for (const auto& [text, ms] :
             {std::pair(u"250"_s, 250), std::pair(u"0"_s, 30000), std::pair(u"x"_s, 30000)}) {
            env.insert(u"TICKORA_TICK_MS"_s, text);
            QCOMPARE(Config::fromEnvironment(env).tickIntervalMs, ms);
        }
    }

    // Missing files come in whole, from the installation when it has them, else built in; a
    // file or folder already there is never replaced.
    void installsOnlyWhatIsMissing()
    {
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath(u"Auot.html"_s), "installed help"));
        const Config config{tmp.filePath(u"home/kabu"_s)};
        QVERIFY(QDir().mkpath(config.dataFile(u"chimesRow.wav"_s)));
        QVERIFY(writeFile(config.dataFile(u"chimes.wav"_s), "my own chime"));
        QVERIFY(installSuppliedFiles(config, tmp.path()).isEmpty());
        QCOMPARE(readFile(config.dataFile(u"Auot.html"_s)), QByteArray("installed help"));
        QCOMPARE(readFile(config.dataFile(u"tousyou1.csv"_s)), readFile(u":/supplied/tousyou1.csv"_s));
        QVERIFY(!readFile(u":/supplied/tousyou1.csv"_s).isEmpty());
        QCOMPARE(readFile(config.dataFile(u"chimes.wav"_s)), QByteArray("my own chime"));
        QVERIFY(QFileInfo(config.dataFile(u"chimesRow.wav"_s)).isDir());
        QCOMPARE(int(QFileInfo(config.dataFile(u"pic"_s)).permissions() & 0x0FF), 0); // the owner's alone
        QCOMPARE(QDir(config.dataDir).entryList(QDir::Files).size(), 3); // no temporary file left
    }

    // A regular file stands where the data folder's parent, or its picture folder, should be.
    void unwritableFoldersAreReported()
    {
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath(u"pic"_s), {}));
        QStringList problems = installSuppliedFiles(Config{tmp.filePath(u"pic/kabu"_s)});
        QVERIFY(problems.size() == 1 && problems[0].contains(u"データフォルダー"_s));
        problems = installSuppliedFiles(Config{tmp.path()});
        QVERIFY(problems.size() == 1 && problems[0].contains(u"pic"_s));
        QVERIFY(QFileInfo(tmp.filePath(u"Auot.html"_s)).isFile()); // the supplied files still went in
    }

    // A write that stops part-way (a file size limit, as a full disk would) must not replace the
    // old file with the short new one, whether the bytes were buffered or not.
    void saveStoppingPartWayKeepsTheOldFile()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(u"target.bin"_s);
        for (const int size : {1000, 100000}) {
            QVERIFY(saveFileAtomically(path, "old"));
            QString error;
            {
                FileSizeLimit limit(200);
                QVERIFY(!saveFileAtomically(path, QByteArray(size, 'x'), &error));
            }
            QVERIFY(!error.isEmpty());
            QCOMPARE(readFile(path), QByteArray("old"));
            QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"target.bin"_s});
        }
    }

    // Halves round to the even number; anything else, or a value past 16 bits, gives none.
    void toInt16()
    {
        const std::pair<QString, int> cases[] = {
            {u"0123"_s, 123},      {u" 7203 "_s, 7203},    {u"2.5"_s, 2},
            {u"3.5"_s, 4},         {u"2.51"_s, 3},         {u"-2.5"_s, -2},
            {u".6"_s, 1},          {u"7."_s, 7},           {u"32767"_s, 32767},
            {u"-32768"_s, -32768}, {u"32767.5"_s, -1},     {u"32768"_s, -1},
            {u""_s, -1},           {u"."_s, -1},           {u"72 03"_s, -1},
            {u"７２０３"_s, -1},   {u"99999999999"_s, -1},
        };
        for (const auto& [text, value] : cases) {
            const std::optional<qint16> got = tickora::toInt16(text);
            QCOMPARE(got ? int(*got) : -1, value);
        }
    }

    // Only JPEG, GIF, PNG and BMP by their first bytes, within the byte and side limits; the
    // bomb is well formed, so only the side limit refuses it.
    void pictures()
    {
        QByteArray atCap = encoded(QSize(4, 4), "BMP");
        atCap.resize(MaxPictureBytes);
        const std::pair<QByteArray, QSize> cases[] = {
            {encoded(QSize(30, 20), "PNG"), QSize(30, 20)},
            {encoded(QSize(30, 20), "JPEG"), QSize(30, 20)},
            {encoded(QSize(30, 20), "BMP"), QSize(30, 20)},
            {tinyGif(30, 20), QSize(30, 20)},
            {encoded(QSize(MaxPictureSide, 1), "PNG"), QSize(MaxPictureSide, 1)},
            {encoded(QSize(1, MaxPictureSide), "PNG"), QSize(1, MaxPictureSide)},
            {atCap, QSize(4, 4)},
            {encoded(QSize(MaxPictureSide + 1, 1), "PNG"), {}},
            {encoded(QSize(1, MaxPictureSide + 1), "BMP"), {}},
            {tinyGif(5000, 5000), {}},
            {svgPicture(), {}},
            {svgzPicture(), {}},
            {encoded(QSize(4, 4), "XPM"), {}},
            {" " + encoded(QSize(4, 4), "PNG"), {}},
            {atCap + 'x', {}},
        };
        for (const auto& [bytes, size] : cases) {
            QCOMPARE(isAcceptablePicture(bytes), size.isValid());
            QCOMPARE(decodePicture(bytes).size(), size.isValid() ? size : QSize(0, 0));
        }
        QBuffer bomb;
        bomb.setData(tinyGif(5000, 5000));
        QCOMPARE(QImageReader(&bomb, "gif").size(), QSize(5000, 5000));
    }

    // A prefetched answer serves one later request for the same address, headers and cap, never
    // inside get(), waiting for it when it is still on its way; a request whose context is gone
    // gets no answer either way.
    void prefetch()
    {
        for (const bool onItsWay : {false, true}) {
            FakeHttpClient inner;
            inner.setHolding(true);
            inner.serve(u"/a"_s, "first");
            PrefetchingHttpClient client(inner);
            const HttpRequest a{QUrl(u"http://m/a"_s), {{"X", "1"}}, 100};
            for (const HttpRequest& other : {HttpRequest{a.url, {}, 100}, HttpRequest{a.url, a.headers},
                                             HttpRequest{QUrl(u"http://m/b"_s), a.headers, 100}, a, a})
                client.prefetch(other);
            if (!onItsWay)
                inner.releaseAll();
            QByteArray got;
            client.get(a, nullptr, [&](const HttpResponse& r) { got += r.body; });
            {
                QObject context;
                client.get(a, &context, [&](const HttpResponse& r) { got += r.body; });
            }
            QVERIFY(got.isEmpty());
            inner.releaseAll();
            QTRY_COMPARE(got, QByteArray("first"));
            QTest::qWait(10);
            QCOMPARE(got, QByteArray("first"));
            QCOMPARE(inner.requests.size(), 5);
            QCOMPARE(client.pending(), 3);
            client.get(a, nullptr, [](const HttpResponse&) {}); // used up: to the network
            QCOMPARE(inner.requests.size(), 6);
            client.clear();
            QCOMPARE(client.pending(), 0);
        }
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
