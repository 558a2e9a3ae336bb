// The production HTTP client against a loopback server run by the test itself.
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

const QString Japanese = u"株価詳細【7203】トヨタ自動車 前日終値 ～ ①"_s;

/// cpp-httplib server on a loopback address (127.0.0.1 unless told), a free port, its own thread.
/// Handlers that wait (silence, slow drip) end as soon as the server is being stopped.
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
        // What arrived: the request target and every header, one per line.
        m_server.Get("/echo.*", [](const httplib::Request& req, httplib::Response& res) {
            std::string body = "target=" + req.target + "\n";
            for (const auto& [name, value] : req.headers)
                body += "header " + name + "=" + value + "\n";
            res.set_content(body, "text/plain");
        });
        m_server.Get(R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            res.status = std::stoi(req.matches[1]);
            res.set_content("status " + std::string(req.matches[1]), "text/plain");
        });
        m_server.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
            waitWhile(20000);
            res.set_content("late", "text/plain");
        });
        // One byte every 50 ms with a declared length: data keeps coming, the body never ends soon.
        m_server.Get("/drip", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(400, "text/plain", [this](size_t, size_t, httplib::DataSink& sink) {
                if (m_stopping)
                    return false;
                waitWhile(50);
                return sink.write("x", 1);
            });
        });
        m_server.Get("/cut/length", [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(10000, "text/plain", [](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset > 0)
                    return false;
                return sink.write(std::string(100, 'a').data(), 100);
            });
        });
        m_server.Get(R"(/size/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(std::string(std::stoul(req.matches[1]), 'b'), "text/plain");
        });
        m_server.Get(R"(/chunked/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            const size_t total = std::stoul(req.matches[1]);
            res.set_chunked_content_provider("text/plain", [total](size_t offset, httplib::DataSink& sink) {
                if (offset >= total) {
                    sink.done();
                    return true;
                }
                const size_t n = std::min<size_t>(4096, total - offset);
                return sink.write(std::string(n, 'c').data(), n);
            });
        });
        m_server.Get("/redirect/same", [this](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("http://127.0.0.1:" + std::to_string(m_port) + "/status/200");
        });
        // Redirects to the address in the query.
        m_server.Get("/redirect/to", [](const httplib::Request& req, httplib::Response& res) {
            res.set_redirect(req.get_param_value("u"));
        });
        // A chain of n relative redirects on this server, ending in "status 200".
        m_server.Get(R"(/redirect/hops/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
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
    HttpResponse result;
    bool done = false;
    http.get({url, headers, maxBodyBytes}, nullptr, [&](const HttpResponse& r) {
        result = r;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 30000))
        qWarning("request did not finish");
    return result;
}

} // namespace

class TestQtHttpClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void headersAsGiven();
    void connectionRefused();
    void notHttp();
    void resetMidBody();
    void silentServerTimesOut();
    void slowDripTimesOut();
    void bodyCap_data();
    void bodyCap();
    void redirectRule_data();
    void redirectRule();
    void redirects_data();
    void redirects();
    void selfSignedCertificateRefused();
    void charsets_data();
    void charsets();
    void callbackDroppedWithContext();

private:
    std::unique_ptr<LoopbackServer> m_server;
};

void TestQtHttpClient::initTestCase()
{
    m_server = std::make_unique<LoopbackServer>();
    QVERIFY(m_server->port() > 0);
}

void TestQtHttpClient::cleanupTestCase()
{
    m_server.reset();
}

void TestQtHttpClient::headersAsGiven()
{
    QtHttpClient http;
    const HttpResponse r = getAndWait(http, m_server->url(u"/echo?a=1&b=%20x"_s), {{"X-Probe", "one two"}});
    QCOMPARE(r.status, 200);
    const QString body = r.text();
    QVERIFY2(body.startsWith(u"target=/echo?a=1&b=%20x\n"_s), qPrintable(body));
    QVERIFY2(body.contains(u"header X-Probe=one two\n"_s), qPrintable(body));
    QVERIFY2(!body.contains(u"If-Modified-Since"_s, Qt::CaseInsensitive), qPrintable(body));
    // Bodies are asked for uncompressed, so the size cap counts what is held.
    QVERIFY2(body.contains(u"header Accept-Encoding=identity\n"_s), qPrintable(body));
}

void TestQtHttpClient::connectionRefused()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    QtHttpClient http;
    const HttpResponse r =
        getAndWait(http, QUrl(u"http://127.0.0.1:%1/stocks/detail/?code=7203"_s.arg(port)));
    QCOMPARE(r.status, 0);
    QVERIFY(!r.isSuccess());
    QVERIFY(!r.error.isEmpty());
}

// A peer that answers something that is not HTTP at all gives no status.
void TestQtHttpClient::notHttp()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    connect(&server, &QTcpServer::newConnection, &server, [&server] {
        QTcpSocket* s = server.nextPendingConnection();
        connect(s, &QTcpSocket::readyRead, s, [s] {
            s->readAll();
            s->write("SSH-2.0-OpenSSH_9.2\r\ngarbage\r\n\r\n");
            s->disconnectFromHost();
        });
    });
    QtHttpClient http;
    const HttpResponse r = getAndWait(http, QUrl(u"http://127.0.0.1:%1/"_s.arg(server.serverPort())));
    QVERIFY(!r.isSuccess());
    QCOMPARE(r.status, 0);
}

// The declared length is never reached: the connection ends part-way through the body.
void TestQtHttpClient::resetMidBody()
{
    QtHttpClient http;
    const HttpResponse r = getAndWait(http, m_server->url(u"/cut/length"_s));
    QVERIFY2(!r.isSuccess(), qPrintable(u"status %1, %2 bytes"_s.arg(r.status).arg(r.body.size())));
    QCOMPARE(r.status, 0);
    QVERIFY(r.body.isEmpty());
}

void TestQtHttpClient::silentServerTimesOut()
{
    QtHttpClient::Limits limits;
    limits.transferTimeoutMs = 300;
    QtHttpClient http(limits);
    const HttpResponse r = getAndWait(http, m_server->url(u"/silent"_s));
    QCOMPARE(r.status, 0);
    QVERIFY(!r.error.isEmpty());
}

// Bytes that keep trickling in do not keep a request alive past its time limit.
void TestQtHttpClient::slowDripTimesOut()
{
    QtHttpClient::Limits limits;
    limits.transferTimeoutMs = 400;
    QtHttpClient http(limits);
    const HttpResponse r = getAndWait(http, m_server->url(u"/drip"_s));
    QCOMPARE(r.status, 0);
    QVERIFY(!r.isSuccess());
}

void TestQtHttpClient::bodyCap_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("success");
    QTest::newRow("declared length at the cap") << u"/size/5000"_s << true;
    QTest::newRow("declared length over the cap") << u"/size/5001"_s << false;
    QTest::newRow("chunked at the cap") << u"/chunked/5000"_s << true;
    QTest::newRow("chunked over the cap") << u"/chunked/50000"_s << false;
}

void TestQtHttpClient::bodyCap()
{
    QFETCH(QString, path);
    QFETCH(bool, success);
    QtHttpClient::Limits limits;
    limits.maxBodyBytes = 5000;
    QtHttpClient http(limits);
    const HttpResponse r = getAndWait(http, m_server->url(path));
    QCOMPARE(r.isSuccess(), success);
    if (success) {
        QCOMPARE(r.body.size(), 5000);
        // A request's own smaller cap holds too.
        QCOMPARE(getAndWait(http, m_server->url(path), {}, 4999).status, 0);
    } else {
        QCOMPARE(r.status, 0);
        QVERIFY(r.body.isEmpty());
    }
}

void TestQtHttpClient::redirectRule_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("same host and port") << u"http://a.jp/x"_s << u"http://A.jp:80/y"_s << true;
    QTest::newRow("upgrade to https") << u"http://a.jp:8080/x"_s << u"https://a.jp/y"_s << true;
    QTest::newRow("downgrade to http") << u"https://a.jp/x"_s << u"http://a.jp/y"_s << false;
    QTest::newRow("sub-domain") << u"http://a.jp/x"_s << u"http://evil.a.jp/x"_s << false;
    QTest::newRow("other port") << u"http://a.jp/x"_s << u"http://a.jp:8080/x"_s << false;
    QTest::newRow("file") << u"http://a.jp/x"_s << u"file:///etc/passwd"_s << false;
}

void TestQtHttpClient::redirectRule()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, allowed);
    QCOMPARE(isRedirectAllowed(QUrl(u"http://a.jp/"_s), QUrl(from), QUrl(to)), allowed);
}

void TestQtHttpClient::redirects_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("followed");
    QTest::newRow("same host") << u"/redirect/same"_s << true;
    QTest::newRow("five hops") << u"/redirect/hops/4"_s << true;
    QTest::newRow("six hops") << u"/redirect/hops/5"_s << false;
    QTest::newRow("other loopback address") << u"/redirect/to?u=http://127.0.0.2:%1/status/200"_s << false;
}

void TestQtHttpClient::redirects()
{
    QFETCH(QString, path);
    QFETCH(bool, followed);
    LoopbackServer other("127.0.0.2");
    QVERIFY(other.port() > 0);
    QtHttpClient http;
    const HttpResponse r =
        getAndWait(http, m_server->url(QString(path).replace(u"%1"_s, QString::number(other.port()))));
    if (followed) {
        QCOMPARE(r.status, 200);
        QCOMPARE(r.body, QByteArray("status 200"));
    } else {
        QCOMPARE(r.status, 0);
        QVERIFY(r.body.isEmpty());
    }
    // The other address does answer, so a refusal is the client's.
    QCOMPARE(getAndWait(http, other.url(u"/status/200"_s)).status, 200);
}

void TestQtHttpClient::selfSignedCertificateRefused()
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
    // The server does answer to a client that does not check who it is.
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
void TestQtHttpClient::charsets_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    const QByteArray sjis = QStringEncoder("Shift_JIS").encode(Japanese);
    QTest::newRow("quoted lower-case shift_jis") << QByteArray("text/html; charset=\"shift_jis\"") << sjis;
    QTest::newRow("windows-31j") << QByteArray("text/html;charset=Windows-31J") << sjis;
    QTest::newRow("EUC-JP") << QByteArray("text/html; charset=EUC-JP")
                            << QByteArray(QStringEncoder("EUC-JP").encode(Japanese));
    QTest::newRow("no charset: UTF-8") << QByteArray("text/html") << Japanese.toUtf8();
}

void TestQtHttpClient::charsets()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QCOMPARE(decodeBody(body, contentType), Japanese);
}

void TestQtHttpClient::callbackDroppedWithContext()
{
    QtHttpClient http;
    auto* context = new QObject;
    bool called = false;
    http.get({m_server->url(u"/status/200"_s), {}}, context, [&](const HttpResponse&) { called = true; });
    delete context;
    // A later request on the same client still answers, and the first callback never ran.
    const HttpResponse r = getAndWait(http, m_server->url(u"/status/200"_s));
    QCOMPARE(r.status, 200);
    QTest::qWait(50);
    QVERIFY(!called);
}

QTEST_GUILESS_MAIN(TestQtHttpClient)
#include "tst_qthttpclient.moc"
