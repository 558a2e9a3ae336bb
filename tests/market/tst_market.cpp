// The simulated market: its pages read back through the program's own parsers, the walk keeps to
// the exchange's rules, and the server answers with charts, each fault mode and its controls.

#include "codelist.h"
#include "history.h"
#include "pages.h"
#include "quotes/nikkei.h"
#include "quotes/quoteparser.h"
#include "server.h"
#include "simulation.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <future>
#include <tuple>

using namespace Qt::StringLiterals;
using namespace tickora::market;

namespace {

tickora::QuoteFields parse(const std::string& body)
{
    return tickora::parseQuotePage(QString::fromStdString(body));
}

/// A request sent as given and read for at most `ms` milliseconds: the head, the body so far,
/// and the socket error that ended the reading (RemoteHostClosedError for a close or a reset).
struct RawReply
{
    QByteArray head, body;
    QAbstractSocket::SocketError error = QAbstractSocket::UnknownSocketError;
    qsizetype contentLength() const
    {
        const qsizetype at = head.toLower().indexOf("content-length:");
        return at < 0 ? -1 : head.mid(at + 15).split('\r').first().trimmed().toLongLong();
    }
};

RawReply rawGet(int port, const QByteArray& target, int ms)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, quint16(port));
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray all;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && socket.state() != QAbstractSocket::UnconnectedState) {
        socket.waitForReadyRead(50);
        all += socket.readAll();
    }
    const qsizetype split = all.indexOf("\r\n\r\n");
    return {all.left(split), split < 0 ? QByteArray() : all.mid(split + 4), socket.error()};
}

} // namespace

class TestMarket : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path, int timeoutSec = 5)
    {
        httplib::Client client("127.0.0.1", m_port);
        client.set_read_timeout(timeoutSec, 0);
        return client.Get(path);
    }

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    void initTestCase()
    {
        ServerOptions options;
        options.firstDay = QDate(2020, 7, 17);
        m_server = std::make_unique<MarketServer>(QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}}, options);
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
    }

    void init()
    {
        m_server->setFault(FaultMode{});
        m_server->setLatency(0);
        m_server->setFaultRate(0);
    }

    void quotePageReadsBack_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("prevClose");
        QTest::addColumn<int>("form"); // 1: limit up reached, 2: limit down reached, 4: delayed quote
        QTest::addColumn<QString>(
            "expected"); // price|change|high|low|time, as the program's parser cuts them
        QTest::newRow("up") << 1234.0 << 1219.0 << 0 << u"1,234|+15|1,240|1,210|15:00"_s;
        QTest::newRow("unchanged") << 1219.0 << 1219.0 << 0 << u"1,219|0|1,240|1,210|15:00"_s;
        // On a limit day the high or low reads back from the limit form alone: the labelled value is marked.
        QTest::newRow("limit up") << 1519.0 << 1219.0 << 1 << u"1,519|+300|1,519|1,210|15:00"_s;
        QTest::newRow("limit down, delayed")
            << 919.0 << 69990.0 << (2 | 4) << u"919|-69,071|1,240|919|9:45"_s;
    }

    void quotePageReadsBack()
    {
        QFETCH(double, price);
        QFETCH(double, prevClose);
        QFETCH(int, form);
        QFETCH(QString, expected);
        QuoteView q{.code = u"2593"_s, .shortName = u"伊藤園 優先株式"_s, .companyName = u"伊藤園(株)"_s};
        std::tie(q.price, q.prevClose, q.open, q.high, q.low, q.limitUp, q.limitDown) =
            std::tuple(price, prevClose, 1220.0, 1240.0, 1210.0, 1519.0, 919.0);
        q.volume = 987654300;
        q.limitUpReached = form & 1;
        q.limitDownReached = form & 2;
        q.realTime = !(form & 4);
        q.minute = q.realTime ? 15 * 60 : 10 * 60 + 5;
        const QString page = quotePage(q);
        QVERIFY2(page.toUtf8().size() > 20000, "a realistic page weighs tens of kilobytes");
        const tickora::QuoteFields f = tickora::parseQuotePage(page);
        QVERIFY(f.isDetailPage);
        // A 株 in the name ends the short name early, as on the real service.
        QCOMPARE(QStringList({f.shortName, f.name, f.prevClose, f.open, f.volume}).join(u'|'),
                 u"伊藤園 優先|伊藤園(株)|"_s + formatNumber(prevClose) + u"|1,220|987,654,300"_s);
        QCOMPARE(QStringList({f.price, f.change, f.high, f.low, f.time}).join(u'|'), expected);

        const QString notFound = notFoundPage(u"<script>"_s);
        QVERIFY(!tickora::parseQuotePage(notFound).isDetailPage);
        QVERIFY(notFound.contains(u"&lt;script&gt;"_s) && !notFound.contains(u"<script>"_s));
    }

    void nikkeiPageReadsBack_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("prevClose");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QString>("line");
        QTest::newRow("up") << 22717.48 << 22594.03 << 15 * 60 << u"日経平均 22,717.48 (+123.45) 15:00"_s;
        QTest::newRow("unchanged") << 38000.0 << 38000.0 << 9 * 60 + 5 << u"日経平均 38,000.00 (0.00) 9:05"_s;
        QTest::newRow("six figures, fall")
            << 123456.78 << 124557.0 << 14 * 60 + 59 << u"日経平均 123,456.78 (-1,100.22) 14:59"_s;
    }

    void nikkeiPageReadsBack()
    {
        QFETCH(double, value);
        QFETCH(double, prevClose);
        QFETCH(int, minute);
        QFETCH(QString, line);
        IndexView ix;
        ix.value = ix.open = ix.high = ix.low = value;
        ix.prevClose = prevClose;
        ix.minute = minute;
        QCOMPARE(tickora::nikkeiLine(nikkeiPage(ix)), line);
    }

    void exchangeTables()
    {
        // Each band of ticks and daily limits at its edge: price, tick, limit.
        for (const auto& [price, tick, limit] : {std::tuple{99.0, 1.0, 30.0},
                                                 {100.0, 1.0, 50.0},
                                                 {3000.0, 1.0, 700.0},
                                                 {3001.0, 5.0, 700.0},
                                                 {50001.0, 100.0, 10000.0}}) {
            QCOMPARE(tickSize(price), tick);
            QCOMPARE(priceLimitWidth(price), limit);
            // Rounding lands on a tick of the band it lands in, also across a band edge.
            for (double p : {price - 2.6, price + 3.7}) {
                const double r = roundToTick(p);
                QVERIFY2(std::fmod(r, tickSize(r)) == 0 &&
                             std::abs(r - p) <= std::max(tickSize(p), tickSize(r)),
                         qPrintable(QString::number(p)));
            }
        }
    }

    void walkKeepsTheRules()
    {
        InstrumentParams params = stockParams(11, u"7203"_s);
        params.dailySigma = 0.05; // lively, to reach the edges
        Instrument inst(99, params, QDate(2020, 7, 17));
        const qsizetype days = inst.history().size();
        QDate day = inst.date();
        double last = inst.price();
        int moves = 0;
        for (int i = 0; i < 2 * SessionSteps + 10; ++i) {
            const qint64 volume = inst.volume();
            inst.step();
            if (inst.date() != day) { // the day's close becomes the previous close of the next weekday
                QCOMPARE(inst.date(), nextWeekday(day));
                QCOMPARE(inst.prevClose(), last);
                QCOMPARE(inst.minute(), 9 * 60);
                day = inst.date();
            } else {
                QVERIFY(inst.volume() >= volume);
            }
            const double p = inst.price();
            moves += p != last;
            QCOMPARE(roundToTick(p), p);
            QVERIFY(p >= inst.limitDown() && p <= inst.limitUp() && inst.low() <= p && p <= inst.high());
            QVERIFY(inst.minute() <= 11 * 60 + 30 || inst.minute() >= 12 * 60 + 30);
            last = p;
        }
        QCOMPARE(inst.history().size(), days + 2);
        QVERIFY2(moves > SessionSteps / 3, "prices move between requests");
    }

    void sameSeedSameWalk()
    {
        QList<Listing> listings;
        for (int code = 1000; code < 1600; ++code)
            listings.append({QString::number(code), u"テスト"_s});
        const QDate day(2020, 7, 17);
        Market a(listings, 5, day, sessionStepAt(14 * 60)), b(listings, 5, day, sessionStepAt(14 * 60));
        Market c(listings, 6, day, sessionStepAt(14 * 60));
        int limitForms = 0, differs = 0;
        for (const Listing& l : std::as_const(listings)) {
            const QuoteView q = *a.nextQuote(l.code), same = *b.nextQuote(l.code);
            QCOMPARE(same.price, q.price);
            if (l.code < u"1010"_s) // the whole page for a few
                QCOMPARE(quotePage(q), quotePage(same));
            differs += q.price != c.nextQuote(l.code)->price;
            limitForms += q.limitUpReached || q.limitDownReached;
        }
        QVERIFY2(differs > 300, "another seed gives other prices");
        QVERIFY2(limitForms >= 3 && limitForms <= 60, qPrintable(QString::number(limitForms)));
        QCOMPARE(nikkeiPage(a.nextNikkei()), nikkeiPage(b.nextNikkei()));
        QVERIFY(!a.nextQuote(u"0000"_s));

        // The charts draw the walk the pages show.
        const QuoteView q = *a.nextQuote(u"1234"_s);
        const ChartSeries s = *a.stockSeries(u"1234.T"_s);
        QCOMPARE(s.ticks.last().price, q.price);
        QCOMPARE(s.bars.last().high, q.high);
        QCOMPARE(s.bars.last().volume, q.volume);
        QCOMPARE(s.prevClose, q.prevClose);
    }

    void listensOnLoopbackOnly()
    {
        QFile tcp(u"/proc/net/tcp"_s);
        if (!tcp.open(QIODevice::ReadOnly))
            QSKIP("no /proc/net/tcp here");
        const QByteArray port = ":" + QByteArray::number(m_port, 16).toUpper().rightJustified(4, '0');
        int listening = 0;
        for (const QByteArray& line : tcp.readAll().split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() > 3 && f[1].endsWith(port) && f[3] == "0A") { // 0A: listening
                QCOMPARE(f[1], "0100007F" + port);
                ++listening;
            }
        }
        QCOMPARE(listening, 1);
    }

    void chartImages_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QSize>("size");
        QTest::newRow("1 year") << "/b?s=7203.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_ba << QSize(512, 400);
        QTest::newRow("6 months, raw quote") << "/z?s=7203.T&t=6m&a=v,r&c=\""_ba << QSize(512, 390);
        QTest::newRow("nikkei 6 months") << "/z?s=998407.O&t=6m&a=r,w&c="_ba << QSize(537, 377);
        QTest::newRow("large thumbnail") << "/f?s=7203.T"_ba << QSize(288, 180);
        QTest::newRow("small thumbnail, not listed") << "/t?s=4444.T"_ba << QSize(200, 126);
        QTest::newRow("nikkei intraday") << "/gifdata/nk_chart_L.gif"_ba << QSize(256, 200);
        QTest::newRow("ny nikkei") << "/chart/nka_l.gif"_ba << QSize(256, 200);
        QTest::newRow("advance decline") << "/Pics/Stock/Day/K001881.GIF"_ba << QSize(600, 400);
        QTest::newRow("dow, too wide")
            << "/rakutensecj/common/analytic.jsp?width=99999&height=300"_ba << QSize(2000, 300);
        QTest::newRow("dollar yen, unreadable and too small")
            << "/asp4gif/japan_gif.asp?x=abc&y=0&barno=50"_ba << QSize(360, 32);
    }

    void chartImages()
    {
        QFETCH(QByteArray, target);
        QFETCH(QSize, size);
        const RawReply r = rawGet(m_port, target, 5000);
        QVERIFY2(r.head.startsWith("HTTP/1.1 200") && r.head.contains("image/png"), r.head.constData());
        const QImage img = QImage::fromData(r.body, "PNG");
        QCOMPARE(img.size(), size);
        QSet<QRgb> colours;
        for (int y = 0; y < img.height(); y += 3)
            for (int x = 0; x < img.width(); x += 3)
                colours.insert(img.pixel(x, y));
        QVERIFY2(colours.size() > 2, "a drawing, not a blank picture");
    }

    void statusGarbageAndHuge()
    {
        m_server->setFault(*FaultMode::parse(u"status:503"_s));
        auto res = get("/stocks/detail/?code=7203");
        QVERIFY(res->status == 503 && !parse(res->body).isDetailPage);
        m_server->setFault(*FaultMode::parse(u"status:304"_s));
        res = get("/f?s=7203.T");
        QVERIFY(res->status == 304 && res->body.empty());

        m_server->setFault(*FaultMode::parse(u"garbage"_s));
        res = get("/stocks/detail/?code=7203");
        QVERIFY(res->status == 200 && res->body.size() >= 4096 && !parse(res->body).isDetailPage);
        QVERIFY(res->body != get("/stocks/detail/?code=7203")->body);
        QVERIFY(QImage::fromData(QByteArray::fromStdString(get("/f?s=7203.T")->body)).isNull());

        m_server->setFault(*FaultMode::parse(u"huge:3"_s));
        res = get("/stocks/detail/?code=7203", 10);
        QVERIFY(res->status == 200 && res->body.size() == size_t(3) << 20);
    }

    void resetMidBody()
    {
        m_server->setFault(*FaultMode::parse(u"reset"_s));
        const RawReply r = rawGet(m_port, "/stocks/detail/?code=7203", 3000);
        QVERIFY2(r.head.startsWith("HTTP/1.1 200") && r.contentLength() > 1000, r.head.constData());
        QVERIFY2(r.body.size() > 0 && r.body.size() < r.contentLength(), "the body is cut off");
        QCOMPARE(r.error, QAbstractSocket::RemoteHostClosedError);
    }

    void hangHoldsOnlyItsPath()
    {
        m_server->setFault(*FaultMode::parse(u"hang"_s), u"/nkave"_s);
        auto pending = std::async(std::launch::async, [this] { return get("/nkave", 1); });
        QTRY_COMPARE_WITH_TIMEOUT(m_server->heldAnswers(), 1, 2000);
        QCOMPARE(get("/stocks/detail/?code=7203")->status, 200); // answered while the hang holds on
        auto res = pending.get();
        QVERIFY2(!res && res.error() == httplib::Error::Read, "no answer arrives");
        // Once the client has gone, the server lets the connection go too.
        QTRY_COMPARE_WITH_TIMEOUT(m_server->heldAnswers(), 0, 3000);
    }

    void dripOneByteASecond()
    {
        m_server->setFault(*FaultMode::parse(u"drip"_s));
        const RawReply r = rawGet(m_port, "/stocks/detail/?code=7203", 2300);
        QVERIFY2(r.head.startsWith("HTTP/1.1 200") && r.contentLength() > 1000, r.head.constData());
        QVERIFY2(r.body.size() >= 1 && r.body.size() <= 4, qPrintable(QString::number(r.body.size())));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->heldAnswers(), 0, 4000);
    }

    void control()
    {
        QCOMPARE(get("/_control/fault?mode=status:500")->status, 200);
        QCOMPARE(get("/stocks/detail/?code=7203")->status, 500);
        QCOMPARE(get("/_control/fault?mode=bogus")->status, 400);
        QCOMPARE(m_server->fault().toString(), u"status:500"_s);
        QCOMPARE(get("/_control/fault?mode=none")->status, 200);
        QCOMPARE(get("/stocks/detail/?code=7203")->status, 200);

        QCOMPARE(get("/_control/latency?ms=120")->status, 200);
        QElapsedTimer t;
        t.start();
        QVERIFY2(get("/nkave")->body != get("/nkave")->body, "each request moves the index");
        QVERIFY(t.elapsed() >= 240);
        QCOMPARE(get("/_control/latency?ms=-4")->status, 400);
        const std::string status = get("/_control/status")->body;
        QVERIFY2(status.find("\"fault\":\"none\",\"path\":\"\",\"latency_ms\":120,") != std::string::npos,
                 status.c_str());

        QCOMPARE(get("/_control/fault-rate?p=1&mix=status:502")->status, 200);
        QCOMPARE(get("/stocks/detail/?code=7203")->status, 502);
        QCOMPARE(get("/_control/fault-rate?p=0.1&mix=none")->status, 400);
        QCOMPARE(get("/_control/fault-rate?p=0")->status, 200);
        QCOMPARE(get("/stocks/detail/?code=7203")->status, 200);
    }

    void strayBodiesRefused()
    {
        httplib::Client client("127.0.0.1", m_port);
        client.set_read_timeout(10, 0);
        const auto big = client.Post("/stocks/detail/?code=7203", std::string(1 << 20, 'x'), "text/plain");
        QVERIFY(big);
        QCOMPARE(big->status, 413);
        QCOMPARE(get("/stocks/detail/?code=7203")->status, 200);
    }

    void connectionQueueBounded()
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

    void programOptions()
    {
        const QString program = QString::fromUtf8(TICKORA_MARKET_BIN);
        for (const QString& bad : {u"--fault=sometimes"_s, u"--port=70000"_s, u"--start=25:00"_s,
                                   u"--fault-rate=2"_s, u"--codes=/nonexistent"_s}) {
            QProcess p;
            p.start(program, {bad});
            QVERIFY2(p.waitForFinished(10000) && p.exitCode() == 2, qPrintable(bad));
        }

        // A CP932 code list as the program installs it; a later line of a code wins, junk is skipped.
        QTemporaryDir dir;
        QFile codes(dir.filePath(u"codes.csv"_s));
        QVERIFY(codes.open(QIODevice::WriteOnly));
        codes.write(
            QStringEncoder("Shift_JIS").encode(u"4444,\"旧名\"\r\n,x\r\nzz,名前\r\n4444,\"模擬商事\"\r\n"_s));
        codes.close();
        QProcess p;
        p.start(program, {u"--codes"_s, codes.fileName()});
        QTRY_VERIFY_WITH_TIMEOUT(p.canReadLine(), 10000);
        const QByteArray line = p.readLine().trimmed();
        QVERIFY2(line.startsWith("listening on http://127.0.0.1:"), line.constData());
        httplib::Client client("127.0.0.1", line.split(':').last().toInt());
        QCOMPARE(parse(client.Get("/stocks/detail/?code=4444")->body).name, u"模擬商事(株)"_s);
        QVERIFY(!parse(client.Get("/stocks/detail/?code=7203")->body).isDetailPage);
        p.kill();
        p.waitForFinished(5000);
        QCOMPARE(readCodeList(u"code,name\n7203,トヨタ自動車\n"_s.toUtf8()).value(0).name, u"トヨタ自動車"_s);
    }
};

QTEST_MAIN(TestMarket)
#include "tst_market.moc"
