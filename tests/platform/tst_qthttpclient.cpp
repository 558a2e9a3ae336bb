// The Qt network client against loopback servers run by the test itself: requests as given,
// answers, redirects, broken exchanges, body caps, compressed bodies and charsets.
#include "platform/qthttpclient.h"
#include "support/files.h"

#include <QSslKey>
#include <QSslServer>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
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

class TestQtHttpClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.isListening() && m_other.isListening());
        m_server.canned["/other"] =
            RawServer::answer("302 Found\r\nLocation: " + m_other.url(u"/status/200"_s).toEncoded());
    }

    // Requests as given: the query kept, the caller's headers, compressed answers accepted, the
    // program's name and Japanese asked for.
    void requestAsGiven_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("request line") << QByteArray("GET /status/200?a=1&b=%20x HTTP/1.1\r\n");
        QTest::newRow("caller's header") << QByteArray("\r\nX-Probe: one two\r\n");
        QTest::newRow("compression") << QByteArray("gzip, deflate\r\n");
        QTest::newRow("user agent") << QByteArray("\r\nUser-Agent: Tickora/9.8\r\n");
        QTest::newRow("language") << QByteArray("\r\nAccept-Language: ja\r\n");
    }
    void requestAsGiven()
    {
        QFETCH(QByteArray, line);
        QtHttpClient versioned({.managers = 1, .userAgent = "Tickora/9.8"}); // one connection pool will do
        QCOMPARE(getAndWait(versioned, m_server.url(u"/status/200?a=1&b=%20x"_s)).status, 200);
        QVERIFY2(m_server.lastRequest.contains(line), m_server.lastRequest.constData());
    }

    // Overloads (with their Retry-After) and Locations are whole answers; up to five redirects, same
    // host only; faults say why.
    void exchanges_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        const QByteArray none;
        QTest::newRow("overload") << m_server.url(u"/busy"_s) << 15000 << 429 << QByteArray("slow down");
        QTest::newRow("Location on a 403")
            << m_server.url(u"/located"_s) << 15000 << 403 << QByteArray("here");
        QTest::newRow("Location on a 201")
            << m_server.url(u"/located/201"_s) << 15000 << 201 << QByteArray("here");
        QTest::newRow("300 followed")
            << m_server.url(u"/located/300"_s) << 15000 << 200 << QByteArray("status 200");
        QTest::newRow("399 followed")
            << m_server.url(u"/located/399"_s) << 15000 << 200 << QByteArray("status 200");
        QTest::newRow("Location on a 400")
            << m_server.url(u"/located/400"_s) << 15000 << 400 << QByteArray("here");
        QTest::newRow("five redirects")
            << m_server.url(u"/hop/4"_s) << 15000 << 200 << QByteArray("status 200");
        QTest::newRow("six redirects") << m_server.url(u"/hop/5"_s) << 15000 << 0 << none;
        QTest::newRow("redirect to another host") << m_server.url(u"/other"_s) << 15000 << 0 << none;
        QTest::newRow("connection refused") << QUrl(u"http://127.0.0.1:1/"_s) << 15000 << 0 << none;
        QTest::newRow("not HTTP") << m_server.url(u"/not-http"_s) << 15000 << 0 << none;
        QTest::newRow("body cut short") << m_server.url(u"/cut/200"_s) << 15000 << 0 << none;
        QTest::newRow("404 cut short") << m_server.url(u"/cut/404"_s) << 15000 << 0 << none;
        QTest::newRow("too slow") << m_server.url(u"/drip"_s) << 400 << 0 << none;
    }
    void exchanges()
    {
        QFETCH(QUrl, url);
        QFETCH(int, timeoutMs);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QtHttpClient client({timeoutMs});
        const HttpResponse r = getAndWait(client, url);
        QCOMPARE(r.status, status);
        QCOMPARE(r.body, body);
        QVERIFY2(r.error.isEmpty() == (status != 0), qPrintable(r.error));
        QCOMPARE(r.header("retry-after"), status == 429 ? QByteArray("120") : QByteArray());
    }

    // Redirects stay on the first address's host; plain HTTP may go to TLS, never back.
    void redirectsAllowed_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("host in capitals, default port")
            << u"http://a.jp/x"_s << u"http://A.jp:80/y"_s << true;
        QTest::newRow("TLS to TLS") << u"https://a.jp/x"_s << u"https://a.jp/y"_s << true;
        QTest::newRow("another port to TLS") << u"http://a.jp:8080/x"_s << u"https://a.jp/y"_s << true;
        QTest::newRow("TLS to plain") << u"https://a.jp/x"_s << u"http://a.jp/y"_s << false;
        QTest::newRow("another port") << u"http://a.jp/x"_s << u"http://a.jp:8080/x"_s << false;
    }
    void redirectsAllowed()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, allowed);
        QCOMPARE(isRedirectAllowed(QUrl(u"http://a.jp/"_s), QUrl(from), QUrl(to)), allowed);
    }

    // A self-signed certificate is refused, after the handshake started.
    void selfSignedRefused()
    {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificateChain(QSslCertificate::fromPath(TICKORA_TEST_DATA "/selfsigned-cert.pem"_L1));
        tls.setPrivateKey(QSslKey(readFile(TICKORA_TEST_DATA "/selfsigned-key.pem"_L1), QSsl::Rsa));
        QSslServer server;
        server.setSslConfiguration(tls);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QtHttpClient http;
        const HttpResponse refused =
            getAndWait(http, QUrl(u"https://127.0.0.1:%1/"_s.arg(server.serverPort())));
        QVERIFY2(refused.status == 0 && refused.body.isEmpty() && refused.error.contains(u"self-signed"_s),
                 qPrintable(refused.error));
    }

    // A body past the client's cap, declared or chunked, or past a request's own smaller cap.
    void bodyCaps_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("declared length") << u"/size/"_s;
        QTest::newRow("chunked") << u"/chunked/"_s;
    }
    void bodyCaps()
    {
        QFETCH(QString, path);
        QtHttpClient capped({15000, 5000});
        QCOMPARE(getAndWait(capped, m_server.url(path + u"5000"_s)).body.size(), 5000);
        QCOMPARE(getAndWait(capped, m_server.url(path + u"5000"_s), 4999).status, 0);
        const HttpResponse over = getAndWait(capped, m_server.url(path + u"5001"_s));
        QVERIFY(over.status == 0 && over.body.isEmpty());
    }

    // Compressed bodies come inflated, and the cap holds for the inflated text.
    void compressedBodies()
    {
        QtHttpClient http, capped({15000, 5000});
        const QByteArray page = getAndWait(http, m_server.url(u"/gzip"_s)).body;
        QVERIFY(page.size() > 10000 && page.startsWith("<p>株価 2,648.5"));
        QCOMPARE(getAndWait(http, m_server.url(u"/deflate"_s)).body, page);
        QCOMPARE(getAndWait(capped, m_server.url(u"/gzip/5000"_s)).body, page.left(5000));
    }

    // Past the cap once inflated, or a bomb no cap of 16 MB would stop: refused with a reason.
    void compressedRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("cap");
        QTest::newRow("past the cap inflated") << u"/gzip/5001"_s << qint64(5000);
        QTest::newRow("bomb, the usual cap") << u"/bomb"_s << QtHttpClient::Limits{}.maxBodyBytes;
    }
    void compressedRefused()
    {
        QFETCH(QString, path);
        QFETCH(qint64, cap);
        QtHttpClient http({15000, cap});
        const HttpResponse refused = getAndWait(http, m_server.url(path));
        QVERIFY2(refused.status == 0 && refused.body.isEmpty() && !refused.error.isEmpty(),
                 qPrintable(refused.error));
    }

    // Bodies decoded by the charset the answer names (its forms are read by decodeBody()).
    void charset()
    {
        const QString japanese = u"株価詳細【7203】トヨタ自動車 前日終値 ～ ①"_s;
        m_server.canned["/charset"] =
            RawServer::answer("200 OK\r\nContent-Type: text/html; charset=\"shift_jis\"",
                              QStringEncoder("Shift_JIS").encode(japanese));
        QtHttpClient http;
        QCOMPARE(getAndWait(http, m_server.url(u"/charset"_s)).text(), japanese);
    }

    // Callbacks go with their context: none is called once it is gone.
    void callbacksGoWithTheirContext()
    {
        QtHttpClient http;
        auto* context = new QObject;
        bool called = false;
        http.get({m_server.url(u"/status/200"_s), {}}, context, [&](const HttpResponse&) { called = true; });
        delete context;
        QCOMPARE(getAndWait(http, m_server.url(u"/status/200"_s)).status, 200);
        QTest::qWait(50);
        QVERIFY(!called);
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

private:
    RawServer m_server, m_other{QHostAddress(u"127.0.0.2"_s)};
};

QTEST_GUILESS_MAIN(TestQtHttpClient)
#include "tst_qthttpclient.moc"
