// The simulated market, read back through the program's own parsers, and its fault modes.

#include "charts.h"
#include "charts/seriesreader.h"
#include "platform/pictures.h"
#include "quotes/nikkei.h"
#include "quotes/quoteparser.h"
#include "quotes/todaypage.h"
#include "server.h"
#include "todaypages.h"

#include <httplib.h>

#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

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

QString body(const httplib::Result& res)
{
    return res ? QString::fromStdString(res->body) : QString();
}

QJsonObject stateOf(const QString& page)
{
    return tickora::embeddedPageState(page).value_or(QJsonObject());
}

/// The values at dotted key paths such as "mainStocksPriceBoard.priceBoard.price", as text.
QStringList texts(const QJsonObject& state, const QString& prefix, const QStringList& keys)
{
    QStringList out;
    for (const QString& key : keys) {
        QJsonValue v = state;
        for (const QString& step : QString(prefix + key).split(u'.', Qt::SkipEmptyParts))
            v = v.toObject().value(step);
        out << (v.isBool() ? QVariant(v.toBool()).toString() : v.toString());
    }
    return out;
}

} // namespace

class TestMarket : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path) { return fetch(m_port, path); }

    static auto parse(const httplib::Result& res) { return tickora::parseQuotePage(body(res)); }
    auto series(const std::string& path) { return tickora::readChartJson(body(get(path)).toUtf8()); }

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    void initTestCase()
    {
        m_server = std::make_unique<MarketServer>(
            QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}, {u"1301"_s, EvilName}}, ServerOptions{});
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
    }

    // The 2012 pages, index line, chart picture; today's pages' weight and bars; unknown codes.
    void servesPagesTheProgramReads()
    {
        const tickora::QuoteFields q = parse(get("/stocks/detail/?code=7203"));
        QVERIFY(q.isDetailPage);
        QCOMPARE(q.name, u"トヨタ自動車(株)"_s);
        for (const QString& field : {q.price, q.high, q.low, q.volume, q.prevClose})
            QVERIFY2(QRegularExpression(u"^[1-9]\\d{0,2}(,\\d{3})*$"_s).match(field).hasMatch(),
                     qPrintable(field));
        const QString nikkei = tickora::nikkeiLine(body(get("/nkave")));
        const QRegularExpression line(
            u"^日経平均 [\\d,]+\\.\\d\\d \\([+-]?[\\d,]+\\.\\d\\d\\) 1?\\d:\\d\\d$"_s);
        QVERIFY2(line.match(nikkei).hasMatch(), qPrintable(nikkei));
        const auto chart = get("/f?s=7203.T");
        QVERIFY(chart && chart->status == 200);
        QCOMPARE(tickora::decodePicture(QByteArray::fromStdString(chart->body)).size(), QSize(288, 180));
        for (const std::string path : {"/quote/7203.T", "/quote/998407.O"}) {
            const auto res = get(path);
            QVERIFY(res && res->status == 200);
            QCOMPARE(res->get_header_value("Content-Type"), "text/html; charset=UTF-8");
            QVERIFY2(res->body.size() >= 300'000 && res->body.size() <= 500'000, path.c_str());
            QCOMPARE(body(res).count(u"window.__PRELOADED_STATE__ = "_s), 1);
            const qsizetype bars = tickora::readHistories(stateOf(body(res))).size();
            QVERIFY2(bars >= 140 && bars <= 150, path.c_str());
        }
        const auto unknown = get("/stocks/detail/?code=4444");
        QVERIFY(unknown && !parse(unknown).isDetailPage);
        for (const std::string path :
             {"/quote/4444.T", "/quote/7203", "/quote/7203.O", "/quote/", "/quote/7203.T.T"}) {
            const auto res = get(path);
            QVERIFY2(res && res->status == unknown->status && !parse(res).isDetailPage, path.c_str());
        }
    }

    // Same-seeded markets of the 2012 and of today's pages show the same quotes, across the close.
    void todayPagesShowTheOldPagesQuotes()
    {
        QList<Listing> listings;
        for (int code = 1301; code < 1313; ++code)
            listings.append({QString::number(code), u"銘柄"_s + QString::number(code)});
        ServerOptions options;
        options.seed = 3;
        options.firstDay = QDate(2025, 12, 5); // a Friday: the next day is Monday 12/08
        options.startMinute = 14 * 60 + 58;
        MarketServer old(listings, options), today(listings, options);
        const int oldPort = old.startInBackground(0), todayPort = today.startInBackground(0);
        QVERIFY(oldPort > 0 && todayPort > 0);
        bool sawDelayed = false, sawNextDay = false;
        for (int round = 0; round < 5; ++round) {
            for (const Listing& l : std::as_const(listings)) {
                const QString oldPage = body(fetch(oldPort, "/stocks/detail/?code=" + l.code.toStdString()));
                const tickora::QuoteFields q = tickora::parseQuotePage(oldPage);
                const QString todayPage = body(fetch(todayPort, "/quote/" + l.code.toStdString() + ".T"));
                const QJsonObject state = stateOf(todayPage);
                QVERIFY2(q.isDetailPage && !state.isEmpty(), qPrintable(l.code));
                tickora::QuoteFields read = tickora::parseQuotePage(todayPage);
                read.shortName = q.shortName; // the code list's name, which the 2012 page does not show
                QCOMPARE(read, q);
                sawDelayed |= oldPage.contains(u"20分ディレイ株価"_s);
                // The daily bars end with the previous close, on the previous day.
                const QList<tickora::PriceBar> bars = tickora::readHistories(state);
                QVERIFY(!bars.isEmpty());
                const QString previousDay =
                    texts(state, u"mainStocksDetail.detail."_s, {u"previousPriceDate"_s})[0];
                QCOMPARE(formatNumber(bars.last().close), q.prevClose);
                QCOMPARE(QDateTime::fromSecsSinceEpoch(bars.last().time, QTimeZone(TokyoGmtOffset))
                             .toString(u"MM/dd"_s),
                         previousDay);
                sawNextDay |= previousDay == u"12/05"_s;
            }
            const QString indexPage = body(fetch(todayPort, "/quote/998407.O"));
            const QStringList index = texts(stateOf(indexPage), u"mainIndexPriceBoard.priceBoard."_s,
                                            {u"name"_s, u"price"_s, u"priceChange"_s, u"priceDateTime"_s});
            QCOMPARE(index[0], u"日経平均株価"_s);
            const QString change = tickora::signedChange(index[2]);
            QCOMPARE(u"日経平均 %1 (%2) %3"_s.arg(index[1], change, index[3]),
                     tickora::nikkeiLine(body(fetch(oldPort, "/nkave"))));
            QCOMPARE(tickora::nikkeiLine(indexPage),
                     u"日経平均 %1 (%2) %3"_s.arg(index[1], index[3], change));
        }
        QVERIFY(sawDelayed && sawNextDay);
    }

    // Listed names and the address stay inside the state's script and read back unchanged.
    void todayPagesKeepTextInsideTheState()
    {
        for (const auto& [path, key, expected] :
             {std::tuple(std::string("/quote/1301.T"), u"mainStocksPriceBoard.priceBoard.shortName"_s,
                         EvilName),
              std::tuple(std::string("/quote/%3C%2Fscript%3E%3Cb%3E%22x.T"), u"mainNotFound.searchWord"_s,
                         u"</script><b>\"x"_s)}) {
            const QString page = body(get(path));
            const auto found = tickora::findEmbeddedState(page);
            QVERIFY(found && found->state);
            QCOMPARE(texts(*found->state, key, {QString()}), QStringList{expected});
            const QString element = page.mid(found->textFrom, found->textTo - found->textFrom);
            QVERIFY(!element.contains(u"<!--"_s) && !element.contains(u"</script"_s, Qt::CaseInsensitive));
            const QString markup = page.left(found->textFrom);
            QVERIFY(!markup.contains(u"<script>alert"_s) && !markup.contains(u"<b>"_s));
        }
    }

    // The chart JSON of each kind of symbol and span, and its refusals, through the program's reader.
    void seriesReadBack()
    {
        for (int i = 0; i < 3; ++i) // a few minutes of the day
            QVERIFY(get("/quote/7203.T") && get("/nkave"));
        const qint64 day = 24 * 3600;
        const std::tuple<QString, QString, int, int, qint64, int> cases[] = {
            {u"7203.T"_s, u"1y"_s, 230, 270, day, TokyoGmtOffset},
            {u"7203.T"_s, u"1d"_s, 1, 62, 300, TokyoGmtOffset},
            {u"^N225"_s, u"6mo"_s, 110, 140, day, TokyoGmtOffset},
            {u"^DJI"_s, u"1y"_s, 230, 270, day, NewYorkGmtOffset},
            {u"JPY=X"_s, u"1d"_s, 1, 288, 300, TokyoGmtOffset}};
        for (const auto& [symbol, range, minBars, maxBars, step, offset] : cases) {
            const auto s = series("/v8/finance/chart/" + QUrl::toPercentEncoding(symbol).toStdString() +
                                  "?range=" + range.toStdString() +
                                  (range == u"1d"_s ? "&interval=5m" : "&interval=1d"));
            QVERIFY(s && s->symbol == symbol && s->gmtOffset == offset);
            QVERIFY2(s->bars.size() >= minBars && s->bars.size() <= maxBars, qPrintable(symbol + range));
            for (const tickora::PriceBar& b : std::as_const(s->bars))
                QVERIFY((b.time + offset) % step == 0 && b.close > 0 && b.low <= std::min(b.open, b.close) &&
                        b.high >= std::max(b.open, b.close));
            if (range == u"1d"_s)
                QCOMPARE((s->bars.first().time + offset) / day, (s->bars.last().time + offset) / day);
            QCOMPARE(s->lastPrice, s->bars.last().close);
        }
        for (const auto& [path, status, code] :
             {std::tuple("/v8/finance/chart/4444.T?range=1y&interval=1d", 404, u"Not Found"_s),
              std::tuple("/v8/finance/chart/7203.T?range=7w&interval=1d", 400, u"Bad Request"_s)}) {
            const auto res = get(path);
            QVERIFY(res && res->status == status);
            const QByteArray bytes = QByteArray::fromStdString(res->body);
            QVERIFY(!tickora::readChartJson(bytes) && tickora::chartJsonErrorCode(bytes) == code);
        }
    }

    // Fault modes for a path prefix; status -1: no whole answer arrives.
    void faultsForAPath()
    {
        const std::tuple<QString, QString, int, bool, bool> cases[] = {
            // mode, prefix, today's status, today's state read, 2012 page faulted
            {u"status:503"_s, u"/quote"_s, 503, false, false},
            {u"status:500"_s, QString(), 500, false, true},
            {u"garbage"_s, u"/quote/"_s, 200, false, false},
            {u"reset"_s, u"/quote/7203"_s, -1, false, false},
            {u"status:503"_s, u"/stocks"_s, 200, true, true}};
        for (const auto& [mode, prefix, status, state, oldFaulted] : cases) {
            m_server->setFault(*FaultMode::parse(mode), prefix);
            const auto res = get("/quote/7203.T");
            const auto old = get("/stocks/detail/?code=7203");
            m_server->setFault(FaultMode{});
            QCOMPARE(res ? res->status : -1, status);
            QCOMPARE(!stateOf(body(res)).isEmpty(), state);
            QCOMPARE(!parse(old).isDetailPage, oldFaulted);
        }
        m_server->setFault(*FaultMode::parse(u"status:429:30"_s), u"/v8/"_s);
        const auto held = get("/v8/finance/chart/7203.T?range=1y&interval=1d");
        m_server->setFault(*FaultMode::parse(u"garbage"_s), u"/v8/"_s);
        QVERIFY(!series("/v8/finance/chart/7203.T?range=1y&interval=1d"));
        m_server->setFault(FaultMode{});
        QVERIFY(held && held->status == 429 && held->get_header_value("Retry-After") == "30");
    }

    // Each mode set through the control endpoint; an unknown one is refused.
    void faults()
    {
        for (const auto& [mode, control, status, detail, minSize] :
             {std::tuple{"none", 200, 200, true, 20000},
              {"status:503", 200, 503, false, 0},
              {"garbage", 200, 200, false, 4096},
              {"huge:2", 200, 200, false, 2 << 20},
              {"reset", 200, -1, false, 0},
              {"sometimes", 400, 200, true, 20000}}) {
            QVERIFY(get("/_control/fault?mode=none"));
            QCOMPARE(get(std::string("/_control/fault?mode=") + mode)->status, control);
            const auto res = get("/stocks/detail/?code=7203");
            QCOMPARE(res ? res->status : -1, status);
            QCOMPARE(parse(res).isDetailPage, detail);
            QVERIFY2(!res || (res->body.size() >= size_t(minSize) &&
                              res->get_header_value("X-Tickora-Simulated") == "1"),
                     mode);
        }
        // An overload status may name when to come back; modes read back as they were set.
        QCOMPARE(get("/_control/fault?mode=status:429:45")->body, std::string("fault=status:429:45 path=\n"));
        const auto busy = get("/quote/7203.T");
        QVERIFY(busy && busy->status == 429 && busy->get_header_value("Retry-After") == "45");
        QVERIFY(get("/_control/fault?mode=status:503") && !get("/quote/7203.T")->has_header("Retry-After"));
        for (const char* bad : {"status:429:", "status:429:-1", "status:429:86401", "status:429:5:5",
                                "status:199", "status:x:5"})
            QVERIFY2(!FaultMode::parse(QString::fromLatin1(bad)), bad);
        QVERIFY(get("/_control/fault?mode=none"));
    }
};

QTEST_MAIN(TestMarket)
#include "tst_market.moc"
