// The simulated market: the pages and pictures it serves read back through the program's own
// parsers, and its fault modes answer as the end-to-end tests expect them to.

#include "charts.h"
#include "charts/seriesreader.h"
#include "platform/pictures.h"
#include "quotes/nikkei.h"
#include "quotes/quoteparser.h"
#include "quotes/todaypage.h"
#include "server.h"
#include "todaypages.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <tuple>

using namespace Qt::StringLiterals;
using namespace tickora::market;

namespace {

const QString StateMarker = u"window.__PRELOADED_STATE__ = "_s;

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

/// The value at a dotted key path such as "mainStocksPriceBoard.priceBoard.price".
QJsonValue at(const QJsonObject& state, const QString& path)
{
    QJsonValue v = state;
    for (const QString& key : path.split(u'.'))
        v = v.toObject().value(key);
    return v;
}

QString text(const QJsonObject& state, const QString& path)
{
    return at(state, path).toString();
}

} // namespace

class TestMarket : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path) { return fetch(m_port, path); }

    static tickora::QuoteFields parse(const httplib::Result& res)
    {
        return tickora::parseQuotePage(res ? QString::fromStdString(res->body) : QString());
    }

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    void initTestCase()
    {
        m_server =
            std::make_unique<MarketServer>(QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}}, ServerOptions{});
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
    }

    void servesPagesTheProgramReads()
    {
        const tickora::QuoteFields q = parse(get("/stocks/detail/?code=7203"));
        QVERIFY(q.isDetailPage);
        QCOMPARE(q.name, u"トヨタ自動車(株)"_s);
        for (const QString& field : {q.price, q.high, q.low, q.volume, q.prevClose})
            QVERIFY2(QRegularExpression(u"^[1-9]\\d{0,2}(,\\d{3})*$"_s).match(field).hasMatch(),
                     qPrintable(field));
        QVERIFY(!parse(get("/stocks/detail/?code=4444")).isDetailPage);

        const QString nikkei = tickora::nikkeiLine(QString::fromStdString(get("/nkave")->body));
        const QRegularExpression line(
            u"^日経平均 [\\d,]+\\.\\d\\d \\([+-]?[\\d,]+\\.\\d\\d\\) 1?\\d:\\d\\d$"_s);
        QVERIFY2(line.match(nikkei).hasMatch(), qPrintable(nikkei));

        const auto chart = get("/f?s=7203.T");
        QVERIFY(chart && chart->status == 200);
        QCOMPARE(tickora::decodePicture(QByteArray::fromStdString(chart->body)).size(), QSize(288, 180));
    }

    // Two markets with the same seed, one asked for the 2012 pages and one for today's: each
    // request moves its walk alike, so both show the same quote. The run crosses the close.
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
                // Read back through the program's own reader, the page gives the old page's quote.
                tickora::QuoteFields read = tickora::parseQuotePage(todayPage);
                QCOMPARE(read.shortName, text(state, u"mainStocksPriceBoard.priceBoard.shortName"_s));
                read.shortName = q.shortName;
                QCOMPARE(read, q);
                const QString board = u"mainStocksPriceBoard.priceBoard."_s,
                              detail = u"mainStocksDetail.detail."_s;
                QStringList shown;
                for (const QString& key :
                     {u"code"_s, u"name"_s, u"price"_s, u"priceChange"_s, u"priceDateTime"_s})
                    shown << text(state, board + key);
                for (const QString& key :
                     {u"openPrice"_s, u"highPrice"_s, u"lowPrice"_s, u"volume"_s, u"previousPrice"_s})
                    shown << text(state, detail + key);
                shown[3] = tickora::signedChange(shown[3]);
                QCOMPARE(shown, (QStringList{l.code, q.name, q.price, q.change, q.time, q.open, q.high, q.low,
                                             q.volume, q.prevClose}));
                QCOMPARE(at(state, board + u"isRealTime"_s).toBool(),
                         !oldPage.contains(u"20分ディレイ株価"_s));
                sawDelayed |= oldPage.contains(u"20分ディレイ株価"_s);

                // The daily bars end with the previous close, on the previous day.
                const QJsonArray bars =
                    at(state, u"mainItemDetailChartSetting.timeSeriesData.histories"_s).toArray();
                QVERIFY(!bars.isEmpty());
                const QJsonObject last = bars.last().toObject();
                QCOMPARE(tickora::market::formatNumber(last.value(u"closePrice"_s).toDouble()), q.prevClose);
                QCOMPARE(last.value(u"baseDatetime"_s).toString().mid(5, 5).replace(u'-', u'/'),
                         text(state, detail + u"previousPriceDate"_s));
                sawNextDay |= text(state, detail + u"previousPriceDate"_s) == u"12/05"_s;
            }
            const QString nikkei = tickora::nikkeiLine(body(fetch(oldPort, "/nkave")));
            const QString indexPage = body(fetch(todayPort, "/quote/998407.O"));
            const QJsonObject index = stateOf(indexPage);
            const QString board = u"mainIndexPriceBoard.priceBoard."_s;
            QCOMPARE(text(index, board + u"name"_s), u"日経平均株価"_s);
            QCOMPARE(
                u"日経平均 %1 (%2) %3"_s.arg(text(index, board + u"price"_s),
                                             tickora::signedChange(text(index, board + u"priceChange"_s)),
                                             text(index, board + u"priceDateTime"_s)),
                nikkei);
            QCOMPARE(tickora::nikkeiLine(indexPage),
                     u"日経平均 %1 (%2) %3"_s.arg(
                         text(index, board + u"price"_s), text(index, board + u"priceDateTime"_s),
                         tickora::signedChange(text(index, board + u"priceChange"_s))));
        }
        QVERIFY(sawDelayed);
        QVERIFY(sawNextDay);
    }

    void todayPageShape()
    {
        for (const std::string path : {"/quote/7203.T", "/quote/998407.O"}) {
            const auto res = get(path);
            QVERIFY(res && res->status == 200);
            QCOMPARE(res->get_header_value("Content-Type"), "text/html; charset=UTF-8");
            // About as heavy as the real pages.
            QVERIFY2(res->body.size() >= 300'000 && res->body.size() <= 500'000, path.c_str());
            const QString page = body(res);
            QVERIFY(page.startsWith(u"<!DOCTYPE html>"_s));
            QCOMPARE(page.count(StateMarker), 1);
            QVERIFY(QRegularExpression(
                        u"<script>\\n(\\s*//[^\\n]*\\n){2,}\\s*window\\.__PRELOADED_STATE__ = \\{"_s)
                        .match(page)
                        .hasMatch());
            const QJsonObject state = stateOf(page);
            QVERIFY2(!state.isEmpty(), path.c_str());

            const QJsonArray bars =
                at(state, u"mainItemDetailChartSetting.timeSeriesData.histories"_s).toArray();
            QVERIFY(bars.size() >= 140 && bars.size() <= 150);
            QString previous;
            for (const QJsonValue& v : bars) {
                const QJsonObject b = v.toObject();
                const QString date = b.value(u"baseDatetime"_s).toString();
                QVERIFY2(
                    QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT00:00:00\\+09:00$"_s).match(date).hasMatch(),
                    qPrintable(date));
                QVERIFY2(date > previous, qPrintable(date));
                previous = date;
                const double open = b.value(u"openPrice"_s).toDouble(),
                             close = b.value(u"closePrice"_s).toDouble();
                const double high = b.value(u"highPrice"_s).toDouble(),
                             low = b.value(u"lowPrice"_s).toDouble();
                QVERIFY2(low > 0 && low <= std::min(open, close) && std::max(open, close) <= high,
                         qPrintable(date));
                QVERIFY(b.value(u"volume"_s).toDouble() > 0);
            }
        }

        const QJsonObject stock = stateOf(body(get("/quote/7203.T")));
        for (const char16_t* key :
             {u"code", u"name", u"shortName", u"price", u"priceChange", u"priceChangeRate", u"priceDateTime"})
            QVERIFY2(!text(stock, u"mainStocksPriceBoard.priceBoard."_s + key).isEmpty(),
                     qPrintable(QString::fromUtf16(key)));
        for (const char16_t* key : {u"previousPrice", u"previousPriceDate", u"openPrice", u"highPrice",
                                    u"lowPrice", u"volume", u"tradingValue"})
            QVERIFY2(!text(stock, u"mainStocksDetail.detail."_s + key).isEmpty(),
                     qPrintable(QString::fromUtf16(key)));
        QVERIFY(at(stock, u"mainStocksDetail.detail.isStopHighPrice"_s).isBool());
        QVERIFY(at(stock, u"mainStocksDetail.detail.isStopLowPrice"_s).isBool());
        QVERIFY(at(stock, u"mainStocksDetail.referenceIndex.shareDividendYield"_s).isDouble());
        QVERIFY(!text(stock, u"mainStocksDetail.referenceIndex.per"_s).isEmpty());
    }

    // What the price board shows, drawn from a quote of each kind.
    void todayPriceBoard_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<qint64>("volume");
        QTest::addColumn<bool>("realTime");
        QTest::addColumn<int>("limit");        // +1 limit up reached, -1 limit down
        QTest::addColumn<QString>("expected"); // price, change, rate, time, stop high, stop low

        QTest::newRow("rise") << 2648.0 << qint64(100) << true << 0 << u"2,648 30 1.15 14:05 false false"_s;
        QTest::newRow("fall") << 2597.0 << qint64(100) << true << 0 << u"2,597 -21 -0.80 14:05 false false"_s;
        QTest::newRow("unchanged") << 2618.0 << qint64(100) << true << 0
                                   << u"2,618 0 0.00 14:05 false false"_s;
        QTest::newRow("delayed") << 2648.0 << qint64(100) << false << 0
                                 << u"2,648 30 1.15 13:45 false false"_s;
        QTest::newRow("limit up") << 3118.0 << qint64(100) << true << 1
                                  << u"3,118 500 19.10 14:05 true false"_s;
        QTest::newRow("limit down") << 2118.0 << qint64(100) << true << -1
                                    << u"2,118 -500 -19.10 14:05 false true"_s;
        QTest::newRow("no trade yet")
            << 2618.0 << qint64(0) << true << 0 << u"--- --- --- 12/04 false false"_s;
    }

    void todayPriceBoard()
    {
        QFETCH(double, price);
        QFETCH(qint64, volume);
        QFETCH(bool, realTime);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        QuoteView q;
        q.code = u"7203"_s;
        q.shortName = u"トヨタ自動車"_s;
        q.companyName = u"トヨタ自動車(株)"_s;
        q.price = q.open = q.high = q.low = price;
        q.prevClose = 2618;
        q.volume = volume;
        q.minute = 14 * 60 + 5;
        q.realTime = realTime;
        q.limitUp = 3118;
        q.limitDown = 2118;
        q.limitUpReached = limit > 0;
        q.limitDownReached = limit < 0;
        q.date = QDate(2025, 12, 5);
        q.prevDate = QDate(2025, 12, 4);
        q.yearHigh = q.yearLow = price;
        q.sharesOutstanding = 1'000'000;
        const QJsonObject state = stateOf(todayQuotePage(q));
        const QString board = u"mainStocksPriceBoard.priceBoard."_s, detail = u"mainStocksDetail.detail."_s;
        const QStringList shown{text(state, board + u"price"_s),
                                text(state, board + u"priceChange"_s),
                                text(state, board + u"priceChangeRate"_s),
                                text(state, board + u"priceDateTime"_s),
                                at(state, detail + u"isStopHighPrice"_s).toBool() ? u"true"_s : u"false"_s,
                                at(state, detail + u"isStopLowPrice"_s).toBool() ? u"true"_s : u"false"_s};
        QCOMPARE(shown.join(u' '), expected);
    }

    // Text from the code list or the address cannot end the state's script element or turn it
    // into a comment, and reads back from the state unchanged.
    void todayPagesKeepTextInsideTheState_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::string>("path");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QString board = u"mainStocksPriceBoard.priceBoard.shortName"_s;
        const QString search = u"mainNotFound.searchWord"_s;
        QTest::newRow("script end in a name")
            << u"極洋</script><script>alert(1)</script>"_s << std::string("/quote/1301.T") << board
            << u"極洋</script><script>alert(1)</script>"_s;
        QTest::newRow("upper case end")
            << u"A</SCRIPT >B"_s << std::string("/quote/1301.T") << board << u"A</SCRIPT >B"_s;
        QTest::newRow("comment in a name")
            << u"<!--<script>"_s << std::string("/quote/1301.T") << board << u"<!--<script>"_s;
        QTest::newRow("quotes and backslash")
            << u"\"極\\洋\"\n"_s << std::string("/quote/1301.T") << board << u"\"極\\洋\"\n"_s;
        QTest::newRow("script end in the address")
            << u"極洋"_s << std::string("/quote/%3C%2Fscript%3E%3Cb%3E%22x.T") << search
            << u"</script><b>\"x"_s;
    }

    void todayPagesKeepTextInsideTheState()
    {
        QFETCH(QString, name);
        QFETCH(std::string, path);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        MarketServer server({{u"1301"_s, name}}, ServerOptions{});
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        const QString page = body(fetch(port, path));
        const auto found = tickora::findEmbeddedState(page);
        QVERIFY(found && found->state);
        QCOMPARE(text(*found->state, key), expected);
        const QString element = page.mid(found->textFrom, found->textTo - found->textFrom);
        QVERIFY(!element.contains(u"<!--"_s) && !element.contains(u"</script"_s, Qt::CaseInsensitive));
        // In the markup the text is escaped.
        const QString markup = page.left(found->textFrom);
        QVERIFY(!markup.contains(u"<script>alert"_s) && !markup.contains(u"<b>"_s));
    }

    // A code the market does not list gets a page without the price board, with the status the
    // stock-detail path gives such a code.
    void todayUnknownCodes()
    {
        const int oldStatus = get("/stocks/detail/?code=4444")->status;
        for (const std::string path :
             {"/quote/4444.T", "/quote/7203", "/quote/7203.O", "/quote/", "/quote/7203.T.T"}) {
            const auto res = get(path);
            QVERIFY2(res && res->status == oldStatus, path.c_str());
            const QString page = body(res);
            const QJsonObject state = stateOf(page);
            QCOMPARE(text(state, u"pageInfo.pageType"_s), u"notFound"_s);
            QVERIFY(!state.contains(u"mainStocksPriceBoard"_s));
            QVERIFY(!page.contains(u"id=\"mainStocksPriceBoard\""_s));
        }
    }

    // Fault modes for a path prefix reach today's pages just as the 2012 ones; status -1: no
    // whole answer arrives.
    void faultsApplyToTodayPages_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("state");
        QTest::addColumn<bool>("oldFaulted");
        QTest::newRow("status for /quote") << u"status:503"_s << u"/quote"_s << 503 << false << false;
        QTest::newRow("status for every path") << u"status:500"_s << QString() << 500 << false << true;
        QTest::newRow("garbage") << u"garbage"_s << u"/quote/"_s << 200 << false << false;
        QTest::newRow("reset") << u"reset"_s << u"/quote/7203"_s << -1 << false << false;
        QTest::newRow("huge") << u"huge:1"_s << u"/quote"_s << 200 << false << false;
        QTest::newRow("only the old pages") << u"status:503"_s << u"/stocks"_s << 200 << true << true;
    }

    void faultsApplyToTodayPages()
    {
        QFETCH(QString, mode);
        QFETCH(QString, prefix);
        QFETCH(int, status);
        QFETCH(bool, state);
        QFETCH(bool, oldFaulted);
        m_server->setFault(*FaultMode::parse(mode), prefix);
        const auto res = get("/quote/7203.T");
        const auto old = get("/stocks/detail/?code=7203");
        m_server->setFault(FaultMode{});
        QCOMPARE(res ? res->status : -1, status);
        QCOMPARE(!stateOf(body(res)).isEmpty(), state);
        QCOMPARE(!parse(old).isDetailPage, oldFaulted);
    }

    // The chart JSON of every symbol and span, read back through the program's reader.
    void seriesReadBack_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("range");
        QTest::addColumn<int>("minBars");
        QTest::addColumn<int>("maxBars");
        QTest::addColumn<qint64>("step"); ///< every bar time is a multiple of it after local midnight
        QTest::addColumn<int>("offset");
        const qint64 day = 24 * 3600;
        QTest::newRow("stock, 1 year") << u"7203.T"_s << u"1y"_s << 230 << 270 << day << TokyoGmtOffset;
        QTest::newRow("stock, 6 months") << u"7203.T"_s << u"6mo"_s << 110 << 140 << day << TokyoGmtOffset;
        QTest::newRow("stock, the day") << u"7203.T"_s << u"1d"_s << 1 << 62 << qint64(300) << TokyoGmtOffset;
        QTest::newRow("Nikkei, 6 months") << u"^N225"_s << u"6mo"_s << 110 << 140 << day << TokyoGmtOffset;
        QTest::newRow("Nikkei, the day") << u"^N225"_s << u"1d"_s << 1 << 62 << qint64(300) << TokyoGmtOffset;
        QTest::newRow("Dow, 1 year") << u"^DJI"_s << u"1y"_s << 230 << 270 << day << NewYorkGmtOffset;
        QTest::newRow("dollar-yen, the day")
            << u"JPY=X"_s << u"1d"_s << 1 << 288 << qint64(300) << TokyoGmtOffset;
    }
    void seriesReadBack()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, range);
        QFETCH(int, minBars);
        QFETCH(int, maxBars);
        QFETCH(qint64, step);
        QFETCH(int, offset);
        for (int i = 0; i < 3; ++i) // a few minutes of the day
            QVERIFY(get("/quote/7203.T") && get("/nkave"));
        const QString interval = range == u"1d"_s ? u"5m"_s : u"1d"_s;
        const QByteArray path = "/v8/finance/chart/" + QUrl::toPercentEncoding(symbol) +
                                "?range=" + range.toUtf8() + "&interval=" + interval.toUtf8();
        const auto res = get(path.toStdString());
        QVERIFY(res);
        QCOMPARE(res->status, 200);
        const auto series = tickora::readChartJson(QByteArray::fromStdString(res->body));
        QVERIFY(series);
        QCOMPARE(series->symbol, symbol);
        QCOMPARE(series->gmtOffset, offset);
        QVERIFY2(series->bars.size() >= minBars && series->bars.size() <= maxBars,
                 qPrintable(QString::number(series->bars.size())));
        qint64 previous = std::numeric_limits<qint64>::min();
        for (const tickora::PriceBar& b : std::as_const(series->bars)) {
            QVERIFY(b.time > previous);
            QCOMPARE((b.time + offset) % step, 0);
            QVERIFY(b.low <= std::min(b.open, b.close) && b.high >= std::max(b.open, b.close));
            QVERIFY(b.close > 0);
            previous = b.time;
        }
        if (range == u"1d"_s) // the day so far: all in one local day, the last price its last close
            QCOMPARE((series->bars.first().time + offset) / (24 * 3600),
                     (series->bars.last().time + offset) / (24 * 3600));
        QCOMPARE(series->lastPrice, series->bars.last().close);
    }

    void seriesSpansAgree()
    {
        const auto year = tickora::readChartJson(
            QByteArray::fromStdString(get("/v8/finance/chart/7203.T?range=1y&interval=1d")->body));
        const auto half = tickora::readChartJson(
            QByteArray::fromStdString(get("/v8/finance/chart/7203.T?range=6mo&interval=1d")->body));
        QVERIFY(year && half && !half->bars.isEmpty());
        // Six months are the last part of the year, bar for bar.
        const auto tail = year->bars.mid(year->bars.size() - half->bars.size());
        for (qsizetype i = 0; i < half->bars.size(); ++i) {
            QCOMPARE(tail[i].time, half->bars[i].time);
            QCOMPARE(tail[i].close, half->bars[i].close);
        }
    }

    void seriesRefusals_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("code");
        QTest::newRow("unlisted stock")
            << u"/v8/finance/chart/4444.T?range=1y&interval=1d"_s << 404 << u"Not Found"_s;
        QTest::newRow("unknown symbol")
            << u"/v8/finance/chart/XYZ?range=1d&interval=5m"_s << 404 << u"Not Found"_s;
        QTest::newRow("unknown range")
            << u"/v8/finance/chart/7203.T?range=7w&interval=1d"_s << 400 << u"Bad Request"_s;
    }
    void seriesRefusals()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QString, code);
        const auto res = get(path.toStdString());
        QVERIFY(res);
        QCOMPARE(res->status, status);
        const QByteArray bytes = QByteArray::fromStdString(res->body);
        QVERIFY(!tickora::readChartJson(bytes));
        QCOMPARE(tickora::chartJsonErrorCode(bytes), code);
    }

    void faultsApplyToSeries()
    {
        m_server->setFault(*FaultMode::parse(u"status:429:30"_s), u"/v8/"_s);
        const auto held = get("/v8/finance/chart/7203.T?range=1y&interval=1d");
        m_server->setFault(*FaultMode::parse(u"garbage"_s), u"/v8/"_s);
        const auto garbled = get("/v8/finance/chart/7203.T?range=1y&interval=1d");
        m_server->setFault(FaultMode{});
        QVERIFY(held && garbled);
        QCOMPARE(held->status, 429);
        QCOMPARE(held->get_header_value("Retry-After"), std::string("30"));
        QVERIFY(!tickora::readChartJson(QByteArray::fromStdString(garbled->body)));
    }

    // Each mode set through the control endpoint (an unknown one is refused and changes nothing);
    // status -1: no whole answer arrives.
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
            QVERIFY2(!res || res->body.size() >= size_t(minSize), mode);
            QVERIFY2(!res || res->get_header_value("X-Tickora-Simulated") == "1", mode);
        }
        // An overload status may name when to come back; modes read back as they were set.
        QCOMPARE(get("/_control/fault?mode=status:429:45")->body, std::string("fault=status:429:45 path=\n"));
        const auto busy = get("/quote/7203.T");
        QCOMPARE(busy->status, 429);
        QCOMPARE(busy->get_header_value("Retry-After"), std::string("45"));
        QVERIFY(get("/_control/fault?mode=status:503") && !get("/quote/7203.T")->has_header("Retry-After"));
        for (const char* bad : {"status:429:", "status:429:-1", "status:429:86401", "status:429:5:5",
                                "status:199", "status:x:5"})
            QVERIFY2(!FaultMode::parse(QString::fromLatin1(bad)), bad);
        QVERIFY(get("/_control/fault?mode=none"));
    }
};

QTEST_MAIN(TestMarket)
#include "tst_market.moc"
