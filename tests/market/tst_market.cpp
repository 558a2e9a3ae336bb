// The simulated market, read back through the program's own parsers, and its fault modes.

#include "charts.h"
#include "charts/seriesreader.h"
#include "compression.h"
#include "pages.h"
#include "platform/pictures.h"
#include "quotes/quotepage.h"
#include "quotes/seriesquote.h"
#include "quotes/statepage.h"
#include "server.h"
#include "todaypages.h"

#include <httplib.h>

#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;

namespace {

/// A name from the code list that would end or comment out a script element if it were not escaped.
const QString EvilName = u"\"極\\洋\"\n</script><script>alert(1)</script>A</SCRIPT >B<!--<script>"_s;

httplib::Result fetch(int port, const std::string& path)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10, 0);
    return client.Get(path);
}

} // namespace

class TestMarket : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path) { return fetch(m_port, path); }

    static QString body(const httplib::Result& r) { return r ? QString::fromStdString(r->body) : QString(); }

    static auto stateOf(const QString& p) { return tickora::embeddedPageState(p).value_or(QJsonObject()); }

    static auto parse(const httplib::Result& res) { return tickora::parseQuotePage(body(res)); }

    auto series(const std::string& path) { return tickora::readChartJson(body(get(path)).toUtf8()); }

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    // A quote's time is a minute of the sessions, real-time or delayed by 20 minutes.
    void quoteTimesInTheSessions_data()
    {
        QTest::addColumn<bool>("realTime");
        QTest::addColumn<QTime>("minute");
        QTest::addColumn<QTime>("shown");
        QTest::newRow("real-time, morning") << true << QTime(10, 5) << QTime(10, 5);
        QTest::newRow("delayed, opening") << false << QTime(9, 0) << QTime(9, 0);
        QTest::newRow("delayed, early") << false << QTime(9, 15) << QTime(9, 0);
        QTest::newRow("delayed, morning") << false << QTime(10, 5) << QTime(9, 45);
        QTest::newRow("delayed, morning close") << false << QTime(11, 30) << QTime(11, 10);
        QTest::newRow("delayed, afternoon opening") << false << QTime(12, 30) << QTime(11, 30);
        QTest::newRow("delayed, 12:48") << false << QTime(12, 48) << QTime(11, 30);
        QTest::newRow("delayed, 12:49") << false << QTime(12, 49) << QTime(11, 30);
        QTest::newRow("delayed, 12:50") << false << QTime(12, 50) << QTime(12, 30);
        QTest::newRow("delayed, close") << false << QTime(15, 30) << QTime(15, 10);
    }
    void quoteTimesInTheSessions()
    {
        QFETCH(bool, realTime);
        QFETCH(QTime, minute);
        QFETCH(QTime, shown);
        QuoteView q;
        q.realTime = realTime;
        q.minute = minute.hour() * 60 + minute.minute();
        const int got = shownMinute(q);
        QCOMPARE(QTime(got / 60, got % 60), shown);
    }

    void initTestCase()
    {
        m_server = std::make_unique<MarketServer>(
            QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}, {u"1301"_s, EvilName}},
            ServerOptions{.stockPages = StockPageForm::State});
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
    }

    // The 2012 pages, index line, chart picture; today's pages and their bars; unknown codes.
    void servesPagesTheProgramReads()
    {
        const tickora::QuoteFields q = parse(get("/stocks/detail/?code=7203"));
        QCOMPARE(q.name + QString::number(q.isDetailPage), u"トヨタ自動車(株)1"_s);
        for (const QString& field : {q.price, q.high, q.low, q.volume, q.prevClose})
            QVERIFY2(field.contains(QRegularExpression(u"^[1-9]\\d{0,2}(,\\d{3})*$"_s)), qPrintable(field));
        QVERIFY(tickora::nikkeiLine(body(get("/nkave")))
                    .contains(QRegularExpression(
                        u"^日経平均 [\\d,]+\\.\\d\\d \\([+-]?[\\d,]+\\.\\d\\d\\) 1?\\d:\\d\\d$"_s)));
        const auto chart = get("/f?s=7203.T");
        QVERIFY(chart && chart->status == 200);
        QCOMPARE(tickora::decodePicture(QByteArray::fromStdString(chart->body)).size(), QSize(288, 180));
        for (const std::string path : {"/quote/7203.T", "/quote/998407.O"}) {
            const auto res = get(path);
            QVERIFY(res && res->status == 200);
            QCOMPARE(res->get_header_value("Content-Type"), "text/html; charset=UTF-8");
            QCOMPARE(res->get_header_value("X-Tickora-Simulated"), "1");
            const qsizetype bars = tickora::readHistories(stateOf(body(res))).size();
            QVERIFY2(bars >= 140 && bars <= 150, path.c_str());
        }
        for (const std::string path : {"/stocks/detail/?code=4444", "/quote/4444.T", "/quote/7203.O"})
            QVERIFY2(!parse(get(path)).isDetailPage, path.c_str());
    }

    // The built-in list is the exchange's list of 2026: lettered codes have their pages and series.
    void lettersInTheBuiltInList()
    {
        const QList<Listing> listings = readCodeList(builtInCodeList());
        QCOMPARE(listings.size(), 4451);
        MarketServer market(listings, ServerOptions{});
        const int port = market.startInBackground(0);
        const tickora::QuoteFields q = parse(fetch(port, "/quote/285A.T"));
        QVERIFY2(q.isDetailPage && q.name.startsWith(u"キオクシアホールディングス"_s), qPrintable(q.name));
        const auto s = tickora::readChartJson(
            body(fetch(port, "/v8/finance/chart/285A.T?range=1y&interval=1d")).toUtf8());
        QVERIFY(s && s->symbol == u"285A.T"_s && !s->bars.isEmpty());
    }

    // Same-seeded markets of the 2012 pages and of today's, in each form, show the same quotes, from
    // Friday's close on; the streamed pages give the previous close's date as "12/5".
    void todayPagesMatchTheOldAndKeepTheirText()
    {
        QList<Listing> listings;
        for (int code = 1301; code < 1313; ++code)
            listings.append({QString::number(code), u"銘柄"_s + QString::number(code)});
        ServerOptions options{.seed = 3, .firstDay = QDate(2025, 12, 5), .startMinute = 14 * 60 + 58};
        MarketServer streamed(listings, options);
        options.stockPages = StockPageForm::State;
        MarketServer old(listings, options), state(listings, options);
        const int ports[] = {old.startInBackground(0), state.startInBackground(0),
                             streamed.startInBackground(0)};
        QVERIFY(ports[0] > 0 && ports[1] > 0 && ports[2] > 0);
        for (int round = 0; round < 5; ++round)
            for (const Listing& l : std::as_const(listings)) {
                const tickora::QuoteFields q =
                    parse(fetch(ports[0], "/stocks/detail/?code=" + l.code.toStdString()));
                QVERIFY2(q.isDetailPage, qPrintable(l.code));
                for (const auto& [port, form] : {std::pair{ports[1], tickora::PageForm::State},
                                                 std::pair{ports[2], tickora::PageForm::Streamed}}) {
                    const auto reading =
                        tickora::readQuotePage(body(fetch(port, "/quote/" + l.code.toStdString() + ".T")));
                    tickora::QuoteFields read = reading.fields;
                    read.shortName = q.shortName; // the code list's name, which the 2012 page does not show
                    if (form == tickora::PageForm::Streamed && read.time.contains(u'/'))
                        read.time = QDate::fromString(read.time, u"M/d"_s).toString(u"MM/dd"_s);
                    QCOMPARE(reading.form, form);
                    QCOMPARE(read.boardCode, l.code); // the board names its own code
                    read.boardCode.clear();           // which the 2012 page does not
                    QCOMPARE(read, q);
                }
            }
        // The Nikkei's page, read from its domestic index board.
        const tickora::IndexReading index = tickora::readIndexPage(body(fetch(ports[1], "/quote/998407.O")));
        QVERIFY(index.found && index.form == tickora::PageForm::State);
        QVERIFY2(index.line.contains(QRegularExpression(
                     u"^日経平均 [\\d,]+\\.\\d\\d \\(1?\\d:\\d\\d\\) [+-]?[\\d,]+\\.\\d\\d$"_s)),
                 qPrintable(index.line));
        // Listed names and the address stay inside the state's script and read back unchanged.
        for (const auto& [path, key, expected] :
             {std::tuple(std::string("/quote/1301.T"), u"mainStocksPriceBoard.priceBoard.shortName"_s,
                         EvilName),
              std::tuple(std::string("/quote/%3C%2Fscript%3E%3Cb%3E%22x.T"), u"mainNotFound.searchWord"_s,
                         u"</script><b>\"x"_s)}) {
            const QString page = body(get(path));
            const auto found = tickora::findEmbeddedState(page);
            QVERIFY(found && found->state);
            QJsonValue text = *found->state; // at a dotted key path
            for (const QString& step : key.split(u'.'))
                text = text[step];
            QCOMPARE(text.toString(), expected);
            const QString element = page.mid(found->textFrom, found->textTo - found->textFrom);
            QVERIFY(!element.contains(u"<!--"_s) && !element.contains(u"</script"_s, Qt::CaseInsensitive));
            const QString markup = page.left(found->textFrom);
            QVERIFY(!markup.contains(u"<script>alert"_s) && !markup.contains(u"<b>"_s));
        }
    }

    // The walk keeps the exchange's day: the lunch break skipped, the close at 15:30, then the next
    // trading day over the new year; each answer tells the moment, the day's series has no lunch bars.
    void keepsTheExchangesDay()
    {
        const ServerOptions options{.seed = 5, .firstDay = QDate(2026, 12, 30), .startMinute = 11 * 60 + 29};
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}}, options);
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        auto momentOf = [](const httplib::Result& r) {
            return r ? QDateTime::fromString(
                           QString::fromStdString(r->get_header_value("X-Tickora-Simulated-Time")),
                           Qt::ISODate)
                     : QDateTime();
        };
        QStringList moments;
        for (int i = 0; i < 3; ++i)
            moments << momentOf(fetch(port, "/quote/7203.T")).toString(u"MM-dd HH:mm"_s);
        QCOMPARE(moments, QStringList({u"12-30 11:29"_s, u"12-30 11:30"_s, u"12-30 12:30"_s}));
        const QDateTime at = momentOf(fetch(port, "/v8/finance/chart/7203.T?range=1d&interval=5m"));
        QCOMPARE(at.offsetFromUtc(), 9 * 3600); // a chart only looks
        QCOMPARE(at.time(), QTime(12, 30));
        const auto day = tickora::readChartJson(
            QByteArray::fromStdString(fetch(port, "/v8/finance/chart/7203.T?range=1d&interval=5m")->body));
        QVERIFY(day && day->bars.size() > 20);
        for (const tickora::PriceBar& b : day->bars) {
            const int minute = int((b.time + TokyoGmtOffset) % 86400 / 60);
            QVERIFY2(minute <= 11 * 60 + 30 || minute >= 12 * 60 + 30, qPrintable(QString::number(minute)));
        }
        for (int i = 0; i < 179; ++i) // to 15:29
            fetch(port, "/quote/7203.T");
        QCOMPARE(momentOf(fetch(port, "/nkave")).date(), QDate(2026, 12, 30)); // the index walks on its own
        QCOMPARE(momentOf(fetch(port, "/quote/7203.T")),
                 QDateTime(QDate(2026, 12, 30), QTime(15, 30), QTimeZone(9 * 3600)));
        const auto next = fetch(port, "/quote/7203.T");
        QCOMPARE(momentOf(next), QDateTime(QDate(2027, 1, 4), QTime(9, 0), QTimeZone(9 * 3600)));
        QVERIFY(body(next).contains(u"12/30"_s)); // the previous trading day's close
        const auto year = tickora::readChartJson(
            QByteArray::fromStdString(fetch(port, "/v8/finance/chart/7203.T?range=1y&interval=1d")->body));
        QVERIFY(year && year->bars.size() > 200);
        for (const tickora::PriceBar& b : year->bars) {
            const QDate date =
                QDateTime::fromSecsSinceEpoch(b.time + TokyoGmtOffset, QTimeZone::utc()).date();
            QVERIFY2(!tickora::isExchangeClosed(date), qPrintable(date.toString(Qt::ISODate)));
        }
    }

    // The chart JSON of each kind of symbol and span, and its refusals, through the program's reader.
    void seriesReadBack()
    {
        const std::tuple<QString, const char*, int, int, int> cases[] = {
            {u"7203.T"_s, "?range=1y&interval=1d", 230, 270, TokyoGmtOffset},
            {u"7203.T"_s, "?range=1d&interval=5m", 1, 62, TokyoGmtOffset},
            {u"^DJI"_s, "?range=1y&interval=1d", 230, 270, NewYorkGmtOffset},
            {u"JPY=X"_s, "?range=1d&interval=5m", 1, 288, TokyoGmtOffset}};
        for (const auto& [symbol, query, minBars, maxBars, offset] : cases) {
            const auto s =
                series("/v8/finance/chart/" + QUrl::toPercentEncoding(symbol).toStdString() + query);
            QVERIFY2(s && s->bars.size() >= minBars && s->bars.size() <= maxBars, query);
            QVERIFY(s->symbol == symbol && s->gmtOffset == offset && s->lastPrice == s->bars.last().close);
        }
        // The day's figures in meta: the quote read from the series is the page's.
        for (int minute = 0; minute < 3; ++minute) {
            const tickora::QuoteFields page = parse(get("/quote/1301.T"));
            auto read = tickora::quoteFromSeriesJson(
                body(get("/v8/finance/chart/1301.T?range=1d&interval=5m")).toUtf8(), page.name);
            QVERIFY(read && !read->time.isEmpty());
            read->shortName = page.shortName;
            read->time = page.time;
            read->boardCode = page.boardCode; // the series names no board
            QCOMPARE(*read, page);
        }
        const auto res = get("/v8/finance/chart/4444.T?range=1y&interval=1d");
        QVERIFY(res && res->status == 404 &&
                tickora::chartJsonErrorCode(QByteArray::fromStdString(res->body)) == u"Not Found"_s);
    }

    // Text answers go gzip-compressed to a client that accepts it, pictures and others as they are.
    void compressesWhenAsked()
    {
        httplib::Client client("127.0.0.1", m_port);
        client.set_decompress(false);
        const auto plain = client.Get("/quote/7203.T", {{"Accept-Encoding", "identity"}});
        const auto packed = client.Get("/quote/7203.T", {{"Accept-Encoding", "br, gzip;q=0.5"}});
        QVERIFY(plain && packed && plain->status == 200 && packed->status == 200);
        QVERIFY(!plain->has_header("Content-Encoding") && plain->body.size() > 300000);
        QCOMPARE(packed->get_header_value("Content-Encoding"), "gzip");
        QVERIFY2(packed->body.size() < plain->body.size() / 4, std::to_string(packed->body.size()).c_str());
        QVERIFY(QByteArray::fromStdString(packed->body).startsWith("\x1f\x8b"));
        const auto picture = client.Get("/f?s=7203.T", {{"Accept-Encoding", "gzip"}});
        QVERIFY(picture && !picture->has_header("Content-Encoding"));
        // Read back inflated: the next minute's page, whole.
        client.set_decompress(true);
        const auto inflated = client.Get("/quote/7203.T", {{"Accept-Encoding", "gzip"}});
        QVERIFY(inflated && inflated->get_header_value("Content-Encoding") == "gzip" &&
                inflated->body.ends_with("</html>\n"));
        const std::pair<const char*, bool> headers[] = {
            {"gzip", true}, {"deflate, GZIP;q=0.1", true}, {"x-gzip", true},       {"*", true},
            {"", false},    {"gzip;q=0", false},           {"deflate, br", false}, {"gzipped", false}};
        for (const auto& [header, accepted] : headers)
            QVERIFY2(acceptsGzip(header) == accepted, header);
        QVERIFY(isCompressibleType("application/json; charset=utf-8") && !isCompressibleType("image/png"));
    }

    // Fault modes by path prefix: today's status (-1: no whole answer), state read, 2012 page faulted.
    void faults()
    {
        const std::tuple<QString, QString, int, bool, bool> cases[] = {
            {u"status:503"_s, u"/quote"_s, 503, false, false},
            {u"garbage"_s, QString(), 200, false, true},
            {u"reset"_s, u"/quote/7203"_s, -1, false, false},
            {u"huge:2"_s, u"/stocks"_s, 200, true, true}};
        for (const auto& [mode, prefix, status, state, oldFaulted] : cases) {
            m_server->setFault(*FaultMode::parse(mode), prefix);
            const auto res = get("/quote/7203.T");
            const bool oldRead = parse(get("/stocks/detail/?code=7203")).isDetailPage;
            m_server->setFault(FaultMode{});
            QCOMPARE(std::tuple(res ? res->status : -1, !stateOf(body(res)).isEmpty(), !oldRead),
                     std::tuple(status, state, oldFaulted));
        }
        // Through the control endpoint: an overload status may name when to come back; modes read back.
        QCOMPARE(get("/_control/fault?mode=status:429:45")->body, std::string("fault=status:429:45 path=\n"));
        const auto busy = get("/quote/7203.T");
        QVERIFY(busy && busy->status == 429 && busy->get_header_value("Retry-After") == "45");
        QCOMPARE(get("/_control/fault?mode=status:429:86401")->status, 400);
        QVERIFY(get("/_control/fault?mode=none") && parse(get("/stocks/detail/?code=7203")).isDetailPage);
    }
};

QTEST_MAIN(TestMarket)
#include "tst_market.moc"
