// The Nikkei average's pages: the 2012 page's index line and today's page with a page state.

#include "charts/seriesreader.h"
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

class TestIndexRoutes : public QObject
{
    Q_OBJECT

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    void initTestCase()
    {
        m_server = std::make_unique<MarketServer>(
            QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}},
            ServerOptions{.seed = 3, .firstDay = QDate(2025, 12, 5), .startMinute = 14 * 60 + 58});
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
    }

    // The 2012 page: "日経平均 value (change) time".
    void oldIndexLine()
    {
        QVERIFY(tickora::nikkeiLine(bodyOf(fetch(m_port, "/nkave")))
                    .contains(QRegularExpression(
                        u"^日経平均 [\\d,]+\\.\\d\\d \\([+-]?[\\d,]+\\.\\d\\d\\) 1?\\d:\\d\\d$"_s)));
    }

    // Today's page: HTML, marked as simulated, its state carrying about seven months of bars.
    void todayPageWithItsBars()
    {
        const auto res = fetch(m_port, "/quote/998407.O");
        QVERIFY(res && res->status == 200);
        QCOMPARE(res->get_header_value("Content-Type"), "text/html; charset=UTF-8");
        QCOMPARE(res->get_header_value("X-Tickora-Simulated"), "1");
        const qsizetype bars =
            tickora::readHistories(tickora::embeddedPageState(bodyOf(res)).value_or(QJsonObject())).size();
        QVERIFY2(bars >= 140 && bars <= 150, qPrintable(QString::number(bars)));
    }

    // Today's page read from its domestic index board.
    void todayIndexLine()
    {
        const tickora::IndexReading index = tickora::readIndexPage(bodyOf(fetch(m_port, "/quote/998407.O")));
        QVERIFY(index.found && index.form == tickora::PageForm::State);
        QVERIFY2(index.line.contains(QRegularExpression(
                     u"^日経平均 [\\d,]+\\.\\d\\d \\(1?\\d:\\d\\d\\) [+-]?[\\d,]+\\.\\d\\d$"_s)),
                 qPrintable(index.line));
    }
};

QTEST_GUILESS_MAIN(TestIndexRoutes)
#include "tst_indexroutes.moc"
