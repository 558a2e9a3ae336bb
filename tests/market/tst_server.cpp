// The market's server read back with the program's own parsers: the stock and index pages, the
// chart series and pictures, the fault modes and the control paths.

#include "charts.h"
#include "charts/seriesreader.h"
#include "codelist.h"
#include "marketclient.h"
#include "platform/pictures.h"
#include "quotes/pageverdict.h"
#include "quotes/quotepage.h"
#include "quotes/seriesquote.h"
#include "quotes/statepage.h"
#include "server.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace tickora;
using namespace tickora::market;
using tickora::market::test::bodyOf;
using tickora::market::test::fetch;
using tickora::market::test::fetchBody;

namespace {

/// A name from the code list that would end or comment out a script element if it were not escaped.
const QString EvilName = u"\"極\\洋\"\n</script><script>alert(1)</script>A</SCRIPT >B<!--<script>"_s;

/// A trading day (a Friday), so that the first page shows that day's session.
const QDate Day(2026, 9, 18);

const ServerOptions ControlOptions{.firstDay = Day, .startMinute = 10 * 60};

QuoteFields parse(const httplib::Result& res)
{
    return parseQuotePage(bodyOf(res));
}

} // namespace

class TestServer : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path) { return fetch(m_port, path); }
    bool oldPageRead() { return parse(get("/stocks/detail/?code=7203")).isDetailPage; }

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    void initTestCase()
    {
        m_server = std::make_unique<MarketServer>(
            QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}, {u"1301"_s, EvilName}},
            ServerOptions{.seed = 3, .firstDay = QDate(2025, 12, 5), .stockPages = StockPageForm::State});
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
    }

    // The 2012 stock-detail page: the company's name and every figure a grouped whole number.
    void oldDetailPage()
    {
        const QuoteFields q = parse(get("/stocks/detail/?code=7203"));
        QCOMPARE(q.name + QString::number(q.isDetailPage), u"トヨタ自動車(株)1"_s);
        for (const QString& field : {q.price, q.high, q.low, q.volume, q.prevClose})
            QVERIFY2(field.contains(QRegularExpression(u"^[1-9]\\d{0,2}(,\\d{3})*$"_s)), qPrintable(field));
    }

    // The 2012 index line: "日経平均 value (change) time".
    void oldIndexLine()
    {
        QVERIFY(nikkeiLine(bodyOf(get("/nkave")))
                    .contains(QRegularExpression(
                        u"^日経平均 [\\d,]+\\.\\d\\d \\([+-]?[\\d,]+\\.\\d\\d\\) 1?\\d:\\d\\d$"_s)));
    }

    // Today's index page read from its domestic index board.
    void todayIndexLine()
    {
        const IndexReading index = readIndexPage(bodyOf(get("/quote/998407.O")));
        QVERIFY(index.found && index.form == PageForm::State);
        QVERIFY2(index.line.contains(QRegularExpression(
                     u"^日経平均 [\\d,]+\\.\\d\\d \\(1?\\d:\\d\\d\\) [+-]?[\\d,]+\\.\\d\\d$"_s)),
                 qPrintable(index.line));
    }

    // Today's pages: HTML, marked as simulated, their state carrying about seven months of bars.
    void todayPageWithItsBars_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("a stock") << u"/quote/7203.T"_s;
        QTest::newRow("the Nikkei") << u"/quote/998407.O"_s;
    }
    void todayPageWithItsBars()
    {
        QFETCH(QString, path);
        const auto res = get(path.toStdString());
        QVERIFY(res && res->status == 200);
        QCOMPARE(res->get_header_value("Content-Type"), "text/html; charset=UTF-8");
        QCOMPARE(res->get_header_value("X-Tickora-Simulated"), "1");
        const qsizetype bars = readHistories(embeddedPageState(bodyOf(res)).value_or(QJsonObject())).size();
        QVERIFY2(bars >= 140 && bars <= 150, qPrintable(QString::number(bars)));
    }

    // Codes the market does not list, and an address without ".T", give no detail page.
    void noDetailPageForUnlisted_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("2012 page of an unlisted code") << u"/stocks/detail/?code=4444"_s;
        QTest::newRow("today's page of an unlisted code") << u"/quote/4444.T"_s;
        QTest::newRow("a listed code on another market") << u"/quote/7203.O"_s;
    }
    void noDetailPageForUnlisted()
    {
        QFETCH(QString, path);
        QVERIFY(!parse(get(path.toStdString())).isDetailPage);
    }

    // The built-in list is the exchange's list of 2026: lettered codes have their pages and series.
    void lettersInTheBuiltInList()
    {
        const QList<Listing> listings = readCodeList(builtInCodeList());
        QCOMPARE(listings.size(), 4451);
        MarketServer market(listings, ServerOptions{});
        const int port = market.startInBackground(0);
        const QuoteFields q = parse(fetch(port, "/quote/285A.T"));
        QVERIFY2(q.isDetailPage && q.name.startsWith(u"キオクシアホールディングス"_s), qPrintable(q.name));
        const auto s =
            readChartJson(bodyOf(fetch(port, "/v8/finance/chart/285A.T?range=1y&interval=1d")).toUtf8());
        QVERIFY(s && s->symbol == u"285A.T"_s && !s->bars.isEmpty());
    }

    // Same-seeded markets of the 2012 pages and of today's, in each form, show the same quotes, from
    // Friday's close on; the streamed pages give the previous close's date as "12/5".
    void todayPagesMatchTheOld_data()
    {
        QTest::addColumn<int>("form");
        QTest::newRow("state") << int(PageForm::State);
        QTest::newRow("streamed") << int(PageForm::Streamed);
    }
    void todayPagesMatchTheOld()
    {
        QFETCH(int, form);
        QList<Listing> listings;
        for (int code = 1301; code < 1313; ++code)
            listings.append({QString::number(code), u"銘柄"_s + QString::number(code)});
        ServerOptions options{.seed = 3, .firstDay = QDate(2025, 12, 5), .startMinute = 14 * 60 + 58};
        ServerOptions todayOptions = options;
        todayOptions.stockPages =
            PageForm(form) == PageForm::State ? StockPageForm::State : StockPageForm::Streamed;
        options.stockPages = StockPageForm::State;
        MarketServer old(listings, options), today(listings, todayOptions);
        const int oldPort = old.startInBackground(0), todayPort = today.startInBackground(0);
        QVERIFY(oldPort > 0 && todayPort > 0);
        for (int round = 0; round < 5; ++round)
            for (const Listing& l : std::as_const(listings)) {
                const QuoteFields q = parse(fetch(oldPort, "/stocks/detail/?code=" + l.code.toStdString()));
                QVERIFY2(q.isDetailPage, qPrintable(l.code));
                const auto reading =
                    readQuotePage(bodyOf(fetch(todayPort, "/quote/" + l.code.toStdString() + ".T")));
                QuoteFields read = reading.fields;
                read.shortName = q.shortName; // the code list's name, which the 2012 page does not show
                if (reading.form == PageForm::Streamed && read.time.contains(u'/'))
                    read.time = QDate::fromString(read.time, u"M/d"_s).toString(u"MM/dd"_s);
                QCOMPARE(int(reading.form), form);
                QCOMPARE(read.boardCode, l.code); // the board names its own code
                read.boardCode.clear();           // which the 2012 page does not
                QCOMPARE(read, q);
            }
    }

    void seriesReadBack_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("minBars");
        QTest::addColumn<int>("maxBars");
        QTest::addColumn<int>("offset");
        QTest::newRow("a stock's year")
            << u"7203.T"_s << u"?range=1y&interval=1d"_s << 230 << 270 << int(TokyoGmtOffset);
        QTest::newRow("a stock's day")
            << u"7203.T"_s << u"?range=1d&interval=5m"_s << 1 << 62 << int(TokyoGmtOffset);
        QTest::newRow("the Dow's year")
            << u"^DJI"_s << u"?range=1y&interval=1d"_s << 230 << 270 << int(NewYorkGmtOffset);
        QTest::newRow("dollar-yen's day")
            << u"JPY=X"_s << u"?range=1d&interval=5m"_s << 1 << 288 << int(TokyoGmtOffset);
    }
    void seriesReadBack()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, query);
        QFETCH(int, minBars);
        QFETCH(int, maxBars);
        QFETCH(int, offset);
        const auto s =
            readChartJson(bodyOf(get("/v8/finance/chart/" + QUrl::toPercentEncoding(symbol).toStdString() +
                                     query.toStdString()))
                              .toUtf8());
        QVERIFY(s);
        QVERIFY2(s->bars.size() >= minBars && s->bars.size() <= maxBars,
                 qPrintable(QString::number(s->bars.size())));
        QCOMPARE(s->symbol, symbol);
        QCOMPARE(s->gmtOffset, offset);
        QCOMPARE(s->lastPrice, s->bars.last().close);
    }

    // The day's figures in meta: the quote read from the series is the page's, minute after minute.
    void dayFiguresAreThePages()
    {
        for (int minute = 0; minute < 3; ++minute) {
            const QuoteFields page = parseQuotePage(bodyOf(get("/quote/1301.T")));
            auto read = quoteFromSeriesJson(
                bodyOf(get("/v8/finance/chart/1301.T?range=1d&interval=5m")).toUtf8(), page.name);
            QVERIFY(read && !read->time.isEmpty());
            read->shortName = page.shortName;
            read->time = page.time;
            read->boardCode = page.boardCode; // the series names no board
            QCOMPARE(*read, page);
        }
    }

    void unlistedSymbolNotFound()
    {
        const auto res = get("/v8/finance/chart/4444.T?range=1y&interval=1d");
        QVERIFY(res && res->status == 404 &&
                chartJsonErrorCode(QByteArray::fromStdString(res->body)) == u"Not Found"_s);
    }

    // The pictures, each at the size the program lays it out in.
    void pictureSizes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("a stock's day") << u"/f?s=7203.T"_s << QSize(288, 180);
        QTest::newRow("a stock's day, small") << u"/t?s=7203.T"_s << QSize(200, 126);
        QTest::newRow("a stock's year") << u"/b?s=7203.T&t=1y"_s << QSize(512, 400);
        QTest::newRow("a stock's six months") << u"/z?s=7203.T&t=6m"_s << QSize(512, 390);
        QTest::newRow("the Nikkei's six months") << u"/z?s=998407.O&t=6m"_s << QSize(537, 377);
        QTest::newRow("an unlisted stock's day") << u"/f?s=4444.T"_s << QSize(288, 180);
        QTest::newRow("the Nikkei's day") << u"/gifdata/nk_chart_L.gif"_s << QSize(256, 200);
        QTest::newRow("the Dow against the Nikkei") << u"/chart/nka_l.gif"_s << QSize(256, 200);
        QTest::newRow("advance/decline ratio") << u"/Pics/Stock/Day/K001881.GIF"_s << QSize(600, 400);
        QTest::newRow("the Dow by default") << u"/rakutensecj/common/analytic.jsp"_s << QSize(755, 400);
        QTest::newRow("the Dow at a size asked for")
            << u"/rakutensecj/common/analytic.jsp?width=300&height=200"_s << QSize(300, 200);
        QTest::newRow("the Dow at sizes kept within bounds")
            << u"/rakutensecj/common/analytic.jsp?width=5&height=9000"_s << QSize(32, 2000);
        QTest::newRow("dollar-yen at a size asked for")
            << u"/asp4gif/japan_gif.asp?x=360&y=360&barno=100"_s << QSize(360, 360);
    }
    void pictureSizes()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const auto chart = get(path.toStdString());
        QVERIFY(chart && chart->status == 200);
        QCOMPARE(chart->get_header_value("Content-Type"), "image/png");
        QCOMPARE(decodePicture(QByteArray::fromStdString(chart->body)).size(), size);
    }

    // A fault on a path prefix: today's page's status (-1: no whole answer) and whether its state
    // reads, and whether the 2012 page, under another prefix or none, is faulted too.
    void faultsByPathPrefix_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("stateRead");
        QTest::addColumn<bool>("oldFaulted");
        QTest::newRow("status on today's pages") << u"status:503"_s << u"/quote"_s << 503 << false << false;
        QTest::newRow("garbage everywhere") << u"garbage"_s << QString() << 200 << false << true;
        QTest::newRow("reset of one stock's page") << u"reset"_s << u"/quote/7203"_s << -1 << false << false;
        QTest::newRow("huge on the 2012 pages") << u"huge:2"_s << u"/stocks"_s << 200 << true << true;
    }
    void faultsByPathPrefix()
    {
        QFETCH(QString, mode);
        QFETCH(QString, prefix);
        QFETCH(int, status);
        QFETCH(bool, stateRead);
        QFETCH(bool, oldFaulted);
        m_server->setFault(*FaultMode::parse(mode), prefix);
        const auto res = get("/quote/7203.T");
        const bool oldRead = oldPageRead();
        m_server->setFault(FaultMode{});
        QCOMPARE(res ? res->status : -1, status);
        QCOMPARE(!embeddedPageState(bodyOf(res)).value_or(QJsonObject()).isEmpty(), stateRead);
        QCOMPARE(!oldRead, oldFaulted);
    }

    // Through the control path: an overload status may name when to come back; modes read back.
    void faultThroughControl()
    {
        QCOMPARE(get("/_control/fault?mode=status:429:45")->body, std::string("fault=status:429:45 path=\n"));
        const auto busy = get("/quote/7203.T");
        QVERIFY(busy && busy->status == 429 && busy->get_header_value("Retry-After") == "45");
        QCOMPARE(get("/_control/fault?mode=status:429:86401")->status, 400);
        QVERIFY(get("/_control/fault?mode=none") && oldPageRead());
    }

    // The control path's pages: a form no reader knows, a board of another code or index; refusals.
    void controlPages_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stock");  ///< the verdict on /quote/7203.T afterwards
        QTest::addColumn<QString>("nikkei"); ///< the verdict on /quote/998407.O afterwards
        QTest::newRow("unknown form") << u"code=7203&page=unknown"_s << 200 << u"unread"_s << u"read"_s;
        QTest::newRow("another code")
            << u"code=7203&page=other:627A"_s << 200 << u"other 627A"_s << u"read"_s;
        QTest::newRow("another code's page set")
            << u"code=285a&page=unknown"_s << 200 << u"read"_s << u"read"_s;
        QTest::newRow("another index")
            << u"code=998407.O&page=other:998405.O"_s << 200 << u"read"_s << u"other 998405"_s;
        QTest::newRow("back to normal") << u"code=7203&page=normal"_s << 200 << u"read"_s << u"read"_s;
        QTest::newRow("unknown page") << u"code=7203&page=bogus"_s << 400 << u"read"_s << u"read"_s;
        QTest::newRow("other code that would break the data")
            << u"code=7203&page=other:72%22%3C03"_s << 400 << u"read"_s << u"read"_s;
        QTest::newRow("no code") << u"page=unknown"_s << 400 << u"read"_s << u"read"_s;
        QTest::newRow("index in no unknown form")
            << u"code=998407.O&page=unknown"_s << 400 << u"read"_s << u"read"_s;
    }
    void controlPages()
    {
        QFETCH(QString, control);
        QFETCH(int, status);
        QFETCH(QString, stock);
        QFETCH(QString, nikkei);
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}, {u"285A"_s, u"キオクシア"_s}}, ControlOptions);
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        if (control == u"code=7203&page=normal"_s) // undoes a page set before
            fetchBody(port, "/_control/quote-page?code=7203&page=unknown");
        int answered = 0;
        fetchBody(port, "/_control/quote-page?" + control.toStdString(), &answered);
        QCOMPARE(answered, status);
        auto verdict = [](PageVerdict v, const QString& board) {
            return v == PageVerdict::Read        ? u"read"_s
                   : v == PageVerdict::Unread    ? u"unread"_s
                   : v == PageVerdict::OtherCode ? u"other "_s + board
                                                 : u"?"_s;
        };
        const QString page = fetchBody(port, "/quote/7203.T");
        const JudgedQuote q = judgeQuotePage(page, u"7203"_s, QuotePages::Today, Day);
        QCOMPARE(verdict(q.verdict, q.reading.fields.boardCode), stock);
        if (stock == u"unread"_s)
            QVERIFY(page.contains(u"株価詳細値"_s) && !page.contains(u"__next_f"_s));
        const JudgedIndex ix = judgeIndexPage(fetchBody(port, "/quote/998407.O"), QuotePages::Today, Day);
        QCOMPARE(verdict(ix.verdict, ix.reading.boardCode), nikkei);
    }

    // The time form changes on its control path; a form it does not know is refused.
    void timeFormControl()
    {
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}}, ControlOptions);
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        int status = 0;
        QCOMPARE(fetchBody(port, "/_control/time-form?form=dated", &status), u"time_form=dated\n"_s);
        QCOMPARE(status, 200);
        QVERIFY(readQuotePage(fetchBody(port, "/quote/7203.T")).fields.time.startsWith(u"2026/09/18 "_s));
        fetchBody(port, "/_control/time-form?form=hours", &status);
        QCOMPARE(status, 400);
        QCOMPARE(server.timeForm(), TimeForm::Dated);
    }
};

QTEST_MAIN(TestServer)
#include "tst_server.moc"
