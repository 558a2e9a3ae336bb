// The market server on loopback: pages and charts over HTTP, every fault mode, the control
// endpoints, parallel delayed answers, and the program's options.

#include "server.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <future>

using namespace Qt::StringLiterals;
using namespace tickora::market;

namespace {

struct RawReply
{
    QByteArray head; ///< status line and headers
    QByteArray body;
    bool complete = false; ///< the server closed the connection cleanly after the whole body
    QAbstractSocket::SocketError error = QAbstractSocket::UnknownSocketError;
};

/// Sends a request line exactly as given and reads for at most `ms` milliseconds.
RawReply rawGet(int port, const QByteArray& target, int ms)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, quint16(port));
    RawReply r;
    if (!socket.waitForConnected(2000))
        return r;
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    socket.flush();
    QByteArray all;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && socket.state() == QAbstractSocket::ConnectedState) {
        socket.waitForReadyRead(50);
        all += socket.readAll();
    }
    all += socket.readAll();
    r.error = socket.error();
    const qsizetype split = all.indexOf("\r\n\r\n");
    r.head = split < 0 ? all : all.left(split);
    r.body = split < 0 ? QByteArray() : all.mid(split + 4);
    r.complete = socket.state() != QAbstractSocket::ConnectedState &&
                 r.error == QAbstractSocket::RemoteHostClosedError;
    return r;
}

qsizetype contentLength(const QByteArray& head)
{
    for (const QByteArray& line : head.split('\n'))
        if (line.toLower().startsWith("content-length:"))
            return line.mid(15).trimmed().toLongLong();
    return -1;
}

QList<Listing> listings()
{
    return {{u"1301"_s, u"極洋"_s}, {u"7203"_s, u"トヨタ自動車"_s}, {u"9984"_s, u"ソフトバンクグループ"_s}};
}

} // namespace

class TestMarketServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void listensOnLoopbackOnly();
    void quotePages();
    void nikkeiPageMoves();
    void chartImages_data();
    void chartImages();
    void statusFaults_data();
    void statusFaults();
    void garbage();
    void huge();
    void resetMidBody();
    void hangUntilClientGivesUp();
    void dripOneByteASecond();
    void controlEndpointSwitchesFaults();
    void faultOnlyOnPrefix();
    void randomFaults();
    void delayedAnswersRunInParallel();
    void strayBodiesRefused();
    void connectionQueueBounded();
    void programOptions();

private:
    httplib::Result get(const std::string& path, int timeoutSec = 5)
    {
        httplib::Client client("127.0.0.1", m_port);
        client.set_read_timeout(timeoutSec, 0);
        client.set_connection_timeout(2, 0);
        return client.Get(path.c_str());
    }

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;
};

void TestMarketServer::initTestCase()
{
    ServerOptions options;
    options.seed = 3;
    options.firstDay = QDate(2020, 7, 17);
    m_server = std::make_unique<MarketServer>(listings(), options);
    m_port = m_server->startInBackground(0);
    QVERIFY(m_port > 0);
}

void TestMarketServer::init()
{
    m_server->setFault(FaultMode{});
    m_server->setLatency(0);
    m_server->setFaultRate(0);
}

void TestMarketServer::cleanupTestCase()
{
    m_server.reset();
}

void TestMarketServer::listensOnLoopbackOnly()
{
    QFile tcp(u"/proc/net/tcp"_s);
    if (!tcp.open(QIODevice::ReadOnly))
        QSKIP("no /proc/net/tcp here");
    const QByteArray portHex = QByteArray::number(m_port, 16).toUpper().rightJustified(4, '0');
    bool found = false;
    for (const QByteArray& line : tcp.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 3 && f[1].endsWith(QByteArray(":" + portHex)) && f[3] == "0A") { // 0A: listening
            QCOMPARE(f[1], "0100007F:" + portHex);
            found = true;
        }
    }
    QVERIFY(found);
}

void TestMarketServer::quotePages()
{
    auto res = get("/stocks/detail/?code=7203");
    QVERIFY(res);
    QCOMPARE(res->status, 200);
    QCOMPARE(res->get_header_value("Content-Type"), std::string("text/html; charset=UTF-8"));
    const QString page = QString::fromStdString(res->body);
    QVERIFY(page.contains(u"【7203】トヨタ自動車株"_s));
    QVERIFY(page.contains(u"株価詳細"_s));

    res = get("/stocks/detail/?code=0000");
    QVERIFY(res);
    QCOMPARE(res->status, 200);
    QVERIFY(!QString::fromStdString(res->body).contains(u"株価詳細"_s));
}

void TestMarketServer::nikkeiPageMoves()
{
    auto a = get("/nkave");
    auto b = get("/nkave");
    QVERIFY(a && b);
    QCOMPARE(a->status, 200);
    QVERIFY(QString::fromStdString(a->body).contains(u"cmn-index_value no-bg"_s));
    QVERIFY(a->body != b->body);
}

void TestMarketServer::chartImages_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QSize>("size");
    QTest::newRow("1 year") << "/b?s=7203.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_ba << QSize(512, 400);
    QTest::newRow("6 months raw quote")
        << "/z?s=7203.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=\""_ba << QSize(512, 390);
    QTest::newRow("6 months %22") << "/z?s=7203.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=%22"_ba
                                  << QSize(512, 390);
    QTest::newRow("nikkei 6 months") << "/z?s=998407.O&t=6m&q=c&l=off&z=m&p=m65,m130&a=r,w&c="_ba
                                     << QSize(537, 377);
    QTest::newRow("large thumbnail") << "/f?s=7203.T"_ba << QSize(288, 180);
    QTest::newRow("small thumbnail") << "/t?s=9984.T"_ba << QSize(200, 126);
    QTest::newRow("unlisted thumbnail") << "/t?s=4444.T"_ba << QSize(200, 126);
    QTest::newRow("nikkei intraday") << "/gifdata/nk_chart_L.gif"_ba << QSize(256, 200);
    QTest::newRow("ny nikkei") << "/chart/nka_l.gif"_ba << QSize(256, 200);
    QTest::newRow("advance decline") << "/Pics/Stock/Day/K001881.GIF"_ba << QSize(600, 400);
    QTest::newRow("dow")
        << "/rakutensecj/common/analytic.jsp?ric=.DJI&per=1&width=755&height=400&tp=0&sma=1&vol=1"_ba
        << QSize(755, 400);
    QTest::newRow("dow other") << "/rakutensecj/common/analytic.jsp?ric=.DJI&width=640&height=300"_ba
                               << QSize(640, 300);
    QTest::newRow("dollar yen")
        << "/asp4gif/japan_gif.asp?code=JPY&exch=CU&type=2&interval=3&upper=0&lower=0&x=360&y=360&barno=100"_ba
        << QSize(360, 360);
    QTest::newRow("dollar yen other")
        << "/asp4gif/japan_gif.asp?code=JPY&x=300&y=200&barno=50"_ba << QSize(300, 200);
}

void TestMarketServer::chartImages()
{
    QFETCH(QByteArray, target);
    QFETCH(QSize, size);
    const RawReply r = rawGet(m_port, target, 5000);
    QVERIFY2(r.head.startsWith("HTTP/1.1 200"), r.head.constData());
    QVERIFY(r.head.contains("image/png"));
    QCOMPARE(QImage::fromData(r.body).size(), size);
}

void TestMarketServer::statusFaults_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("status");
    QTest::newRow("500") << u"status:500"_s << 500;
    QTest::newRow("304") << u"status:304"_s << 304;
    QTest::newRow("404") << u"status:404"_s << 404;
    QTest::newRow("503") << u"status:503"_s << 503;
}

void TestMarketServer::statusFaults()
{
    QFETCH(QString, mode);
    QFETCH(int, status);
    m_server->setFault(*FaultMode::parse(mode));
    for (const char* path : {"/stocks/detail/?code=7203", "/nkave", "/f?s=7203.T"}) {
        auto res = get(path);
        QVERIFY(res);
        QCOMPARE(res->status, status);
        QVERIFY(res->body.find("株価詳細") == std::string::npos);
    }
}

void TestMarketServer::garbage()
{
    m_server->setFault(*FaultMode::parse(u"garbage"_s));
    auto a = get("/stocks/detail/?code=7203");
    auto b = get("/stocks/detail/?code=7203");
    QVERIFY(a && b);
    QCOMPARE(a->status, 200);
    QVERIFY(a->body.size() >= 4096);
    QVERIFY(a->body.find("株価詳細") == std::string::npos);
    QVERIFY(a->body != b->body);
    auto img = get("/f?s=7203.T");
    QVERIFY(img);
    QCOMPARE(img->status, 200);
    QVERIFY(QImage::fromData(QByteArray::fromStdString(img->body)).isNull());
}

void TestMarketServer::huge()
{
    m_server->setFault(*FaultMode::parse(u"huge:3"_s));
    auto res = get("/stocks/detail/?code=7203", 10);
    QVERIFY(res);
    QCOMPARE(res->status, 200);
    QCOMPARE(res->body.size(), size_t(3) << 20);
}

void TestMarketServer::resetMidBody()
{
    m_server->setFault(*FaultMode::parse(u"reset"_s));
    const RawReply r = rawGet(m_port, "/stocks/detail/?code=7203", 3000);
    QVERIFY2(r.head.startsWith("HTTP/1.1 200"), r.head.constData());
    const qsizetype length = contentLength(r.head);
    QVERIFY(length > 1000);
    QVERIFY2(r.body.size() < length, "the body is cut off");
    QCOMPARE(r.error, QAbstractSocket::RemoteHostClosedError);
}

void TestMarketServer::hangUntilClientGivesUp()
{
    m_server->setFault(*FaultMode::parse(u"hang"_s));
    auto pending = std::async(std::launch::async, [this] { return get("/stocks/detail/?code=7203", 1); });
    QTRY_COMPARE_WITH_TIMEOUT(m_server->heldAnswers(), 1, 2000);
    auto res = pending.get();
    QVERIFY2(!res, "no answer arrives");
    QCOMPARE(res.error(), httplib::Error::Read);
    // Once the client has gone, the server lets the connection go too.
    QTRY_COMPARE_WITH_TIMEOUT(m_server->heldAnswers(), 0, 3000);
}

void TestMarketServer::dripOneByteASecond()
{
    m_server->setFault(*FaultMode::parse(u"drip"_s));
    const RawReply r = rawGet(m_port, "/stocks/detail/?code=7203", 2300);
    QVERIFY2(r.head.startsWith("HTTP/1.1 200"), r.head.constData());
    QVERIFY(contentLength(r.head) > 1000);
    QVERIFY2(r.body.size() >= 1 && r.body.size() <= 4, qPrintable(QString::number(r.body.size())));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->heldAnswers(), 0, 4000);
}

void TestMarketServer::controlEndpointSwitchesFaults()
{
    auto res = get("/_control/fault?mode=status:500");
    QVERIFY(res);
    QCOMPARE(res->status, 200);
    QCOMPARE(get("/stocks/detail/?code=7203")->status, 500);

    res = get("/_control/fault?mode=bogus");
    QCOMPARE(res->status, 400);
    QCOMPARE(m_server->fault().toString(), u"status:500"_s);
    QCOMPARE(get("/_control/status")->status, 200); // control answers while faulted

    QCOMPARE(get("/_control/fault?mode=none")->status, 200);
    QCOMPARE(get("/stocks/detail/?code=7203")->status, 200);

    QCOMPARE(get("/_control/latency?ms=120")->status, 200);
    QElapsedTimer t;
    t.start();
    QCOMPARE(get("/nkave")->status, 200);
    QVERIFY(t.elapsed() >= 120);
    const std::string status = get("/_control/status")->body;
    QVERIFY2(status.find("\"latency_ms\":120") != std::string::npos, status.c_str());
    QVERIFY(status.find("\"fault\":\"none\"") != std::string::npos);
    QCOMPARE(get("/_control/latency?ms=-4")->status, 400);
}

void TestMarketServer::faultOnlyOnPrefix()
{
    QCOMPARE(get("/_control/fault?mode=status:503&path=/nkave")->status, 200);
    QCOMPARE(get("/nkave")->status, 503);
    QCOMPARE(get("/stocks/detail/?code=7203")->status, 200);
    QCOMPARE(get("/t?s=7203.T")->status, 200);
}

void TestMarketServer::randomFaults()
{
    QCOMPARE(get("/_control/fault-rate?p=1&mix=status:502")->status, 200);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(get("/stocks/detail/?code=1301")->status, 502);
    QCOMPARE(get("/_control/fault-rate?p=0.5&mix=status:502,status:503")->status, 200);
    int faulted = 0;
    for (int i = 0; i < 40; ++i)
        faulted += get("/stocks/detail/?code=1301")->status != 200;
    QVERIFY2(faulted > 5 && faulted < 35, qPrintable(QString::number(faulted)));
    QCOMPARE(get("/_control/fault-rate?p=2")->status, 400);
    QCOMPARE(get("/_control/fault-rate?p=0.1&mix=none")->status, 400);
    QCOMPARE(get("/_control/fault-rate?p=0")->status, 200);
    QCOMPARE(get("/stocks/detail/?code=1301")->status, 200);
}

void TestMarketServer::delayedAnswersRunInParallel()
{
    // 26 requests each delayed 400 ms: one after another they would need over 10 s.
    m_server->setLatency(400);
    QElapsedTimer t;
    t.start();
    std::vector<std::future<int>> answers;
    for (int i = 0; i < 26; ++i)
        answers.push_back(std::async(std::launch::async, [this, i] {
            auto res = get(i % 2 ? "/stocks/detail/?code=7203" : "/t?s=9984.T", 10);
            return res ? res->status : -1;
        }));
    for (auto& a : answers)
        QCOMPARE(a.get(), 200);
    QVERIFY2(t.elapsed() < 6000, qPrintable(QString::number(t.elapsed())));
}

void TestMarketServer::strayBodiesRefused()
{
    httplib::Client client("127.0.0.1", m_port);
    client.set_read_timeout(10, 0);
    const auto big = client.Post("/stocks/detail/?code=7203", std::string(1 << 20, 'x'), "text/plain");
    QVERIFY(big);
    QCOMPARE(big->status, 413);
    auto res = get("/stocks/detail/?code=7203");
    QVERIFY(res);
    QCOMPARE(res->status, 200);
}

void TestMarketServer::connectionQueueBounded()
{
    BoundedThreadPool pool(1, 2);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> ran{0};
    std::promise<void> started;
    pool.enqueue([&, released] {
        started.set_value();
        released.wait();
        ++ran;
    });
    started.get_future().wait();
    pool.enqueue([&] { ++ran; });
    pool.enqueue([&] { ++ran; });
    // The queue is full: the next enqueue waits for room instead of growing it.
    auto third = std::async(std::launch::async, [&] { pool.enqueue([&] { ++ran; }); });
    QCOMPARE(third.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    QCOMPARE(pool.queued(), size_t(2));
    release.set_value();
    third.wait();
    pool.shutdown();
    QCOMPARE(ran.load(), 4);
}

void TestMarketServer::programOptions()
{
    QProcess help;
    help.start(QStringLiteral(TICKORA_MARKET_BIN), {u"--help"_s});
    QVERIFY(help.waitForFinished(10000));
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const QString& option : {u"--port"_s, u"--seed"_s, u"--latency-ms"_s, u"--fault"_s,
                                  u"--fault-rate"_s, u"--codes"_s, u"/_control/fault"_s, u"drip"_s})
        QVERIFY2(text.contains(option), qPrintable(option));

    QProcess bad;
    bad.start(QStringLiteral(TICKORA_MARKET_BIN), {u"--fault"_s, u"sometimes"_s});
    QVERIFY(bad.waitForFinished(10000));
    QVERIFY(bad.exitCode() != 0);

    // A CP932 code list, as the program installs it.
    QTemporaryDir dir;
    QFile codes(dir.filePath(u"codes.csv"_s));
    QVERIFY(codes.open(QIODevice::WriteOnly));
    codes.write(QStringEncoder("Shift_JIS").encode(u"1301,\"極洋\"\r\n4444,\"模擬商事\"\r\n"_s));
    codes.close();

    QProcess market;
    market.start(QStringLiteral(TICKORA_MARKET_BIN),
                 {u"--port"_s, u"0"_s, u"--seed"_s, u"5"_s, u"--codes"_s, codes.fileName()});
    QVERIFY(market.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(market.canReadLine(), 10000);
    const QString line = QString::fromUtf8(market.readLine()).trimmed();
    QVERIFY2(line.startsWith(u"listening on http://127.0.0.1:"_s), qPrintable(line));
    const int port = line.section(u':', -1).toInt();
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(5, 0);
    auto res = client.Get("/stocks/detail/?code=4444");
    QVERIFY(res);
    QCOMPARE(res->status, 200);
    QVERIFY(res->body.find("<h1>模擬商事(株)</h1>") != std::string::npos);
    QVERIFY(client.Get("/stocks/detail/?code=7203")->body.find("株価詳細") == std::string::npos);
    market.kill();
    market.waitForFinished(5000);
}

QTEST_MAIN(TestMarketServer)
#include "tst_marketserver.moc"
