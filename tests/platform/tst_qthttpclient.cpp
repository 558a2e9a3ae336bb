// The production HTTP client against loopback servers run by the test itself.
#include "platform/qthttpclient.h"

#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

/// A loopback server speaking raw HTTP/1.1 on this thread: it writes the canned answer of the
/// request's path and closes, drips one byte every 50 ms for "/drip", and stays silent otherwise.
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
        canned["/cut"] = "HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + QByteArray(100, 'a');
        for (const int n : {5000, 5001}) {
            canned["/size/" + QByteArray::number(n)] = answer("200 OK", QByteArray(n, 'b'));
            canned["/chunked/" + QByteArray::number(n)] =
                "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1000\r\n" + QByteArray(4096, 'c') +
                "\r\n" + QByteArray::number(n - 4096, 16) + "\r\n" + QByteArray(n - 4096, 'c') +
                "\r\n0\r\n\r\n";
        }
        // A chain of relative redirects: "/hop/n" takes n + 1 of them to reach "/status/200".
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
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 30000))
        qWarning("request did not finish");
    return result.value_or(HttpResponse{});
}

} // namespace

class TestQtHttpClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.isListening() && m_other.isListening());
        m_server.canned["/same"] =
            RawServer::answer("302 Found\r\nLocation: " + m_server.url(u"/status/200"_s).toEncoded());
        m_server.canned["/other"] =
            RawServer::answer("302 Found\r\nLocation: " + m_other.url(u"/status/200"_s).toEncoded());
    }

    // The target as given, the caller's headers, and a request for an uncompressed body, so
    // that the size cap counts what is held.
    void requestAsGiven()
    {
        QtHttpClient http;
        QCOMPARE(getAndWait(http, m_server.url(u"/status/200?a=1&b=%20x"_s)).status, 200);
        for (const char* line : {"GET /status/200?a=1&b=%20x HTTP/1.1\r\n", "\r\nX-Probe: one two\r\n",
                                 "\r\nAccept-Encoding: identity\r\n"})
            QVERIFY2(m_server.lastRequest.contains(line), m_server.lastRequest.constData());
    }

    // Every broken exchange ends once, without a status or a body, and says why.
    void transportFaults()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QUrl refused(u"http://127.0.0.1:%1/"_s.arg(closed.serverPort()));
        closed.close();
        const std::pair<QUrl, int> cases[] = {{refused, 15000},
                                              {m_server.url(u"/not-http"_s), 15000},
                                              {m_server.url(u"/cut"_s), 15000},
                                              {m_server.url(u"/silent"_s), 300},
                                              {m_server.url(u"/drip"_s), 400}};
        for (const auto& [url, timeoutMs] : cases) {
            QtHttpClient http({timeoutMs});
            const HttpResponse r = getAndWait(http, url);
            QCOMPARE(r.status, 0);
            QVERIFY(r.body.isEmpty());
            QVERIFY2(!r.error.isEmpty(), qPrintable(url.toString()));
        }
    }

    // A body past the client's cap, declared or chunked, or past a request's own smaller cap.
    void bodyCap()
    {
        QtHttpClient http({15000, 5000});
        for (const QString& path : {u"/size/"_s, u"/chunked/"_s}) {
            QCOMPARE(getAndWait(http, m_server.url(path + u"5000"_s)).body.size(), 5000);
            QCOMPARE(getAndWait(http, m_server.url(path + u"5000"_s), 4999).status, 0);
            const HttpResponse over = getAndWait(http, m_server.url(path + u"5001"_s));
            QCOMPARE(over.status, 0);
            QVERIFY(over.body.isEmpty());
        }
    }

    void redirectRule()
    {
        const std::tuple<QString, QString, bool> cases[] = {
            {u"http://a.jp/x"_s, u"http://A.jp:80/y"_s, true},
            {u"https://a.jp/x"_s, u"https://a.jp/y"_s, true},
            {u"http://a.jp:8080/x"_s, u"https://a.jp/y"_s, true},
            {u"https://a.jp/x"_s, u"http://a.jp/y"_s, false},
            {u"http://a.jp/x"_s, u"http://evil.a.jp/x"_s, false},
            {u"http://a.jp/x"_s, u"http://a.jp:8080/x"_s, false},
            {u"http://a.jp/x"_s, u"file:///etc/passwd"_s, false},
        };
        for (const auto& [from, to, allowed] : cases)
            QVERIFY2(isRedirectAllowed(QUrl(u"http://a.jp/"_s), QUrl(from), QUrl(to)) == allowed,
                     qPrintable(to));
    }

    // Followed on the same host up to five times; never to another host, even a loopback one
    // that does answer.
    void redirects()
    {
        QtHttpClient http;
        for (const auto& [path, followed] : {std::pair(u"/same"_s, true), std::pair(u"/hop/4"_s, true),
                                             std::pair(u"/hop/5"_s, false), std::pair(u"/other"_s, false)}) {
            const HttpResponse r = getAndWait(http, m_server.url(path));
            QCOMPARE(r.status, followed ? 200 : 0);
            QCOMPARE(r.body, followed ? QByteArray("status 200") : QByteArray());
        }
        QCOMPARE(getAndWait(http, m_other.url(u"/status/200"_s)).status, 200);
    }

    void selfSignedCertificateRefused()
    {
        QFile key(QString::fromUtf8(TICKORA_TEST_DATA "/selfsigned-key.pem"));
        QVERIFY(key.open(QIODevice::ReadOnly));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificateChain(
            QSslCertificate::fromPath(QString::fromUtf8(TICKORA_TEST_DATA "/selfsigned-cert.pem")));
        tls.setPrivateKey(QSslKey(&key, QSsl::Rsa));
        QSslServer server;
        server.setSslConfiguration(tls);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QtHttpClient http;
        const HttpResponse r = getAndWait(http, QUrl(u"https://127.0.0.1:%1/"_s.arg(server.serverPort())));
        QCOMPARE(r.status, 0);
        QVERIFY(r.body.isEmpty());
        QVERIFY2(r.error.contains(u"self-signed"_s), qPrintable(r.error)); // the handshake went that far
    }

    // Bodies are decoded by the charset the server names, CP932 under all its names.
    void charsets()
    {
        const QString japanese = u"株価詳細【7203】トヨタ自動車 前日終値 ～ ①"_s;
        const QByteArray sjis = QStringEncoder("Shift_JIS").encode(japanese);
        const std::pair<QByteArray, QByteArray> cases[] = {
            {"text/html; charset=\"shift_jis\"", sjis},
            {"text/html;charset=Windows-31J", sjis},
            {"text/html; charset=EUC-JP", QStringEncoder("EUC-JP").encode(japanese)},
            {"text/html", japanese.toUtf8()},
        };
        for (const auto& [contentType, body] : cases)
            QCOMPARE(decodeBody(body, contentType), japanese);
    }

    void callbackDroppedWithContext()
    {
        QtHttpClient http;
        auto* context = new QObject;
        bool called = false;
        http.get({m_server.url(u"/status/200"_s), {}}, context, [&](const HttpResponse&) { called = true; });
        delete context;
        // A later request on the same client still answers, and the first callback never ran.
        QCOMPARE(getAndWait(http, m_server.url(u"/status/200"_s)).status, 200);
        QTest::qWait(50);
        QVERIFY(!called);
    }

private:
    RawServer m_server, m_other{QHostAddress(u"127.0.0.2"_s)};
};

QTEST_GUILESS_MAIN(TestQtHttpClient)
#include "tst_qthttpclient.moc"
