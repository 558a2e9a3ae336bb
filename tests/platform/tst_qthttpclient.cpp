// The production HTTP client against loopback servers run by the test itself.
#include "platform/qthttpclient.h"

#include <httplib.h>

#include <QScopeGuard>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

/// cpp-httplib server on a loopback address, a free port, its own thread. Handlers that wait
/// (silence, slow drip) end as soon as the server is being stopped.
class LoopbackServer
{
public:
    explicit LoopbackServer(std::string host = "127.0.0.1") : m_host(std::move(host))
    {
        routes();
        m_port = m_server.bind_to_any_port(m_host);
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoopbackServer()
    {
        m_stopping = true;
        m_server.stop();
        m_thread.join();
    }
    QUrl url(const QString& pathAndQuery) const
    {
        return QUrl(u"http://%1:%2"_s.arg(QString::fromStdString(m_host)).arg(m_port) + pathAndQuery);
    }
    int port() const { return m_port; }

private:
    void waitWhile(int ms) const
    {
        for (int waited = 0; waited < ms && !m_stopping; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    void routes()
    {
        using Req = const httplib::Request&;
        using Res = httplib::Response&;
        // What arrived: the request target and every header, one per line.
        m_server.Get("/echo.*", [](Req req, Res res) {
            std::string body = "target=" + req.target + "\n";
            for (const auto& [name, value] : req.headers)
                body += "header " + name + "=" + value + "\n";
            res.set_content(body, "text/plain");
        });
        m_server.Get(R"(/status/(\d+))", [](Req req, Res res) {
            res.status = std::stoi(req.matches[1]);
            res.set_content("status " + std::string(req.matches[1]), "text/plain");
        });
        m_server.Get("/silent", [this](Req, Res res) {
            waitWhile(20000);
            res.set_content("late", "text/plain");
        });
        // One byte every 50 ms with a declared length: data keeps coming, the body never ends soon.
        m_server.Get("/drip", [this](Req, Res res) {
            res.set_content_provider(400, "text/plain", [this](size_t, size_t, httplib::DataSink& sink) {
                waitWhile(50);
                return !m_stopping && sink.write("x", 1);
            });
        });
        // The connection ends part-way through the declared length.
        m_server.Get("/cut", [](Req, Res res) {
            res.set_content_provider(10000, "text/plain", [](size_t offset, size_t, httplib::DataSink& sink) {
                return offset == 0 && sink.write(std::string(100, 'a').data(), 100);
            });
        });
        m_server.Get(R"(/size/(\d+))", [](Req req, Res res) {
            res.set_content(std::string(std::stoul(req.matches[1]), 'b'), "text/plain");
        });
        m_server.Get(R"(/chunked/(\d+))", [](Req req, Res res) {
            const size_t total = std::stoul(req.matches[1]);
            res.set_chunked_content_provider("text/plain", [total](size_t offset, httplib::DataSink& sink) {
                const size_t n = std::min<size_t>(4096, total - offset);
                if (n == 0)
                    sink.done();
                return n == 0 || sink.write(std::string(n, 'c').data(), n);
            });
        });
        // Redirects to the address in the query, or a chain of n relative redirects.
        m_server.Get("/redirect/to", [](Req req, Res res) { res.set_redirect(req.get_param_value("u")); });
        m_server.Get(R"(/redirect/hops/(\d+))", [](Req req, Res res) {
            const int n = std::stoi(req.matches[1]);
            res.set_redirect(n > 0 ? "/redirect/hops/" + std::to_string(n - 1) : "/status/200");
        });
    }

    std::string m_host;
    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    int m_port = 0;
};

HttpResponse getAndWait(HttpClient& http, const QUrl& url, QList<QPair<QByteArray, QByteArray>> headers = {},
                        qint64 maxBodyBytes = 0)
{
    std::optional<HttpResponse> result;
    http.get({url, headers, maxBodyBytes}, nullptr, [&](const HttpResponse& r) { result = r; });
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
        m_server = std::make_unique<LoopbackServer>();
        QVERIFY(m_server->port() > 0);
        // A peer that answers something that is not HTTP at all.
        QVERIFY(m_notHttp.listen(QHostAddress::LocalHost));
        connect(&m_notHttp, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = m_notHttp.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [s] {
                s->readAll();
                s->write("SSH-2.0-OpenSSH_9.2\r\ngarbage\r\n\r\n");
                s->disconnectFromHost();
            });
        });
    }
    void cleanupTestCase() { m_server.reset(); }

    void headersAsGiven()
    {
        QtHttpClient http;
        const HttpResponse r =
            getAndWait(http, m_server->url(u"/echo?a=1&b=%20x"_s), {{"X-Probe", "one two"}});
        QCOMPARE(r.status, 200);
        const QString body = r.text();
        QVERIFY2(body.startsWith(u"target=/echo?a=1&b=%20x\n"_s), qPrintable(body));
        QVERIFY2(body.contains(u"header X-Probe=one two\n"_s), qPrintable(body));
        // Bodies are asked for uncompressed, so the size cap counts what is held.
        QVERIFY2(body.contains(u"header Accept-Encoding=identity\n"_s), qPrintable(body));
    }

    // Every broken exchange ends once, without a status or a body, and says why.
    void transportFaults_data()
    {
        QTest::addColumn<QString>("path"); // on the loopback server, or another peer's address
        QTest::addColumn<int>("timeoutMs");
        QTest::newRow("refused") << u"refused"_s << 15000;
        QTest::newRow("not HTTP") << u"not HTTP"_s << 15000;
        QTest::newRow("reset mid body") << u"/cut"_s << 15000;
        QTest::newRow("silent server") << u"/silent"_s << 300;
        QTest::newRow("slow drip") << u"/drip"_s << 400;
    }
    void transportFaults()
    {
        QFETCH(QString, path);
        QFETCH(int, timeoutMs);
        QUrl url = m_server->url(path);
        if (path == u"not HTTP")
            url = QUrl(u"http://127.0.0.1:%1/"_s.arg(m_notHttp.serverPort()));
        if (path == u"refused") {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            url = QUrl(u"http://127.0.0.1:%1/"_s.arg(probe.serverPort()));
            probe.close(); // nobody listens there any more
        }
        QtHttpClient::Limits limits;
        limits.transferTimeoutMs = timeoutMs;
        QtHttpClient http(limits);
        const HttpResponse r = getAndWait(http, url);
        QCOMPARE(r.status, 0);
        QVERIFY(r.body.isEmpty());
        QVERIFY(!r.error.isEmpty());
    }

    void bodyCap_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("success");
        QTest::newRow("declared length at the cap") << u"/size/5000"_s << true;
        QTest::newRow("declared length over the cap") << u"/size/5001"_s << false;
        QTest::newRow("chunked at the cap") << u"/chunked/5000"_s << true;
        QTest::newRow("chunked over the cap") << u"/chunked/50000"_s << false;
    }
    void bodyCap()
    {
        QFETCH(QString, path);
        QFETCH(bool, success);
        QtHttpClient::Limits limits;
        limits.maxBodyBytes = 5000;
        QtHttpClient http(limits);
        const HttpResponse r = getAndWait(http, m_server->url(path));
        QCOMPARE(r.status, success ? 200 : 0);
        QCOMPARE(r.body.size(), success ? 5000 : 0);
        if (success) // a request's own smaller cap holds too
            QCOMPARE(getAndWait(http, m_server->url(path), {}, 4999).status, 0);
    }

    void redirectRule_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("same host and port") << u"http://a.jp/x"_s << u"http://A.jp:80/y"_s << true;
        QTest::newRow("https to https") << u"https://a.jp/x"_s << u"https://a.jp/y"_s << true;
        QTest::newRow("upgrade to https") << u"http://a.jp:8080/x"_s << u"https://a.jp/y"_s << true;
        QTest::newRow("downgrade to http") << u"https://a.jp/x"_s << u"http://a.jp/y"_s << false;
        QTest::newRow("sub-domain") << u"http://a.jp/x"_s << u"http://evil.a.jp/x"_s << false;
        QTest::newRow("other port") << u"http://a.jp/x"_s << u"http://a.jp:8080/x"_s << false;
        QTest::newRow("file") << u"http://a.jp/x"_s << u"file:///etc/passwd"_s << false;
    }
    void redirectRule()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, allowed);
        QCOMPARE(isRedirectAllowed(QUrl(u"http://a.jp/"_s), QUrl(from), QUrl(to)), allowed);
    }

    void redirects_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("followed");
        QTest::newRow("same host") << u"/redirect/to?u=http://127.0.0.1:%2/status/200"_s << true;
        QTest::newRow("five hops") << u"/redirect/hops/4"_s << true;
        QTest::newRow("six hops") << u"/redirect/hops/5"_s << false;
        QTest::newRow("other loopback address")
            << u"/redirect/to?u=http://127.0.0.2:%1/status/200"_s << false;
    }
    void redirects()
    {
        QFETCH(QString, path);
        QFETCH(bool, followed);
        LoopbackServer other("127.0.0.2");
        QtHttpClient http;
        const HttpResponse r =
            getAndWait(http, m_server->url(QString(path)
                                               .replace(u"%1"_s, QString::number(other.port()))
                                               .replace(u"%2"_s, QString::number(m_server->port()))));
        QCOMPARE(r.status, followed ? 200 : 0);
        QCOMPARE(r.body, followed ? QByteArray("status 200") : QByteArray());
        // The other address does answer, so a refusal is the client's.
        QCOMPARE(getAndWait(http, other.url(u"/status/200"_s)).status, 200);
    }

    void selfSignedCertificateRefused()
    {
        httplib::SSLServer server(TICKORA_TEST_DATA "/selfsigned-cert.pem",
                                  TICKORA_TEST_DATA "/selfsigned-key.pem");
        QVERIFY(server.is_valid());
        server.Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("prices", "text/plain");
        });
        const int port = server.bind_to_any_port("127.0.0.1");
        std::thread thread([&] { server.listen_after_bind(); });
        auto stop = qScopeGuard([&] {
            server.stop();
            thread.join();
        });
        // The server does answer a client that does not check who it is.
        httplib::SSLClient unchecked("127.0.0.1", port);
        unchecked.enable_server_certificate_verification(false);
        const auto answer = unchecked.Get("/");
        QVERIFY(answer && answer->status == 200);

        QtHttpClient http;
        const HttpResponse r = getAndWait(http, QUrl(u"https://127.0.0.1:%1/"_s.arg(port)));
        QCOMPARE(r.status, 0);
        QVERIFY(r.body.isEmpty());
        QVERIFY(!r.error.isEmpty());
    }

    // Bodies are decoded by the charset the server names, CP932 under all its names.
    void charsets_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("body");
        const QByteArray sjis = QStringEncoder("Shift_JIS").encode(Japanese);
        QTest::newRow("quoted lower-case shift_jis")
            << QByteArray("text/html; charset=\"shift_jis\"") << sjis;
        QTest::newRow("windows-31j") << QByteArray("text/html;charset=Windows-31J") << sjis;
        QTest::newRow("EUC-JP") << QByteArray("text/html; charset=EUC-JP")
                                << QByteArray(QStringEncoder("EUC-JP").encode(Japanese));
        QTest::newRow("no charset: UTF-8") << QByteArray("text/html") << Japanese.toUtf8();
    }
    void charsets()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, body);
        QCOMPARE(decodeBody(body, contentType), Japanese);
    }

    void callbackDroppedWithContext()
    {
        QtHttpClient http;
        auto* context = new QObject;
        bool called = false;
        http.get({m_server->url(u"/status/200"_s), {}}, context, [&](const HttpResponse&) { called = true; });
        delete context;
        // A later request on the same client still answers, and the first callback never ran.
        QCOMPARE(getAndWait(http, m_server->url(u"/status/200"_s)).status, 200);
        QTest::qWait(50);
        QVERIFY(!called);
    }

private:
    const QString Japanese = u"株価詳細【7203】トヨタ自動車 前日終値 ～ ①"_s;
    std::unique_ptr<LoopbackServer> m_server;
    QTcpServer m_notHttp;
};

QTEST_GUILESS_MAIN(TestQtHttpClient)
#include "tst_qthttpclient.moc"
