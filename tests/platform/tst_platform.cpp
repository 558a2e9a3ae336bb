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

Config configIn(const QString& dir)
{
    Config c;
    c.dataDir = dir;
    return c;
}

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

HttpRequest request(const QString& url)
{
    return HttpRequest{QUrl(url), {{"If-Modified-Since", "Thu, 01 Jun 1970 00:00:00 GMT"}}};
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The public services are reached over TLS; the environment may still name plain http
    // (the simulated market, tests). The tick interval takes only a positive whole number.
    void configFromEnvironment()
    {
        const Config public_ = Config::fromEnvironment(QProcessEnvironment());
        for (const QUrl& url :
             {public_.quoteBase, public_.chartBase, public_.nikkeiBase, public_.nikkeiChartBase,
              public_.marketDataBase, public_.brokerBase, public_.fxBase})
            QCOMPARE(url.scheme(), u"https"_s);
        QCOMPARE(public_.tickIntervalMs, 30000);
        QProcessEnvironment env;
        env.insert(u"TICKORA_MARKET_URL"_s, u"http://127.0.0.1:8000"_s);
        env.insert(u"TICKORA_FX_URL"_s, u"http://127.0.0.2:8001"_s);
        const Config local = Config::fromEnvironment(env);
        QCOMPARE(local.quoteBase, QUrl(u"http://127.0.0.1:8000"_s));
        QCOMPARE(local.fxBase, QUrl(u"http://127.0.0.2:8001"_s));
        const std::pair<QString, int> ticks[] = {{u"250"_s, 250}, {u"0"_s, 30000}, {u"x"_s, 30000}};
        for (const auto& [text, ms] : ticks) {
            env.insert(u"TICKORA_TICK_MS"_s, text);
            QCOMPARE(Config::fromEnvironment(env).tickIntervalMs, ms);
        }
    }

    void installsEverySuppliedFileIntoAMissingFolder()
    {
        QTemporaryDir tmp;
        const Config config = configIn(tmp.filePath(u"home/kabu"_s));
        QVERIFY(installSuppliedFiles(config).isEmpty());
        QCOMPARE(int(QFileInfo(config.dataFile(u"pic"_s)).permissions() & 0x0FF), 0); // the owner's alone
        for (const QString& name : {u"tousyou1.csv"_s, u"chimes.wav"_s, u"chimesRow.wav"_s, u"Auot.html"_s}) {
            const QByteArray installed = readFile(config.dataFile(name));
            QVERIFY2(!installed.isEmpty(), qPrintable(name));
            QCOMPARE(installed, readFile(u":/supplied/"_s + name));
        }
        QCOMPARE(QDir(config.dataDir).entryList(QDir::Files).size(), 4); // no temporary file left
    }

    void neverOverwritesAnExistingFile()
    {
        QTemporaryDir tmp;
        const Config config = configIn(tmp.path());
        QVERIFY(writeFile(config.dataFile(u"chimes.wav"_s), "my own chime"));
        QVERIFY(QDir().mkpath(config.dataFile(u"Auot.html"_s))); // even a folder of that name stays
        QVERIFY(installSuppliedFiles(config).isEmpty());
        QCOMPARE(readFile(config.dataFile(u"chimes.wav"_s)), QByteArray("my own chime"));
        QVERIFY(QFileInfo(config.dataFile(u"Auot.html"_s)).isDir());
        QVERIFY(QFileInfo(config.dataFile(u"chimesRow.wav"_s)).isFile()); // the missing ones went in
    }

    void installedCopyWinsOverTheBuiltInOne()
    {
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath(u"Auot.html"_s), "<p>installed help</p>"));
        const Config config = configIn(tmp.filePath(u"kabu"_s));
        QVERIFY(installSuppliedFiles(config, tmp.path()).isEmpty());
        QCOMPARE(readFile(config.dataFile(u"Auot.html"_s)), QByteArray("<p>installed help</p>"));
        // What the installation lacks still comes from the program itself.
        QCOMPARE(readFile(config.dataFile(u"chimes.wav"_s)), readFile(u":/supplied/chimes.wav"_s));
    }

    // A regular file stands where the data folder's parent, or its picture folder, should be.
    void unwritableFoldersAreReported()
    {
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath(u"blocker"_s), {}));
        QStringList problems = installSuppliedFiles(configIn(tmp.filePath(u"blocker/kabu"_s)));
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(u"データフォルダー"_s));
        QVERIFY(writeFile(tmp.filePath(u"pic"_s), {}));
        problems = installSuppliedFiles(configIn(tmp.path()));
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(u"pic"_s));
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
    }

    void toInt16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // 99999: no value
        const std::pair<const char16_t*, int> rows[] = {
            {u"0123", 123},
            {u" 7203 ", 7203},
            {u"2.5", 2},
            {u"3.5", 4},
            {u"2.51", 3},
            {u"-2.5", -2},
            {u".6", 1},
            {u"7.", 7},
            {u"32767", 32767},
            {u"-32768", -32768},
            {u"32767.5", 99999},
            {u"32768", 99999},
            {u"", 99999},
            {u".", 99999},
            {u"72 03", 99999},
            {u"７２０３", 99999},
            {u"99999999999", 99999},
        };
        for (const auto& [text, value] : rows)
            QTest::newRow(QString::fromUtf16(text).toUtf8().constData()) << QString::fromUtf16(text) << value;
    }
    void toInt16()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        const std::optional<qint16> got = tickora::toInt16(text);
        QCOMPARE(got.has_value(), value != 99999);
        if (got)
            QCOMPARE(int(*got), value);
    }

    // Only JPEG, GIF, PNG and BMP by their first bytes, within the byte and side limits.
    void pictures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size"); // invalid: refused
        for (const char* format : {"PNG", "JPEG", "BMP"})
            QTest::newRow(format) << encoded(QSize(30, 20), format) << QSize(30, 20);
        QTest::newRow("GIF") << tinyGif(30, 20) << QSize(30, 20);
        QTest::newRow("widest") << encoded(QSize(MaxPictureSide, 1), "PNG") << QSize(MaxPictureSide, 1);
        QTest::newRow("tallest") << encoded(QSize(1, MaxPictureSide), "PNG") << QSize(1, MaxPictureSide);
        QTest::newRow("too wide") << encoded(QSize(MaxPictureSide + 1, 1), "PNG") << QSize();
        QTest::newRow("too high") << encoded(QSize(1, MaxPictureSide + 1), "BMP") << QSize();
        QTest::newRow("GIF bomb") << gifBomb() << QSize();
        QTest::newRow("SVG") << svgPicture() << QSize();
        QTest::newRow("SVGZ") << svgzPicture() << QSize();
        QTest::newRow("XPM") << encoded(QSize(4, 4), "XPM") << QSize();
        QTest::newRow("PNG behind a blank") << " " + encoded(QSize(4, 4), "PNG") << QSize();
        QByteArray atCap = encoded(QSize(4, 4), "BMP");
        atCap.resize(MaxPictureBytes);
        QTest::newRow("body at the cap") << atCap << QSize(4, 4);
        QTest::newRow("body over the cap") << atCap + 'x' << QSize();
    }
    void pictures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QCOMPARE(isAcceptablePicture(bytes), size.isValid());
        QCOMPARE(decodePicture(bytes).size(), size.isValid() ? size : QSize(0, 0));
        // The bomb is well formed: only the size limit refuses it.
        QBuffer bomb;
        bomb.setData(gifBomb());
        bomb.open(QIODevice::ReadOnly);
        QCOMPARE(QImageReader(&bomb, "gif").size(), QSize(5000, 5000));
    }

    // A prefetched answer serves one later request for the same address and headers, never
    // inside get(), waiting for it when it is still on its way.
    void prefetchServesOneLaterRequest_data()
    {
        QTest::addColumn<bool>("inFlight");
        QTest::newRow("answered before the request") << false;
        QTest::newRow("still on its way") << true;
    }
    void prefetchServesOneLaterRequest()
    {
        QFETCH(bool, inFlight);
        FakeHttpClient inner;
        inner.setHolding(true);
        inner.serve(u"/a"_s, "first");
        PrefetchingHttpClient client(inner);
        client.prefetch(request(u"http://m/a"_s));
        if (!inFlight)
            inner.releaseAll();
        int calls = 0;
        QByteArray got;
        client.get(request(u"http://m/a"_s), nullptr, [&](const HttpResponse& r) {
            ++calls;
            got = r.body;
        });
        QCOMPARE(calls, 0);
        inner.releaseAll();
        QTRY_COMPARE(got, QByteArray("first"));
        QCOMPARE(calls, 1);
        QCOMPARE(inner.requests.size(), 1);
        // The prefetch is used up: the next request goes to the network.
        client.get(request(u"http://m/a"_s), nullptr, [](const HttpResponse&) {});
        QCOMPARE(inner.requests.size(), 2);
        // A request with its context gone gets no answer, however the prefetch stands.
        client.prefetch(request(u"http://m/a"_s));
        if (!inFlight)
            inner.releaseAll();
        bool called = false;
        {
            QObject context;
            client.get(request(u"http://m/a"_s), &context, [&](const HttpResponse&) { called = true; });
        }
        inner.releaseAll();
        QTest::qWait(10);
        QVERIFY(!called);
    }

    void prefetchMatchesAddressHeadersAndCap()
    {
        FakeHttpClient inner;
        PrefetchingHttpClient client(inner);
        client.prefetch(request(u"http://m/c"_s));
        client.get(HttpRequest{QUrl(u"http://m/c"_s), {}}, nullptr, [](const HttpResponse&) {});
        client.get(request(u"http://m/d"_s), nullptr, [](const HttpResponse&) {});
        HttpRequest capped = request(u"http://m/c"_s);
        capped.maxBodyBytes = 100;
        client.get(capped, nullptr, [](const HttpResponse&) {});
        QCOMPARE(inner.requests.size(), 4);
        QCOMPARE(client.pending(), 1);
        client.clear();
        QCOMPARE(client.pending(), 0);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
