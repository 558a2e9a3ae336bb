// The stock pages the market serves, read back with the program's own parsers: the 2012 page,
// today's page in each form from the same walk, the lettered codes, and codes it does not list.

#include "charts/seriesreader.h"
#include "codelist.h"
#include "marketclient.h"
#include "quotes/quotepage.h"
#include "quotes/statepage.h"
#include "server.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;
using tickora::market::test::bodyOf;
using tickora::market::test::fetch;

namespace {

tickora::QuoteFields parse(const httplib::Result& res)
{
    return tickora::parseQuotePage(bodyOf(res));
}

} // namespace

class TestQuoteRoutes : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path) { return fetch(m_port, path); }

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    void initTestCase()
    {
        m_server = std::make_unique<MarketServer>(QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}},
                                                  ServerOptions{.stockPages = StockPageForm::State});
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
    }

    // The 2012 stock-detail page: the company's name and every figure a grouped whole number.
    void oldDetailPage()
    {
        const tickora::QuoteFields q = parse(get("/stocks/detail/?code=7203"));
        QCOMPARE(q.name + QString::number(q.isDetailPage), u"トヨタ自動車(株)1"_s);
        for (const QString& field : {q.price, q.high, q.low, q.volume, q.prevClose})
            QVERIFY2(field.contains(QRegularExpression(u"^[1-9]\\d{0,2}(,\\d{3})*$"_s)), qPrintable(field));
    }

    // Today's stock page: HTML, marked as simulated, its state carrying about seven months of bars.
    void todayPageWithItsBars()
    {
        const auto res = get("/quote/7203.T");
        QVERIFY(res && res->status == 200);
        QCOMPARE(res->get_header_value("Content-Type"), "text/html; charset=UTF-8");
        QCOMPARE(res->get_header_value("X-Tickora-Simulated"), "1");
        const qsizetype bars =
            tickora::readHistories(tickora::embeddedPageState(bodyOf(res)).value_or(QJsonObject())).size();
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
        const tickora::QuoteFields q = parse(fetch(port, "/quote/285A.T"));
        QVERIFY2(q.isDetailPage && q.name.startsWith(u"キオクシアホールディングス"_s), qPrintable(q.name));
        const auto s = tickora::readChartJson(
            bodyOf(fetch(port, "/v8/finance/chart/285A.T?range=1y&interval=1d")).toUtf8());
        QVERIFY(s && s->symbol == u"285A.T"_s && !s->bars.isEmpty());
    }

    // Same-seeded markets of the 2012 pages and of today's, in each form, show the same quotes, from
    // Friday's close on; the streamed pages give the previous close's date as "12/5".
    void todayPagesMatchTheOld_data()
    {
        QTest::addColumn<int>("form");
        QTest::newRow("state") << int(tickora::PageForm::State);
        QTest::newRow("streamed") << int(tickora::PageForm::Streamed);
    }
    void todayPagesMatchTheOld()
    {
        QFETCH(int, form);
        QList<Listing> listings;
        for (int code = 1301; code < 1313; ++code)
            listings.append({QString::number(code), u"銘柄"_s + QString::number(code)});
        ServerOptions options{.seed = 3, .firstDay = QDate(2025, 12, 5), .startMinute = 14 * 60 + 58};
        ServerOptions todayOptions = options;
        todayOptions.stockPages = tickora::PageForm(form) == tickora::PageForm::State
                                      ? StockPageForm::State
                                      : StockPageForm::Streamed;
        options.stockPages = StockPageForm::State;
        MarketServer old(listings, options), today(listings, todayOptions);
        const int oldPort = old.startInBackground(0), todayPort = today.startInBackground(0);
        QVERIFY(oldPort > 0 && todayPort > 0);
        for (int round = 0; round < 5; ++round)
            for (const Listing& l : std::as_const(listings)) {
                const tickora::QuoteFields q =
                    parse(fetch(oldPort, "/stocks/detail/?code=" + l.code.toStdString()));
                QVERIFY2(q.isDetailPage, qPrintable(l.code));
                const auto reading =
                    tickora::readQuotePage(bodyOf(fetch(todayPort, "/quote/" + l.code.toStdString() + ".T")));
                tickora::QuoteFields read = reading.fields;
                read.shortName = q.shortName; // the code list's name, which the 2012 page does not show
                if (reading.form == tickora::PageForm::Streamed && read.time.contains(u'/'))
                    read.time = QDate::fromString(read.time, u"M/d"_s).toString(u"MM/dd"_s);
                QCOMPARE(int(reading.form), form);
                QCOMPARE(read.boardCode, l.code); // the board names its own code
                read.boardCode.clear();           // which the 2012 page does not
                QCOMPARE(read, q);
            }
    }
};

QTEST_MAIN(TestQuoteRoutes)
#include "tst_quoteroutes.moc"
