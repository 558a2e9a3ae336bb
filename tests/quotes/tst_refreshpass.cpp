// The refresh pass: rows covered, what it writes and keeps, alerts, order of results,
// failures and overlapping requests.
#include "quotes/refreshpass.h"
#include "support/fakes.h"
#include "support/sheet.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

class RecordingHost : public RefreshPassHost
{
public:
    explicit RecordingHost(MemorySheet& sheet) : m_sheet(sheet) {}
    QuoteSheet& sheet() override { return m_sheet; }
    void passStarted(int rowCount) override { passes.append(rowCount); }
    void storeShortName(int row, const QString& s) override { shortNames[row] = s; }
    bool muted() const override { return mute; }
    void playChime(Chime chime) override { chimes.append(chime == Chime::Sell ? u"sell"_s : u"buy"_s); }
    void rowDone(int row) override { rowsDone.append(row); }
    void fetchFailed(int row) override
    {
        failures.append(row);
        if (whileFailureOpen)
            whileFailureOpen();
    }

    QList<int> passes;
    QHash<int, QString> shortNames;
    bool mute = false;
    QStringList chimes;
    QList<int> rowsDone;
    QList<int> failures;
    std::function<void()> whileFailureOpen;

private:
    MemorySheet& m_sheet;
};

/// Answers the open request for `code`'s page.
void reply(ManualHttpClient& http, const QString& code, int status, const QByteArray& body = {})
{
    HttpResponse r;
    r.status = status;
    r.body = body;
    r.contentType = "text/html; charset=utf-8";
    if (!http.answer(u"code="_s + code, r))
        qFatal("no open request for code %s", qPrintable(code));
}

struct Quote
{
    QString price = u"1,234"_s;
    QString change = u"+15"_s;
    bool detail = true;
};

/// A stock-detail page in the service's markup for `code`.
QByteArray page(const QString& code, const Quote& q = {})
{
    const QString changeClass = q.change.startsWith(u'-') ? u"icoDownRed"_s : u"icoUpGreen"_s;
    QString html = u"<html><head><title>【%1】銘柄%1株価 - %2 - Yahoo!ファイナンス</title></head><body>"
                   "<dl class=\"stocksInfo\"><dt>%1</dt><dd class=\"yjSb "
                   "real\"><span>10:15</span>リアルタイム株価</dd></dl>"
                   "<table class=\"stocksTable\"><tr><th class=\"symbol\"><h1>銘柄%1(株)</h1></th>"
                   "<td class=\"stoksPrice\">%3</td>"
                   "<td class=\"change\"><span class=\"yjSt\">前日比</span><span class=\"%4 "
                   "yjMSt\">%5（+0.10%）</span></td>"
                   "</tr></table><div class=\"innerDate\"><p>当日の値動きです。</p>"_s.arg(
                       code, q.detail ? u"株価詳細"_s : u"検索"_s, q.price, changeClass, q.change);
    html +=
        u"<div class=\"lineFi\"><dl><dd><strong>1,200</strong></dd><dt "
        u"class=\"title\">前日終値</dt></dl></div>"
        "<div class=\"lineFi\"><dl><dd><strong>1,210</strong></dd><dt class=\"title\">始値</dt></dl></div>"
        "<div class=\"lineFi\"><dl><dd><strong>1,250</strong></dd><dt class=\"title\">高値</dt></dl></div>"
        "<div class=\"lineFi\"><dl><dd><strong>1,190</strong></dd><dt class=\"title\">安値</dt></dl></div>"
        "<div class=\"lineFi\"><dl><dd><strong>54,300</strong>株</dd><dt "
        "class=\"title\">出来高<span>(10:15)</span></dt></dl></div>"
        "</div></body></html>"_s;
    return html.toUtf8();
}

QString codeOf(int row)
{
    return QString::number(1300 + row);
}

/// Fills code cells of the rows in `rows` and every other column with "old" values.
void fillRows(MemorySheet& sheet, const QList<int>& rows)
{
    for (int r : rows) {
        sheet.setCellText(r, grid::Code, codeOf(r));
        for (int c = grid::Name; c <= grid::Time; ++c)
            sheet.setCellText(r, c, u"old%1.%2"_s.arg(r).arg(c));
    }
}

struct Fixture
{
    MemorySheet sheet;
    RecordingHost* host = nullptr;
    std::unique_ptr<RefreshPass> pass;
    int doneCalls = 0;

    explicit Fixture(HttpClient& http)
    {
        auto h = std::make_unique<RecordingHost>(sheet);
        host = h.get();
        pass = std::make_unique<RefreshPass>(http, QUrl(u"http://market.test"_s), std::move(h));
    }
    void run()
    {
        pass->request([this] { ++doneCalls; });
    }
    bool runAndWait()
    {
        const int before = doneCalls;
        run();
        return QTest::qWaitFor([&] { return doneCalls > before; }, 5000);
    }
};

} // namespace

class TestRefreshPass : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rowCount_data();
    void rowCount();
    void columnsWrittenAndKept();
    void notDetailPage();
    void alerts_data();
    void alerts();
    void muteKeepsColours();
    void changeColour_data();
    void changeColour();
    void pageFieldsAsCells_data();
    void pageFieldsAsCells();
    void requestsTogetherAppliedInOrder();
    void failurePartWay();
    void overlappingRequests();
    void requestWhileFailureOpen();
    void codeChangedInFlight();
    void destroyedMidPass();
};

void TestRefreshPass::rowCount_data()
{
    QTest::addColumn<QList<int>>("filled");
    QTest::addColumn<int>("expected");
    QTest::newRow("rows 1-3 and 12") << QList<int>{1, 2, 3, 12} << 12;
    QTest::newRow("row 1 empty") << QList<int>{2, 3, 4} << 0;
    QTest::newRow("gap at row 5") << QList<int>{1, 2, 3, 4, 6, 7} << 4;
    QTest::newRow("only row 12") << QList<int>{12} << 12;
}

void TestRefreshPass::rowCount()
{
    QFETCH(QList<int>, filled);
    QFETCH(int, expected);
    ManualHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, filled);
    QCOMPARE(watchRowCount(f.sheet), expected);

    f.run();
    QCOMPARE(f.host->passes, QList<int>{expected});
    // Every covered row is requested at once, empty ones included.
    QCOMPARE(http.unanswered(), expected);
    QCOMPARE(f.doneCalls, expected == 0 ? 1 : 0);
}

// A code of blanks counts as filled.
void TestRefreshPass::columnsWrittenAndKept()
{
    FakeHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1, 2});
    f.sheet.setCellText(2, grid::Code, u" "_s);
    f.sheet.setCellText(1, grid::BuyTarget, u"1,000"_s);
    f.sheet.setCellText(1, grid::SellTarget, u"2,000"_s);
    http.serve(u"code=1301"_s, page(u"1301"_s));
    http.serve(u"code= "_s, page(u"0000"_s, {u"880"_s, u"-4"_s}));
    QVERIFY(f.runAndWait());

    QCOMPARE(rowTexts(f.sheet, 1),
             (QStringList{u"1301"_s, u"銘柄1301(株)"_s, u"1,234"_s, u"+15"_s, u"1,200"_s, u"54,300"_s,
                          u"1,210"_s, u"1,250"_s, u"1,190"_s, u"1,000"_s, u"2,000"_s, u"10:15"_s}));
    QCOMPARE(f.sheet.cellText(2, grid::Price), u"880"_s);
    QCOMPARE(f.sheet.cellText(2, grid::Change), u"-4"_s);
    QCOMPARE(f.sheet.cellText(2, grid::BuyTarget), u"old2.10"_s);
    QCOMPARE(f.sheet.cellText(2, grid::SellTarget), u"old2.11"_s);
    QCOMPARE(f.host->shortNames.value(1), u"銘柄1301"_s);
    QCOMPARE(f.host->shortNames.value(2), u"銘柄0000"_s);
    QCOMPARE(f.host->rowsDone, (QList<int>{1, 2}));
    QVERIFY(f.host->failures.isEmpty());
    QCOMPARE(f.doneCalls, 1);
}

void TestRefreshPass::notDetailPage()
{
    FakeHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1, 2, 3});
    f.sheet.setCellForeColor(2, grid::Change, cellcolor::Red);
    f.sheet.setCellForeColor(2, grid::SellTarget, cellcolor::Red);
    http.serve(u"code=1301"_s, page(u"1301"_s));
    http.serve(u"code=1302"_s, page(u"1302"_s, {u"1"_s, u"+1"_s, false}));
    http.serve(u"code=1303"_s, page(u"1303"_s));
    QVERIFY(f.runAndWait());

    for (int c = grid::Name; c <= grid::Low; ++c)
        QVERIFY2(f.sheet.cellText(2, c).isEmpty(), qPrintable(QString::number(c)));
    QCOMPARE(f.sheet.cellText(2, grid::Time), u"old2.12"_s);
    QCOMPARE(f.sheet.cellText(2, grid::SellTarget), u"old2.11"_s);
    QCOMPARE(f.sheet.cellForeColor(2, grid::Change), cellcolor::Red);
    QCOMPARE(f.sheet.cellForeColor(2, grid::SellTarget), cellcolor::Red);
    QCOMPARE(f.host->shortNames.value(2), u"銘柄1302"_s);
    QCOMPARE(f.sheet.cellText(3, grid::Price), u"1,234"_s);
    QCOMPARE(f.host->rowsDone, (QList<int>{1, 2, 3}));
}

void TestRefreshPass::alerts_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("buy");
    QTest::addColumn<QString>("sell");
    QTest::addColumn<bool>("sellAlert");
    QTest::addColumn<bool>("buyAlert");

    QTest::newRow("999 under sell 1,000 (texts would alert)")
        << u"999"_s << QString() << u"1,000"_s << false << false;
    QTest::newRow("1,234 over sell 1200 (texts would not)")
        << u"1,234"_s << QString() << u"1200"_s << true << false;
    QTest::newRow("1,234 over buy 1200 (texts would alert)")
        << u"1,234"_s << u"1200"_s << QString() << false << false;
    QTest::newRow("980 under buy 1,000 (texts would not)")
        << u"980"_s << u"1,000"_s << QString() << false << true;
    QTest::newRow("equal to both targets") << u"1,500"_s << u"1500"_s << u"1,500.0"_s << true << true;
    QTest::newRow("between: buy above, sell below") << u"100"_s << u"120"_s << u"90"_s << true << true;
    QTest::newRow("empty price (texts would buy)") << QString() << u"500"_s << u"600"_s << false << false;
    QTest::newRow("target not a number") << u"100"_s << u"abc"_s << u"1e2"_s << false << false;
    QTest::newRow("targets with blanks around") << u"100"_s << u" 100 "_s << QString() << false << true;
}

void TestRefreshPass::alerts()
{
    QFETCH(QString, price);
    QFETCH(QString, buy);
    QFETCH(QString, sell);
    QFETCH(bool, sellAlert);
    QFETCH(bool, buyAlert);

    const PriceAlerts a = priceAlerts(price, buy, sell);
    QCOMPARE(a.sell, sellAlert);
    QCOMPARE(a.buy, buyAlert);

    // Through a whole pass, twice: colours follow the alerts, stale colours are reset, and the
    // chime sounds again on every pass while the condition holds.
    FakeHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1});
    f.sheet.setCellText(1, grid::BuyTarget, buy);
    f.sheet.setCellText(1, grid::SellTarget, sell);
    f.sheet.setCellForeColor(1, grid::BuyTarget, cellcolor::Red);
    f.sheet.setCellForeColor(1, grid::SellTarget, cellcolor::Green);
    http.serve(u"code=1301"_s, page(u"1301"_s, {price}));
    QVERIFY(f.runAndWait());
    QVERIFY(f.runAndWait());

    QCOMPARE(f.sheet.cellText(1, grid::Price), price);
    QCOMPARE(f.sheet.cellForeColor(1, grid::SellTarget), sellAlert ? cellcolor::Red : cellcolor::Default);
    QCOMPARE(f.sheet.cellForeColor(1, grid::BuyTarget), buyAlert ? cellcolor::Green : cellcolor::Default);
    QStringList once;
    if (sellAlert)
        once << u"sell"_s;
    if (buyAlert)
        once << u"buy"_s;
    QCOMPARE(f.host->chimes, once + once);
}

void TestRefreshPass::muteKeepsColours()
{
    FakeHttpClient http;
    Fixture f(http);
    f.host->mute = true;
    fillRows(f.sheet, {1});
    f.sheet.setCellText(1, grid::BuyTarget, u"2,000"_s);
    f.sheet.setCellText(1, grid::SellTarget, u"1,000"_s);
    http.serve(u"code=1301"_s, page(u"1301"_s));
    QVERIFY(f.runAndWait());
    QCOMPARE(f.sheet.cellForeColor(1, grid::SellTarget), cellcolor::Red);
    QCOMPARE(f.sheet.cellForeColor(1, grid::BuyTarget), cellcolor::Green);
    QVERIFY(f.host->chimes.isEmpty());
}

void TestRefreshPass::changeColour_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<quint32>("before");
    QTest::addColumn<QString>("written");
    QTest::addColumn<quint32>("after");
    QTest::newRow("up") << u"+15"_s << cellcolor::Green << u"+15"_s << cellcolor::Red;
    QTest::newRow("down") << u"-3"_s << cellcolor::Red << u"-3"_s << cellcolor::Green;
    QTest::newRow("unchanged keeps green") << u"0"_s << cellcolor::Green << u"0"_s << cellcolor::Green;
    QTest::newRow("not numeric becomes 0") << u"---"_s << cellcolor::Red << u"0"_s << cellcolor::Red;
}

void TestRefreshPass::changeColour()
{
    QFETCH(QString, change);
    QFETCH(quint32, before);
    QFETCH(QString, written);
    QFETCH(quint32, after);
    FakeHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1});
    f.sheet.setCellForeColor(1, grid::Change, before);
    http.serve(u"code=1301"_s, page(u"1301"_s, {u"1,234"_s, change}));
    QVERIFY(f.runAndWait());
    QCOMPARE(f.sheet.cellText(1, grid::Change), written);
    QCOMPARE(f.sheet.cellForeColor(1, grid::Change), after);

    // The rule itself, for a change holding both signs: red first, then green.
    QuoteFields q;
    q.isDetailPage = true;
    q.change = u"+-1"_s;
    writeQuoteRow(f.sheet, 1, q);
    QCOMPARE(f.sheet.cellForeColor(1, grid::Change), cellcolor::Green);
}

void TestRefreshPass::pageFieldsAsCells_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("cell");
    QTest::newRow("line breaks and tab") << u"ト\r\nヨ\tタ\u2028"_s << u"ト  ヨ タ "_s;
    QTest::newRow("markup kept as text") << u"<b>&lt;</b>"_s << u"<b>&lt;</b>"_s;
    QTest::newRow("pair at the cut") << QString(255, u'x') + u"😀"_s << QString(255, u'x');
}

void TestRefreshPass::pageFieldsAsCells()
{
    QFETCH(QString, field);
    QFETCH(QString, cell);
    QCOMPARE(cellTextFromPage(field), cell);
    // Every column the page fills goes through it.
    MemorySheet sheet;
    QuoteFields q;
    q.isDetailPage = true;
    q.name = q.price = q.change = q.open = q.high = q.low = q.volume = q.prevClose = q.time = field;
    writeQuoteRow(sheet, 1, q);
    for (int c = grid::Name; c <= grid::Time; ++c)
        if (c != grid::BuyTarget && c != grid::SellTarget)
            QCOMPARE(sheet.cellText(1, c), cell);
}

void TestRefreshPass::requestsTogetherAppliedInOrder()
{
    ManualHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1, 2, 3, 4});
    f.run();
    QCOMPARE(http.unanswered(), 4);

    reply(http, codeOf(3), 200, page(codeOf(3)));
    reply(http, codeOf(2), 200, page(codeOf(2)));
    QVERIFY(f.host->rowsDone.isEmpty());
    QCOMPARE(f.sheet.cellText(2, grid::Price), u"old2.3"_s);

    reply(http, codeOf(1), 200, page(codeOf(1)));
    QCOMPARE(f.host->rowsDone, (QList<int>{1, 2, 3}));
    QCOMPARE(f.sheet.cellText(3, grid::Price), u"1,234"_s);
    QCOMPARE(f.sheet.cellText(4, grid::Price), u"old4.3"_s);
    QCOMPARE(f.doneCalls, 0);

    reply(http, codeOf(4), 200, page(codeOf(4)));
    QCOMPARE(f.host->rowsDone, (QList<int>{1, 2, 3, 4}));
    QCOMPARE(f.doneCalls, 1);
    QVERIFY(!f.pass->isRunning());
}

// Row 5 of 8 fails while rows 6 to 8 have already answered: rows 1-4 updated, row 5 emptied
// in columns 2 to 9, rows 6-8 as they were, one failure.
void TestRefreshPass::failurePartWay()
{
    ManualHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1, 2, 3, 4, 5, 6, 7, 8});
    QList<QStringList> before;
    for (int r = 0; r <= 8; ++r)
        before << rowTexts(f.sheet, r);
    f.run();
    QCOMPARE(http.unanswered(), 8);
    for (int r = 8; r >= 6; --r)
        reply(http, codeOf(r), 200, page(codeOf(r), {u"999"_s}));
    reply(http, codeOf(5), 404, "not found");
    QVERIFY(f.host->failures.isEmpty());
    for (int r = 4; r >= 1; --r)
        reply(http, codeOf(r), 200, page(codeOf(r)));

    for (int r = 1; r <= 4; ++r)
        QCOMPARE(f.sheet.cellText(r, grid::Price), u"1,234"_s);
    for (int c = grid::Name; c <= grid::Low; ++c)
        QVERIFY(f.sheet.cellText(5, c).isEmpty());
    QCOMPARE(f.sheet.cellText(5, grid::Time), u"old5.12"_s);
    QCOMPARE(f.sheet.cellText(5, grid::BuyTarget), u"old5.10"_s);
    for (int r = 6; r <= 8; ++r)
        QCOMPARE(rowTexts(f.sheet, r), before[r]);
    QCOMPARE(f.host->failures, QList<int>{5});
    QCOMPARE(f.host->rowsDone, (QList<int>{1, 2, 3, 4}));
    QVERIFY(!f.host->shortNames.contains(5));
    QCOMPARE(f.doneCalls, 1);
    QVERIFY(!f.pass->isRunning());
}

// Requests made while a pass runs start no second pass inside it; they share one pass after it.
void TestRefreshPass::overlappingRequests()
{
    ManualHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1, 2});
    int second = 0, third = 0;
    f.run();
    f.pass->request([&] { ++second; });
    f.pass->request([&] { ++third; });
    QCOMPARE(http.unanswered(), 2);
    QCOMPARE(f.host->passes.size(), 1);

    reply(http, codeOf(1), 200, page(codeOf(1)));
    reply(http, codeOf(2), 200, page(codeOf(2)));
    QCOMPARE(f.doneCalls, 1);
    QCOMPARE(second + third, 0);
    QCOMPARE(f.host->passes.size(), 2);
    QCOMPARE(http.unanswered(), 2);

    reply(http, codeOf(1), 200, page(codeOf(1)));
    reply(http, codeOf(2), 200, page(codeOf(2)));
    QCOMPARE(f.doneCalls, 1);
    QCOMPARE(second, 1);
    QCOMPARE(third, 1);
    QCOMPARE(f.host->passes.size(), 2);
    QVERIFY(!f.pass->isRunning());
}

// While the failure is being reported (a modal box), late answers of the failed pass change
// nothing and a new request waits for the box to close.
void TestRefreshPass::requestWhileFailureOpen()
{
    ManualHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1, 2, 3});
    int later = 0;
    f.host->whileFailureOpen = [&] {
        f.pass->request([&] { ++later; });
        reply(http, codeOf(2), 200, page(codeOf(2)));
        QCOMPARE(http.unanswered(), 1);
    };
    f.run();
    reply(http, codeOf(1), 503);
    QCOMPARE(f.host->failures, QList<int>{1});
    QCOMPARE(f.sheet.cellText(2, grid::Price), u"old2.3"_s);
    QCOMPARE(f.doneCalls, 1);
    QCOMPARE(f.host->passes.size(), 2); // the follow-up started once the box closed
    QCOMPARE(http.unanswered(), 1 + 3);
    reply(http, codeOf(3), 200, page(codeOf(3))); // the failed pass's last answer
    for (int r = 1; r <= 3; ++r)
        reply(http, codeOf(r), 200, page(codeOf(r)));
    QCOMPARE(later, 1);
    QCOMPARE(f.host->failures.size(), 1);
    QCOMPARE(f.sheet.cellText(2, grid::Price), u"1,234"_s);
}

void TestRefreshPass::codeChangedInFlight()
{
    ManualHttpClient http;
    Fixture f(http);
    fillRows(f.sheet, {1, 2});
    f.run();
    f.sheet.setCellText(2, grid::Code, u"9999"_s);
    reply(http, codeOf(1), 200, page(codeOf(1)));
    reply(http, codeOf(2), 200, page(codeOf(2)));
    QCOMPARE(f.sheet.cellText(1, grid::Price), u"1,234"_s);
    QCOMPARE(f.sheet.cellText(2, grid::Price), u"old2.3"_s);
    QVERIFY(!f.host->shortNames.contains(2));
    QCOMPARE(f.doneCalls, 1);
}

void TestRefreshPass::destroyedMidPass()
{
    ManualHttpClient http;
    auto f = std::make_unique<Fixture>(http);
    fillRows(f->sheet, {1});
    bool called = false;
    f->pass->request([&] { called = true; });
    f.reset();
    reply(http, codeOf(1), 200, page(codeOf(1)));
    QVERIFY(!called);
}

QTEST_GUILESS_MAIN(TestRefreshPass)
#include "tst_refreshpass.moc"
