// The control paths: the pages that must not be read as a quote, and the time form while running.

#include "marketclient.h"
#include "quotes/pageverdict.h"
#include "server.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora;
using namespace tickora::market;
using tickora::market::test::fetchBody;

namespace {

/// A trading day (a Friday), so that the first page shows that day's session.
const QDate Day(2026, 9, 18);

const ServerOptions Options{.firstDay = Day, .startMinute = 10 * 60};

} // namespace

class TestControlRoutes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}, {u"285A"_s, u"キオクシア"_s}}, Options);
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
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}}, Options);
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

QTEST_GUILESS_MAIN(TestControlRoutes)
#include "tst_controlroutes.moc"
