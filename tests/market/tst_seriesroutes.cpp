// The chart JSON of each kind of symbol and span, and its refusals, through the program's reader.

#include "charts.h"
#include "charts/seriesreader.h"
#include "marketclient.h"
#include "quotes/quotepage.h"
#include "quotes/seriesquote.h"
#include "server.h"

#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace tickora::market;
using tickora::market::test::bodyOf;
using tickora::market::test::fetch;

namespace {

/// A name from the code list that would end or comment out a script element if it were not escaped.
const QString EvilName = u"\"極\\洋\"\n</script><script>alert(1)</script>A</SCRIPT >B<!--<script>"_s;

} // namespace

class TestSeriesRoutes : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path) { return fetch(m_port, path); }

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    void initTestCase()
    {
        m_server = std::make_unique<MarketServer>(
            QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}, {u"1301"_s, EvilName}},
            ServerOptions{.stockPages = StockPageForm::State});
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
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
        const auto s = tickora::readChartJson(
            bodyOf(get("/v8/finance/chart/" + QUrl::toPercentEncoding(symbol).toStdString() +
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
            const tickora::QuoteFields page = tickora::parseQuotePage(bodyOf(get("/quote/1301.T")));
            auto read = tickora::quoteFromSeriesJson(
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
                tickora::chartJsonErrorCode(QByteArray::fromStdString(res->body)) == u"Not Found"_s);
    }
};

QTEST_GUILESS_MAIN(TestSeriesRoutes)
#include "tst_seriesroutes.moc"
