// The simulated market's other page forms: the quote's time written in each form, the Nikkei's page
// streamed, and the control path's pages that must not be read as a quote.

#include "quotes/pageverdict.h"
#include "server.h"
#include "timeforms.h"

#include <httplib.h>

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora;
using namespace tickora::market;

namespace {

/// A trading day (a Friday), so that the first page shows that day's session.
const QDate Day(2026, 9, 18);

QString fetchBody(int port, const std::string& path, int* status = nullptr)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10, 0);
    const httplib::Result r = client.Get(path);
    if (status)
        *status = r ? r->status : 0;
    return r ? QString::fromStdString(r->body) : QString();
}

ServerOptions optionsWith(StockPageForm stocks, IndexPageForm index, TimeForm time)
{
    ServerOptions o;
    o.firstDay = Day;
    o.startMinute = 10 * 60;
    o.stockPages = stocks;
    o.indexPages = index;
    o.timeForm = time;
    return o;
}

} // namespace

class TestMarketVariants : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each form the pages write the time in reads back as the grid's one form.
    void timeForms_data()
    {
        QTest::addColumn<int>("stocks");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("written"); ///< the page's own text
        QTest::addColumn<QString>("nextDay"); ///< the time cell a day later
        const QString time = u"1?\\d:\\d\\d"_s;
        for (const auto& [stocks, name] :
             {std::pair{int(StockPageForm::Streamed), "streamed"}, {int(StockPageForm::State), "state"}}) {
            QTest::addRow("%s, short", name) << stocks << u"short"_s << time << time;
            QTest::addRow("%s, seconds", name) << stocks << u"seconds"_s << u"\\d\\d:\\d\\d:00"_s << time;
            QTest::addRow("%s, dated", name)
                << stocks << u"dated"_s << u"2026/09/18 \\d\\d:\\d\\d"_s << u"9/18"_s;
        }
    }
    void timeForms()
    {
        QFETCH(int, stocks);
        QFETCH(QString, form);
        QFETCH(QString, written);
        QFETCH(QString, nextDay);
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}},
                            optionsWith(StockPageForm(stocks), IndexPageForm::State, *parseTimeForm(form)));
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        const QString page = fetchBody(port, "/quote/7203.T");
        const QuoteReading raw = readQuotePage(page);
        QVERIFY2(QRegularExpression(u"^(%1)$"_s.arg(written)).match(raw.fields.time).hasMatch(),
                 qPrintable(raw.fields.time));
        const JudgedQuote today = judgeQuotePage(page, u"7203"_s, QuotePages::Today, Day);
        QCOMPARE(today.verdict, PageVerdict::Read);
        QVERIFY2(QRegularExpression(u"^1?\\d:\\d\\d$"_s).match(today.reading.fields.time).hasMatch(),
                 qPrintable(today.reading.fields.time));
        const JudgedQuote later = judgeQuotePage(page, u"7203"_s, QuotePages::Today, Day.addDays(1));
        QVERIFY2(QRegularExpression(u"^(%1)$"_s.arg(nextDay)).match(later.reading.fields.time).hasMatch(),
                 qPrintable(later.reading.fields.time));
        // The Nikkei's page in the same form.
        const JudgedIndex index = judgeIndexPage(fetchBody(port, "/quote/998407.O"), QuotePages::Today, Day);
        QVERIFY2(index.verdict == PageVerdict::Read &&
                     QRegularExpression(u"^1?\\d:\\d\\d$"_s).match(index.reading.time).hasMatch(),
                 qPrintable(index.reading.line));
    }

    // The Nikkei's page streamed: its time dated, read from the stream, the same figures as its state.
    void streamedIndexPage()
    {
        MarketServer streamed({},
                              optionsWith(StockPageForm::Streamed, IndexPageForm::Streamed, TimeForm::Short));
        MarketServer state({}, optionsWith(StockPageForm::Streamed, IndexPageForm::State, TimeForm::Short));
        const int ports[] = {streamed.startInBackground(0), state.startInBackground(0)};
        QVERIFY(ports[0] > 0 && ports[1] > 0);
        const QString page = fetchBody(ports[0], "/quote/998407.O");
        QVERIFY(!page.contains(u"__PRELOADED_STATE__"_s));
        const IndexReading raw = readIndexPage(page);
        QCOMPARE(raw.form, PageForm::Streamed);
        QVERIFY2(QRegularExpression(u"^2026/09/18 \\d\\d:\\d\\d$"_s).match(raw.time).hasMatch(),
                 qPrintable(raw.time));
        const JudgedIndex judged = judgeIndexPage(page, QuotePages::Today, Day);
        const JudgedIndex fromState =
            judgeIndexPage(fetchBody(ports[1], "/quote/998407.O"), QuotePages::Today, Day);
        QCOMPARE(judged.verdict, PageVerdict::Read);
        QCOMPARE(fromState.reading.form, PageForm::State);
        QCOMPARE(judged.reading.line, fromState.reading.line);
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
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}, {u"285A"_s, u"キオクシア"_s}},
                            optionsWith(StockPageForm::Streamed, IndexPageForm::State, TimeForm::Short));
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
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}},
                            optionsWith(StockPageForm::Streamed, IndexPageForm::State, TimeForm::Short));
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

QTEST_GUILESS_MAIN(TestMarketVariants)
#include "tst_marketvariants.moc"
