// The platform pieces, and the HTTP client against loopback servers run by the test itself.
#include "platform/backoff.h"
#include "platform/config.h"
#include "platform/datafolder.h"
#include "platform/dialogs.h"
#include "platform/helpviewer.h"
#include "platform/pictures.h"
#include "platform/prefetch.h"
#include "platform/qthttpclient.h"
#include "platform/savefile.h"
#include "platform/sound.h"
#include "support/chartimages.h"
#include "support/files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSslKey>
#include <QSslServer>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimeZone>
#include <QTimer>

#include <zlib.h>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

/// `data` in the gzip format.
QByteArray gzip(const QByteArray& data)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

/// A loopback HTTP/1.1 server: canned answers by path, a byte per 50 ms for "/drip", else silence.
class RawServer : public QTcpServer
{
public:
    explicit RawServer(const QHostAddress& address = QHostAddress::LocalHost)
    {
        listen(address);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    lastRequest = s->readAll();
                    const QByteArray path = lastRequest.split(' ').value(1).split('?').value(0);
                    if (path == "/drip") {
                        s->write("HTTP/1.1 200 OK\r\nContent-Length: 400\r\n\r\n");
                        connect(new QTimer(s), &QTimer::timeout, s, [s] { s->write("x"); });
                        s->findChild<QTimer*>()->start(50);
                    } else if (canned.contains(path)) {
                        s->write(canned.value(path));
                        s->disconnectFromHost();
                    }
                });
        });
        canned["/status/200"] = answer("200 OK", "status 200");
        canned["/not-http"] = "SSH-2.0-OpenSSH_9.2\r\ngarbage\r\n\r\n";
        canned["/busy"] = answer("429 Too Many Requests\r\nRetry-After: 120", "slow down");
        canned["/located"] = answer("403 Forbidden\r\nLocation: /status/200", "here");
        // Statuses at the edges of the redirect range, each with a Location: only 3xx is followed.
        for (const QByteArray status :
             {"201 Created", "300 Multiple Choices", "399 Other", "400 Bad Request"})
            canned["/located/" + status.left(3)] = answer(status + "\r\nLocation: /status/200", "here");
        for (const QByteArray status : {"200 OK", "404 Not Found"})
            canned["/cut/" + status.left(3)] =
                "HTTP/1.1 " + status + "\r\nContent-Length: 10000\r\n\r\n" + QByteArray(100, 'a');
        for (const int n : {5000, 5001}) {
            canned["/size/" + QByteArray::number(n)] = answer("200 OK", QByteArray(n, 'b'));
            canned["/chunked/" + QByteArray::number(n)] =
                "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1000\r\n" + QByteArray(4096, 'c') +
                "\r\n" + QByteArray::number(n - 4096, 16) + "\r\n" + QByteArray(n - 4096, 'c') +
                "\r\n0\r\n\r\n";
        }
        // Compressed answers: a page each way, bodies just within and past a cap of 5000 once
        // inflated, and a bomb (8 MB of zeros in a few kilobytes) that no cap of 16 MB would stop.
        const QByteArray page = QString(u"<p>株価 2,648.5 (+30.5)</p>\n"_s).repeated(400).toUtf8();
        canned["/gzip"] = answer("200 OK\r\nContent-Encoding: gzip", gzip(page));
        canned["/deflate"] = answer("200 OK\r\nContent-Encoding: deflate", qCompress(page).mid(4));
        for (const int n : {5000, 5001})
            canned["/gzip/" + QByteArray::number(n)] =
                answer("200 OK\r\nContent-Encoding: gzip", gzip(page.left(n)));
        canned["/bomb"] = answer("200 OK\r\nContent-Encoding: gzip", gzip(QByteArray(8 << 20, '\0')));
        for (int n = 0; n <= 5; ++n)
            canned["/hop/" + QByteArray::number(n)] =
                answer("302 Found\r\nLocation: " +
                       (n > 0 ? QByteArray("/hop/" + QByteArray::number(n - 1)) : QByteArray("/status/200")));
    }
    QUrl url(const QString& target) const
    {
        return QUrl(u"http://%1:%2"_s.arg(serverAddress().toString()).arg(serverPort()) + target);
    }
    static QByteArray answer(const QByteArray& head, const QByteArray& body = {})
    {
        return "HTTP/1.1 " + head + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
               body;
    }
    QHash<QByteArray, QByteArray> canned;
    QByteArray lastRequest;
};

/// Notes every address handed to the desktop's handlers.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    explicit UrlCatcher(QStringList& taken) : m_taken(taken) {}
public Q_SLOTS:
    void take(const QUrl& url) { m_taken.append(url.toString()); }

private:
    QStringList& m_taken;
};

/// The configuration from the given TICKORA_ variables; an empty value leaves its variable out.
Config configOf(const QList<std::pair<QString, QString>>& variables)
{
    QProcessEnvironment env;
    for (const auto& [name, value] : variables)
        if (!value.isEmpty())
            env.insert(u"TICKORA_"_s + name, value);
    return Config::fromEnvironment(env);
}

HttpResponse getAndWait(HttpClient& http, const QUrl& url, qint64 maxBodyBytes = 0)
{
    std::optional<HttpResponse> result;
    http.get({url, {{"X-Probe", "one two"}}, maxBodyBytes}, nullptr,
             [&](const HttpResponse& r) { result = r; });
    // A hang reads as an answer with status -1, which no check expects.
    return QTest::qWaitFor([&] { return result.has_value(); }, 30000) ? *result
                                                                      : HttpResponse{-1, {}, {}, {}, {}};
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Public services over TLS unless the environment names others; the settings' choices and checks.
    void configAndCodes()
    {
        for (const QUrl& url : configOf({}).serviceBases())
            QCOMPARE(url.scheme(), u"https"_s);
        const QString market = u"http://127.0.0.1:8000"_s;
        // Pages and charts have defaults and take only their known values, else the value is named.
        const QString today = u"finance.yahoo.co.jp"_s;
        const std::tuple<QString, QString, QuotePages, QString, ChartSource, bool> choices[] = {
            {u"QUOTE_PAGES"_s, u""_s, QuotePages::Today, today, ChartSource::Drawn, true},
            {u"QUOTE_PAGES"_s, u"2012"_s, QuotePages::Pages2012, u"stocks."_s + today, ChartSource::Drawn,
             true},
            {u"QUOTE_PAGES"_s, u"TODAY"_s, QuotePages::Today, today, ChartSource::Drawn, false},
            {u"CHARTS"_s, u"images"_s, QuotePages::Today, today, ChartSource::Images, true},
            {u"CHARTS"_s, u"Images"_s, QuotePages::Today, today, ChartSource::Drawn, false}};
        for (const auto& [name, value, pages, host, charts, accepted] : choices) {
            const Config got = configOf({{name, value}});
            QCOMPARE(std::tuple(got.quotePages, got.quoteBase.host(), got.charts, got.error.isEmpty(),
                                !value.isEmpty() && got.error.contains(value)),
                     std::tuple(pages, host, charts, accepted, !accepted));
        }
        // The series service: its own address, else the market's if usable, else the public one.
        for (const auto& [seriesUrl, marketUrl, host] :
             {std::tuple(u""_s, u"http://[x"_s, u"query1.finance.yahoo.com"_s),
              std::tuple(u""_s, market, u"127.0.0.1"_s),
              std::tuple(u"http://127.0.0.3:9"_s, market, u"127.0.0.3"_s)})
            QCOMPARE(configOf({{u"MARKET_URL"_s, marketUrl}, {u"SERIES_URL"_s, seriesUrl}}).seriesBase.host(),
                     host);
        // A positive whole tick, under five seconds only when every service is local, else told.
        const std::tuple<QString, QString, int, bool> ticks[] = {
            {market, u"250"_s, 250, false},
            {market, u"0"_s, 30000, false},
            {market, u"x"_s, 30000, false},
            {u"http://LocalHost:9"_s, u"4999"_s, 4999, false},
            {u"https://"_s + today, u"4999"_s, 30000, true},
            {u"https://"_s + today, u"5000"_s, 5000, false}};
        for (const auto& [quoteUrl, tick, expected, refused] : ticks) {
            const Config got =
                configOf({{u"MARKET_URL"_s, market}, {u"QUOTE_URL"_s, quoteUrl}, {u"TICK_MS"_s, tick}});
            QVERIFY2(got.tickIntervalMs == expected && int(got.notices.size()) == (refused ? 1 : 0),
                     qPrintable(quoteUrl + u' ' + tick));
        }
        // Another User-Agent, one printable line only; none given leaves the program's own.
        const std::tuple<QString, QByteArray, int> agents[] = {
            {u" Mozilla/5.0 (X11) ~ "_s, "Mozilla/5.0 (X11) ~", 0},
            {u""_s, "", 0},
            {u"A\r\nX-Evil: 1"_s, "", 1},
            {u"エージェント"_s, "", 1},
            {u"A\u007f"_s, "", 1}};
        for (const auto& [agent, expected, told] : agents) {
            const Config got = configOf({{u"USER_AGENT"_s, agent}});
            QVERIFY2(got.userAgent == expected && got.notices.size() == told, qPrintable(agent));
        }
        for (const char* url : {"http://128.0.0.1", "http://localhost.example.com", "file:///tmp/x"})
            QVERIFY2(!isLoopbackUrl(QUrl(QString::fromUtf8(url))), url);
    }

    // Retry-After in seconds or as a date (60 s else, an hour at most); holds are told once per host.
    void overloadHolds()
    {
        const QDateTime now(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
        for (const QByteArray& c :
             QByteArray("120=120; 5 =5;0=0;=60;soon=60;-5=60;1.5=60;3600=3600;3601=3600;"
                        "99999999999999=3600;Mon, 07 Dec 2026 10:02:30 GMT=150;"
                        "Mon, 07 Dec 2026 09:00:00 GMT=0;Tue, 08 Dec 2026 10:00:00 GMT=3600")
                 .split(';'))
            QVERIFY2(now.secsTo(retryAfterTime(c.left(c.lastIndexOf('=')), now)) ==
                         c.mid(c.lastIndexOf('=') + 1).toLongLong(),
                     c.constData());

        ServiceBackoff backoff;
        const QUrl quotes(u"https://finance.yahoo.co.jp/quote/7203.T"_s),
            index(u"https://finance.yahoo.co.jp/quote/998407.O"_s),
            other(u"https://query1.finance.yahoo.com/v8/x"_s);
        QVERIFY(!backoff.noteAnswer(quotes, 200, "120", now) && !backoff.holds(quotes, now));
        QVERIFY(backoff.noteAnswer(quotes, 429, "120", now));
        QVERIFY(!backoff.noteAnswer(index, 503, "30", now)); // the same host, already held
        QCOMPARE(backoff.until(index), now.addSecs(120));    // a shorter hold does not cut it
        QVERIFY(backoff.holds(index, now.addSecs(119)) && !backoff.holds(index, now.addSecs(120)));
        QVERIFY(!backoff.noteAnswer(other, 429, "0", now) && !backoff.holds(other, now));
        QVERIFY(backoff.noteAnswer(quotes, 503, {}, now.addSecs(120)));
        QCOMPARE(backoff.until(quotes), now.addSecs(180));
    }

    // Missing files come in whole, from the installation or built in; existing ones stay; saves cut short.
    void filesInTheDataFolder()
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
        // A regular file where the data folder's parent, or its picture folder, should be.
        QTemporaryDir blocked;
        QVERIFY(writeFile(blocked.filePath(u"pic"_s), {}));
        QStringList problems = installSuppliedFiles(Config{blocked.filePath(u"pic/kabu"_s)});
        QVERIFY(problems.size() == 1 && problems[0].contains(u"データフォルダー"_s));
        problems = installSuppliedFiles(Config{blocked.path()});
        QVERIFY(problems.size() == 1 && problems[0].contains(u"pic"_s));
        QVERIFY(QFileInfo(blocked.filePath(u"Auot.html"_s)).isFile()); // the supplied files still went in
        {
            // A full disk: a file that does not fit is reported and left out, never cut short.
            QTemporaryDir full;
            FileSizeLimit limit(100);
            QVERIFY(installSuppliedFiles(Config{full.path()}).join(u' ').contains(u"tousyou1.csv"_s));
            QVERIFY(!QFileInfo::exists(full.filePath(u"tousyou1.csv"_s)));
        }
        // A write cut short, buffered or not, leaves the old file and no temporary one.
        QTemporaryDir saved;
        const QString path = saved.filePath(u"target.bin"_s);
        for (const auto save : {&saveFileAtomically, &replaceFileUnsynced}) {
            for (const int size : {1000, 100000}) {
                QVERIFY(save(path, "old", nullptr));
                QString error;
                {
                    FileSizeLimit limit(200);
                    QVERIFY(!save(path, QByteArray(size, 'x'), &error));
                }
                QVERIFY(!error.isEmpty() && readFile(path) == "old");
                QCOMPARE(QDir(saved.path()).entryList(QDir::Files | QDir::Hidden),
                         QStringList{u"target.bin"_s});
            }
            QVERIFY(save(path, "new", nullptr) && readFile(path) == "new");
            // A folder in the file's place: the temporary file is made, only the rename fails.
            QVERIFY(QDir(saved.path()).mkpath(u"folder"_s));
            for (const QString& name : {u"missing/x.bin"_s, u"folder"_s}) {
                QString error;
                QVERIFY(!save(saved.filePath(name), "x", &error) && !error.isEmpty());
            }
        }
        QCOMPARE(QDir(saved.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"target.bin"_s});
        // What a save cut short leaves beside the watch list goes at start; nothing else does.
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

    // Only JPEG, GIF, PNG and BMP by their first bytes, within the byte and side limits.
    void pictures()
    {
        QByteArray atCap = chartPng(QSize(4, 4), Qt::red);
        atCap.resize(MaxPictureBytes);
        for (const QSize size : {QSize(30, 20), QSize(MaxPictureSide, 1), QSize(1, MaxPictureSide)})
            QVERIFY(isAcceptablePicture(chartPng(size, Qt::red)) &&
                    decodePicture(chartPng(size, Qt::red)).size() == size);
        for (const auto& [bytes, size] :
             {std::pair(tinyGif(30, 20), QSize(30, 20)), std::pair(atCap, QSize(4, 4))})
            QVERIFY(isAcceptablePicture(bytes) && decodePicture(bytes).size() == size);
        for (const QByteArray& bytes :
             {chartPng(QSize(MaxPictureSide + 1, 1), Qt::red),
              chartPng(QSize(1, MaxPictureSide + 1), Qt::red), tinyGif(5000, 5000), svgPicture(),
              QByteArray(" " + chartPng(QSize(4, 4), Qt::red)), QByteArray(atCap + 'x')})
            QVERIFY(!isAcceptablePicture(bytes) && decodePicture(bytes).size() == QSize(0, 0));
        // A GIF may say 2 x 0 and decode 2 x 5000 pixels: the decoded picture is measured too.
        QVERIFY(decodePicture(tinyGif(2, 5000).replace(24, 4, QByteArray("\x88\x13\0\0", 4))).isNull());
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(u"at.png"_s), atCap) &&
                writeFile(dir.filePath(u"over.png"_s), atCap + 'x'));
        QCOMPARE(QtPictures().load(dir.filePath(u"at.png"_s)).size(), QSize(4, 4));
        QVERIFY(QtPictures().load(dir.filePath(u"over.png"_s)).isNull());
        QString error;
        QVERIFY(!QtPictures().saveBmp(QImage(), dir.filePath(u"none.bmp"_s), &error) && !error.isEmpty());
    }

    // The boxes show their text as plain text (it may come from a page); a question is true for Yes.
    void dialogs()
    {
        QtDialogs dialogs;
        for (const auto button : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No}) {
            Qt::TextFormat format = Qt::AutoText;
            QTimer::singleShot(0, [button, &format] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                format = box->textFormat();
                box->button(button)->click();
            });
            if (button == QMessageBox::Ok)
                dialogs.message(nullptr, u"t"_s, u"<b>x</b>"_s, Dialogs::Icon::Warning);
            else
                QCOMPARE(dialogs.question(nullptr, u"t"_s, u"<b>x</b>"_s), button == QMessageBox::Yes);
            QCOMPARE(format, Qt::PlainText);
        }
    }

    // A chime starts the first player found on the PATH (paplay, else aplay -q) with the file;
    // a missing file or a machine without either player stays silent.
    void soundPlayers_data()
    {
        QTest::addColumn<QStringList>("players");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QString>("heard");
        QTest::newRow("paplay first") << QStringList{u"paplay"_s, u"aplay"_s} << true << u"paplay %1"_s;
        QTest::newRow("aplay alone") << QStringList{u"aplay"_s} << true << u"aplay -q %1"_s;
        QTest::newRow("no file") << QStringList{u"paplay"_s, u"aplay"_s} << false << QString();
        QTest::newRow("no player") << QStringList{} << true << QString();
    }

    void soundPlayers()
    {
        QFETCH(QStringList, players);
        QFETCH(bool, fileExists);
        QFETCH(QString, heard);
        QTemporaryDir bin;
        const QString wav = bin.filePath(u"chime.wav"_s);
        const QString marker = bin.filePath(u"heard"_s);
        if (fileExists)
            QVERIFY(writeFile(wav, "RIFF"));
        for (const QString& player : players) {
            const QString script = bin.filePath(player);
            QVERIFY(writeFile(script,
                              QStringLiteral("#!/bin/sh\necho %1 \"$@\" > %2.part && /bin/mv %2.part %2\n")
                                  .arg(player, marker)
                                  .toUtf8()));
            QFile(script).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        ProcessSoundPlayer().play(wav);
        qputenv("PATH", path);
        if (heard.isEmpty()) {
            QTest::qWait(300);
            QVERIFY(!QFile::exists(marker));
        } else {
            QTRY_VERIFY(QFile::exists(marker));
            QFile file(marker);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(file.readAll()).trimmed(), heard.arg(wav));
        }
    }

    // Requests as given, compressed answers accepted; answers, redirects, broken exchanges and body caps.
    void httpExchangesCharsetsAndPrefetch()
    {
        QtHttpClient versioned({.managers = 1, .userAgent = "Tickora/9.8"}); // one connection pool will do
        QCOMPARE(getAndWait(versioned, m_server.url(u"/status/200?a=1&b=%20x"_s)).status, 200);
        for (const char* line :
             {"GET /status/200?a=1&b=%20x HTTP/1.1\r\n", "\r\nX-Probe: one two\r\n", "gzip, deflate\r\n",
              "\r\nUser-Agent: Tickora/9.8\r\n", "\r\nAccept-Language: ja\r\n"})
            QVERIFY2(m_server.lastRequest.contains(line), m_server.lastRequest.constData());
        m_server.canned["/other"] =
            RawServer::answer("302 Found\r\nLocation: " + m_other.url(u"/status/200"_s).toEncoded());
        QCOMPARE(getAndWait(versioned, m_server.url(u"/busy"_s)).header("retry-after"), QByteArray("120"));
        // Overloads and Locations are whole answers; up to five redirects, same host only; faults say why.
        const std::tuple<QUrl, int, int, QByteArray> exchanges[] = {
            {m_server.url(u"/busy"_s), 15000, 429, "slow down"},
            {m_server.url(u"/located"_s), 15000, 403, "here"},
            {m_server.url(u"/located/201"_s), 15000, 201, "here"},
            {m_server.url(u"/located/300"_s), 15000, 200, "status 200"},
            {m_server.url(u"/located/399"_s), 15000, 200, "status 200"},
            {m_server.url(u"/located/400"_s), 15000, 400, "here"},
            {m_server.url(u"/hop/4"_s), 15000, 200, "status 200"},
            {m_server.url(u"/hop/5"_s), 15000, 0, {}},
            {m_server.url(u"/other"_s), 15000, 0, {}},
            {QUrl(u"http://127.0.0.1:1/"_s), 15000, 0, {}},
            {m_server.url(u"/not-http"_s), 15000, 0, {}},
            {m_server.url(u"/cut/200"_s), 15000, 0, {}},
            {m_server.url(u"/cut/404"_s), 15000, 0, {}},
            {m_server.url(u"/drip"_s), 400, 0, {}}};
        for (const auto& [url, timeoutMs, status, body] : exchanges) {
            QtHttpClient client({timeoutMs});
            const HttpResponse r = getAndWait(client, url);
            QVERIFY2(r.status == status && r.body == body && r.error.isEmpty() == (status != 0),
                     qPrintable(url.toString() + u' ' + r.error));
        }
        const std::tuple<QString, QString, bool> cases[] = {
            {u"http://a.jp/x"_s, u"http://A.jp:80/y"_s, true},
            {u"https://a.jp/x"_s, u"https://a.jp/y"_s, true},
            {u"http://a.jp:8080/x"_s, u"https://a.jp/y"_s, true},
            {u"https://a.jp/x"_s, u"http://a.jp/y"_s, false},
            {u"http://a.jp/x"_s, u"http://a.jp:8080/x"_s, false}};
        for (const auto& [from, to, allowed] : cases)
            QVERIFY2(isRedirectAllowed(QUrl(u"http://a.jp/"_s), QUrl(from), QUrl(to)) == allowed,
                     qPrintable(to));
        // A self-signed certificate is refused, after the handshake started.
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificateChain(QSslCertificate::fromPath(TICKORA_TEST_DATA "/selfsigned-cert.pem"_L1));
        tls.setPrivateKey(QSslKey(readFile(TICKORA_TEST_DATA "/selfsigned-key.pem"_L1), QSsl::Rsa));
        QSslServer server;
        server.setSslConfiguration(tls);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const HttpResponse refused =
            getAndWait(versioned, QUrl(u"https://127.0.0.1:%1/"_s.arg(server.serverPort())));
        QVERIFY2(refused.status == 0 && refused.body.isEmpty() && refused.error.contains(u"self-signed"_s),
                 qPrintable(refused.error));
        // A body past the client's cap, declared or chunked, or past a request's own smaller cap.
        QtHttpClient capped({15000, 5000});
        for (const QString& path : {u"/size/"_s, u"/chunked/"_s}) {
            QCOMPARE(getAndWait(capped, m_server.url(path + u"5000"_s)).body.size(), 5000);
            QCOMPARE(getAndWait(capped, m_server.url(path + u"5000"_s), 4999).status, 0);
            const HttpResponse over = getAndWait(capped, m_server.url(path + u"5001"_s));
            QVERIFY(over.status == 0 && over.body.isEmpty());
        }
        // Compressed bodies come inflated, and the cap holds for the inflated text; a bomb is refused.
        const QByteArray page = getAndWait(versioned, m_server.url(u"/gzip"_s)).body;
        QVERIFY(page.size() > 10000 && page.startsWith("<p>株価 2,648.5"));
        QCOMPARE(getAndWait(versioned, m_server.url(u"/deflate"_s)).body, page);
        QCOMPARE(getAndWait(capped, m_server.url(u"/gzip/5000"_s)).body, page.left(5000));
        for (const HttpResponse& refused : {getAndWait(capped, m_server.url(u"/gzip/5001"_s)),
                                            getAndWait(versioned, m_server.url(u"/bomb"_s))})
            QVERIFY2(refused.status == 0 && refused.body.isEmpty() && !refused.error.isEmpty(),
                     qPrintable(refused.error));
        // Bodies decoded by the answer's charset; callbacks go with their context; prefetched answers.
        const QString japanese = u"株価詳細【7203】トヨタ自動車 前日終値 ～ ①"_s;
        const std::pair<QByteArray, QByteArray> encoded[] = {
            {"text/html; charset=\"shift_jis\"", QStringEncoder("Shift_JIS").encode(japanese)},
            {"text/html; charset=EUC-JP", QStringEncoder("EUC-JP").encode(japanese)},
            {"text/html", japanese.toUtf8()}};
        QtHttpClient http;
        for (const auto& [contentType, body] : encoded) {
            m_server.canned["/charset"] = RawServer::answer("200 OK\r\nContent-Type: " + contentType, body);
            QCOMPARE(getAndWait(http, m_server.url(u"/charset"_s)).text(), japanese);
        }
        auto* context = new QObject;
        bool called = false;
        http.get({m_server.url(u"/status/200"_s), {}}, context, [&](const HttpResponse&) { called = true; });
        delete context;
        QCOMPARE(getAndWait(http, m_server.url(u"/status/200"_s)).status, 200);
        QTest::qWait(50);
        QVERIFY(!called);
        // A prefetch serves one later equal request, never inside get(), only to a living context.
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
                client.get(a, &context, [&](const HttpResponse&) { got += "gone"; });
            }
            QVERIFY(got.isEmpty());
            inner.releaseAll();
            QTRY_COMPARE(got, QByteArray("first"));
            QCOMPARE(std::pair(int(inner.requests.size()), client.pending()), std::pair(5, 3));
            client.get(a, nullptr, [](const HttpResponse&) {}); // used up: to the network
            client.clear();
            QCOMPARE(std::pair(int(inner.requests.size()), client.pending()), std::pair(6, 0));
        }
    }

    // Only a 3xx status with a Location is a redirect; the header alone makes none.
    void redirectStatuses_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<QString>("target");
        for (const int status : {300, 301, 302, 303, 307, 308, 399})
            QTest::addRow("%d", status) << status << QByteArray("/next?a=1") << u"/next?a=1"_s;
        for (const int status : {200, 201, 299, 304, 400, 403, 404, 500, 0})
            QTest::addRow("%d", status) << status << QByteArray("/next") << QString();
        QTest::newRow("302, absolute") << 302 << QByteArray(" http://a.jp/x ") << u"http://a.jp/x"_s;
        QTest::newRow("302, empty") << 302 << QByteArray() << QString();
        QTest::newRow("302, blank") << 302 << QByteArray("  ") << QString();
        QTest::newRow("302, not an address") << 302 << QByteArray("http://a b/%zz") << QString();
    }
    void redirectStatuses()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, location);
        QFETCH(QString, target);
        const std::optional<QUrl> to = redirectTarget(status, location);
        QCOMPARE(to ? to->toString() : QString(), target);
    }

    // The help opens in the program's own window: links within the document are followed, any
    // other link opens nothing and leaves the document shown; a missing file is told in the window.
    void helpWindow_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("a section") << u"#last"_s << true;
        QTest::newRow("a section, by the file's name") << u"help.html#last"_s << true;
        QTest::newRow("a web page") << u"https://example.com/#last"_s << false;
        QTest::newRow("a mail address") << u"mailto:someone@example.com"_s << false;
        QTest::newRow("another local file") << u"other.html#last"_s << false;
        QTest::newRow("a program") << u"file:///usr/bin/true"_s << false;
    }
    void helpWindow()
    {
        QFETCH(QString, link);
        QFETCH(bool, scrolls);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"help.html"_s);
        QString page = u"<html><head><meta charset=\"utf-8\"><title>ヘルプ</title></head><body>"
                       "<h1 id=\"top\">Tickora ヘルプ</h1><p><a href=\"%1\">リンク</a></p>"_s.arg(link);
        for (int i = 0; i < 200; ++i)
            page += u"<p>行 %1</p>"_s.arg(i);
        page += u"<h2 id=\"last\">最後の節</h2><p>終わり</p></body></html>"_s;
        writeFile(path, page.toUtf8());
        writeFile(dir.filePath(u"other.html"_s), "<html><body><h1>別の文書</h1></body></html>");
        QStringList handedOut; // whatever would go to a browser or another program
        UrlCatcher catcher(handedOut);
        for (const QString& scheme : {u"http"_s, u"https"_s, u"mailto"_s, u"file"_s})
            QDesktopServices::setUrlHandler(scheme, &catcher, "take");
        HelpWindowViewer viewer;
        QVERIFY(viewer.open(path));
        QTextBrowser* window = viewer.window();
        QVERIFY(window && window->isVisible() && window->objectName() == u"helpWindow"_s);
        QVERIFY(window->toPlainText().startsWith(u"Tickora ヘルプ"_s)); // the document, not its markup
        QVERIFY(!window->toPlainText().contains(u"<h1"_s));
        window->resize(400, 300);
        QApplication::processEvents();
        QCOMPARE(window->verticalScrollBar()->value(), 0);
        // A click on the link, as the user gives it.
        const QTextCursor found = window->document()->find(u"リンク"_s);
        QVERIFY(!found.isNull());
        QTextCursor inside(window->document());
        inside.setPosition(found.selectionStart() + 1);
        const QPoint at = window->cursorRect(inside).center();
        QVERIFY(window->anchorAt(at) == link);
        QSignalSpy clicked(window, &QTextBrowser::anchorClicked);
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clicked.size(), 1);
        QApplication::processEvents();
        QCOMPARE(window->verticalScrollBar()->value() > 0, scrolls);
        QCOMPARE(window->source().fileName(), u"help.html"_s);
        QVERIFY(window->toPlainText().startsWith(u"Tickora ヘルプ"_s));
        QCOMPARE(handedOut, QStringList());
        // A second call shows the same window; a missing file is told there.
        QVERIFY(!viewer.open(dir.filePath(u"missing.html"_s)));
        QCOMPARE(viewer.window(), window);
        QVERIFY(window->toPlainText().contains(u"missing.html"_s));
        for (const QString& scheme : {u"http"_s, u"https"_s, u"mailto"_s, u"file"_s})
            QDesktopServices::unsetUrlHandler(scheme);
        // Closing the window destroys it; the next call makes a new one.
        window->close();
        QTRY_VERIFY(!viewer.window());
        QVERIFY(viewer.open(path) && viewer.window() && viewer.window()->isVisible());
    }

    // Esc and Ctrl+W close the help window; left open, it keeps no program running.
    void helpWindowCloses_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Esc") << QKeySequence(Qt::Key_Escape);
        QTest::newRow("Ctrl+W") << QKeySequence(Qt::CTRL | Qt::Key_W);
    }
    void helpWindowCloses()
    {
        QFETCH(QKeySequence, keys);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"help.html"_s);
        writeFile(path, "<html><body><h1>help</h1></body></html>");
        HelpWindowViewer viewer;
        QVERIFY(viewer.open(path));
        QVERIFY(QTest::qWaitForWindowActive(viewer.window()));
        // Not one of the windows whose closing ends the program (Qt's "last window closed" rule).
        QVERIFY(!viewer.window()->testAttribute(Qt::WA_QuitOnClose));
        QTest::keySequence(viewer.window(), keys);
        QTRY_VERIFY(!viewer.window());
    }

    // The charset named in a Content-Type, quoted either way, on one side only, or bare.
    void charsetForms_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("encoding");
        QTest::newRow("double quotes")
            << QByteArray("text/html; charset=\"Shift_JIS\"") << QByteArray("Shift_JIS");
        QTest::newRow("single quotes")
            << QByteArray("text/html; charset='Shift_JIS'") << QByteArray("Shift_JIS");
        QTest::newRow("bare") << QByteArray("text/html; charset=Shift_JIS") << QByteArray("Shift_JIS");
        QTest::newRow("opening quote only")
            << QByteArray("text/html; charset=\"Shift_JIS") << QByteArray("Shift_JIS");
        QTest::newRow("closing quote only")
            << QByteArray("text/html; charset=Shift_JIS\"") << QByteArray("Shift_JIS");
        QTest::newRow("quoted, blanks inside")
            << QByteArray("text/html;charset=\" EUC-JP \" ") << QByteArray("EUC-JP");
        QTest::newRow("quoted, parameter after")
            << QByteArray("text/html; charset=\"cp932\"; x=1") << QByteArray("Shift_JIS");
        QTest::newRow("quotes, nothing inside")
            << QByteArray("text/html; charset=\"\"") << QByteArray("UTF-8");
        QTest::newRow("one quote alone") << QByteArray("text/html; charset=\"") << QByteArray("UTF-8");
        QTest::newRow("none") << QByteArray("text/html") << QByteArray("UTF-8");
    }
    void charsetForms()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, encoding);
        const QString japanese = u"株価詳細【7203】トヨタ自動車 前日終値"_s;
        QStringEncoder encoder(encoding.constData());
        QVERIFY(encoder.isValid());
        const QByteArray body = encoder.encode(japanese);
        QCOMPARE(decodeBody(body, contentType), japanese);
    }

private:
    RawServer m_server, m_other{QHostAddress(u"127.0.0.2"_s)};
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
