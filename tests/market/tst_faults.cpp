// The fault modes the market answers with, by path prefix and through the control path.

#include "marketclient.h"
#include "quotes/quotepage.h"
#include "quotes/statepage.h"
#include "server.h"

#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;
using tickora::market::test::bodyOf;
using tickora::market::test::fetch;

class TestFaults : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path) { return fetch(m_port, path); }
    bool oldPageRead()
    {
        return tickora::parseQuotePage(bodyOf(get("/stocks/detail/?code=7203"))).isDetailPage;
    }

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
        QCOMPARE(!tickora::embeddedPageState(bodyOf(res)).value_or(QJsonObject()).isEmpty(), stateRead);
        QCOMPARE(!oldRead, oldFaulted);
    }

    // Through the control endpoint: an overload status may name when to come back; modes read back.
    void faultThroughControl()
    {
        QCOMPARE(get("/_control/fault?mode=status:429:45")->body, std::string("fault=status:429:45 path=\n"));
        const auto busy = get("/quote/7203.T");
        QVERIFY(busy && busy->status == 429 && busy->get_header_value("Retry-After") == "45");
        QCOMPARE(get("/_control/fault?mode=status:429:86401")->status, 400);
        QVERIFY(get("/_control/fault?mode=none") && oldPageRead());
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
