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

QString codeOf(int row)
{
    return QString::number(1300 + row);
}

/// A filled row's texts once columns 2 to 9 are emptied.
QStringList emptied(int row)
{
    return QStringList{codeOf(row)} + QStringList(8) +
           QStringList{u"old%1.10"_s.arg(row), u"old%1.11"_s.arg(row), u"old%1.12"_s.arg(row)};
}

/// A stock-detail page for `row`'s code: name "N<code>", short name "S<code>", open 1,210, high
/// 1,250, low 1,190, volume 54,300, previous close 1,200, time 10:15.
QByteArray page(int row, const QString& price = u"1,234"_s, const QString& change = u"+15"_s,
                const QString& kind = u"株価詳細"_s)
{
    return u"】S%1株 "
           u"%2<h1>N%1</h1>stoksPrice\">%3</td>前日比</span>%4</td><strong>1,200</strong>前日終値</div>"
           ">始値<strong>1,210</strong></div>>高値<strong>1,250</strong></div>>安値<strong>1,190</strong></"
           "div>"
           ">出来高<strong>54,300</strong></div>yjSb real<span>10:15</span>リアルタイム株価</dd>"_s
               .arg(codeOf(row), kind, price, change)
               .toUtf8();
}

/// Records what the pass asks of its window, over a sheet whose rows hold "old" values.
struct Fixture : RefreshPassHost
{
    ManualHttpClient& http;
    MemorySheet cells;
    QList<int> passes, rowsDone, failures;
    QHash<int, QString> shortNames;
    QStringList chimes;
    bool mute = false;
    std::function<void()> whileFailureOpen;
    int doneCalls = 0;
    RefreshPass* pass = nullptr;

    Fixture(ManualHttpClient& client, int rows) : http(client)
    {
        for (int r = 1; r <= rows; ++r) {
            cells.setCellText(r, grid::Code, codeOf(r));
            for (int c = grid::Name; c <= grid::Time; ++c)
                cells.setCellText(r, c, u"old%1.%2"_s.arg(r).arg(c));
        }
    }
    QuoteSheet& sheet() override { return cells; }
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

    void run()
    {
        pass->request([this] { ++doneCalls; });
    }
    /// Answers the open request of `row`'s code.
    void reply(int row, int status, const QByteArray& body = {})
    {
        if (!http.answer(u"code="_s + codeOf(row), {status, body, "text/html; charset=utf-8", {}}))
            qFatal("no open request for row %d", row);
    }
};

/// A pass over a Fixture: the pass owns its host, so the fixture lives inside it.
struct Pass
{
    explicit Pass(int rows = 0)
    {
        auto host = std::make_unique<Fixture>(http, rows);
        f = host.get();
        owner = std::make_unique<RefreshPass>(http, QUrl(u"http://market.test"_s), std::move(host));
        f->pass = owner.get();
    }
    Fixture* operator->() const { return f; }
    ManualHttpClient http;
    Fixture* f = nullptr;
    std::unique_ptr<RefreshPass> owner;
};

} // namespace

class TestRefreshPass : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The rows before the first empty code cell, or all twelve when row 12 holds a code; every
    // covered row is requested at once, empty ones included.
    void rowCount()
    {
        const std::pair<QList<int>, int> cases[] = {
            {{1, 2, 3, 12}, 12}, {{2, 3, 4}, 0}, {{1, 2, 3, 4, 6, 7}, 4}, {{12}, 12}};
        for (const auto& [filled, expected] : cases) {
            Pass p;
            for (int r : filled)
                p->cells.setCellText(r, grid::Code, codeOf(r));
            QCOMPARE(watchRowCount(p->cells), expected);
            p->run();
            QCOMPARE(p->passes, QList<int>{expected});
            QCOMPARE(p->http.unanswered(), expected);
            QCOMPARE(p->doneCalls, expected == 0 ? 1 : 0);
        }
    }

    // Row 1 a detail page; row 2 a code of blanks (it counts); row 3 another page: columns 2 to
    // 9 emptied, every colour kept; row 4 a code changed while its page was on the way: left as
    // it stands. Change colours: red with "+", green with "-", else kept.
    void onePassWritesEachRowByItsPage()
    {
        Pass p(4);
        p->cells.setCellText(2, grid::Code, u" "_s);
        p->cells.setCellForeColor(1, grid::Change, cellcolor::Green);
        p->cells.setCellForeColor(3, grid::Change, cellcolor::Red);
        p->cells.setCellForeColor(3, grid::SellTarget, cellcolor::Red);
        p->run();
        p->cells.setCellText(4, grid::Code, u"9999"_s);
        p->reply(1, 200, page(1));
        QVERIFY(p->http.answer(u"code= "_s, {200, page(2, u"880"_s, u"-4"_s), {}, {}}));
        p->reply(3, 200, page(3, u"1"_s, u"+1"_s, u"検索"_s));
        p->reply(4, 200, page(4));
        const QStringList old1 = {u"old1.10"_s, u"old1.11"_s};
        QCOMPARE(rowTexts(p->cells, 1), QStringList({codeOf(1), u"N1301"_s, u"1,234"_s, u"+15"_s, u"1,200"_s,
                                                     u"54,300"_s, u"1,210"_s, u"1,250"_s, u"1,190"_s}) +
                                            old1 + QStringList{u"10:15"_s});
        QCOMPARE(rowTexts(p->cells, 2).mid(1, 3), QStringList({u"N1302"_s, u"880"_s, u"-4"_s}));
        QCOMPARE(rowTexts(p->cells, 3), emptied(3));
        QCOMPARE(p->cells.cellText(4, grid::Price), u"old4.3"_s);
        const quint32 changeColours[] = {cellcolor::Red, cellcolor::Green, cellcolor::Red};
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(p->cells.cellForeColor(r, grid::Change), changeColours[r - 1]);
        QCOMPARE(p->cells.cellForeColor(3, grid::SellTarget), cellcolor::Red);
        QCOMPARE(p->shortNames, (QHash<int, QString>{{1, u"S1301"_s}, {2, u"S1302"_s}, {3, u"S1303"_s}}));
        QCOMPARE(p->rowsDone, (QList<int>{1, 2, 3, 4}));
        QCOMPARE(p->doneCalls, 1);
        QVERIFY(p->failures.isEmpty() && !p.owner->isRunning());
    }

    // Every field goes into its cell as one line, with no sign of markup; a change that is no
    // number becomes 0, and one holding both signs ends green.
    void fieldsAsCells()
    {
        const QString cases[][2] = {{u"ト\r\nヨ\tタ\u2028"_s, u"ト  ヨ タ "_s},
                                    {u"<b>&lt;</b>"_s, u"<b>&lt;</b>"_s},
                                    {QString(255, u'x') + u"😀"_s, QString(255, u'x')}};
        for (const auto& [field, cell] : cases) {
            QCOMPARE(cellTextFromPage(field), cell);
            MemorySheet sheet;
            QuoteFields q;
            q.isDetailPage = true;
            q.name = q.price = q.change = q.open = q.high = q.low = q.volume = q.prevClose = q.time = field;
            writeQuoteRow(sheet, 1, q);
            for (int c = grid::Name; c <= grid::Time; ++c)
                QCOMPARE(sheet.cellText(1, c),
                         c == grid::BuyTarget || c == grid::SellTarget ? QString() : cell);
        }
        Pass p(1);
        p->run();
        p->reply(1, 200, page(1, u"1"_s, u"---"_s));
        QCOMPARE(p->cells.cellText(1, grid::Change), u"0"_s);
        QuoteFields q;
        q.isDetailPage = true;
        q.change = u"+-1"_s;
        writeQuoteRow(p->cells, 1, q);
        QCOMPARE(p->cells.cellForeColor(1, grid::Change), cellcolor::Green);
    }

    // Targets are compared as numbers, equality included; directly and through whole passes:
    // colours follow the alerts, stale colours are reset, the chime sounds on every pass while
    // the condition holds, and muting keeps only the colours.
    void alerts()
    {
        const std::tuple<QString, QString, QString, bool, bool> cases[] = {
            // price, buy target, sell target, sell alert, buy alert
            {u"1,500"_s, u"1500"_s, u"1,500.0"_s, true, true},
            {u"1,234"_s, u"1,000"_s, u"1200"_s, true, false},
            {u"980"_s, u"1,000"_s, u"2,000"_s, false, true},
            {u""_s, u"500"_s, u"600"_s, false, false},
            {u"100"_s, u"abc"_s, u"1e2"_s, false, false},
        };
        for (const auto& [price, buy, sell, sellAlert, buyAlert] : cases) {
            const PriceAlerts a = priceAlerts(price, buy, sell);
            QCOMPARE(QList<bool>({a.sell, a.buy}), QList<bool>({sellAlert, buyAlert}));
            Pass p(1);
            p->cells.setCellText(1, grid::BuyTarget, buy);
            p->cells.setCellText(1, grid::SellTarget, sell);
            p->cells.setCellForeColor(1, grid::BuyTarget, cellcolor::Red);
            p->cells.setCellForeColor(1, grid::SellTarget, cellcolor::Green);
            QStringList once;
            if (sellAlert)
                once << u"sell"_s;
            if (buyAlert)
                once << u"buy"_s;
            for (const bool mute : {false, false, true}) {
                p->mute = mute;
                p->run();
                p->reply(1, 200, page(1, price));
            }
            QCOMPARE(p->chimes, once + once);
            QCOMPARE(p->cells.cellText(1, grid::Price), price);
            QCOMPARE(p->cells.cellForeColor(1, grid::SellTarget),
                     sellAlert ? cellcolor::Red : cellcolor::Default);
            QCOMPARE(p->cells.cellForeColor(1, grid::BuyTarget),
                     buyAlert ? cellcolor::Green : cellcolor::Default);
        }
    }

    // All eight pages are asked for at once and applied in row order. Row 5 fails while rows 6
    // to 8 have already answered: rows 1-4 updated, row 5 emptied in columns 2 to 9, rows 6-8
    // as they were, one failure.
    void failurePartWay()
    {
        Pass p(8);
        const MemorySheet before = p->cells;
        p->run();
        QCOMPARE(p->http.unanswered(), 8);
        for (int r = 8; r >= 2; --r)
            p->reply(r, r == 5 ? 404 : 200, page(r));
        QVERIFY(p->rowsDone.isEmpty() && p->failures.isEmpty());
        QCOMPARE(p->cells.cellText(2, grid::Price), u"old2.3"_s);
        p->reply(1, 200, page(1));
        for (int r = 1; r <= 4; ++r)
            QCOMPARE(p->cells.cellText(r, grid::Price), u"1,234"_s);
        QCOMPARE(rowTexts(p->cells, 5), emptied(5));
        for (int r = 6; r <= 8; ++r)
            QCOMPARE(rowTexts(p->cells, r), rowTexts(before, r));
        QCOMPARE(p->failures, QList<int>{5});
        QCOMPARE(p->rowsDone, (QList<int>{1, 2, 3, 4}));
        QVERIFY(!p->shortNames.contains(5));
        QCOMPARE(p->doneCalls, 1);
        QVERIFY(!p.owner->isRunning());
    }

    // Requests made while a pass runs start no second pass inside it; they share one pass after it.
    void overlappingRequests()
    {
        Pass p(2);
        int second = 0, third = 0;
        p->run();
        p->pass->request([&] { ++second; });
        p->pass->request([&] { ++third; });
        for (int round = 1; round <= 2; ++round) {
            QCOMPARE(p->http.unanswered(), 2);
            QCOMPARE(p->passes.size(), round);
            QCOMPARE(p->doneCalls + second + third, round - 1);
            p->reply(1, 200, page(1));
            p->reply(2, 200, page(2));
        }
        QCOMPARE(QList<int>({p->doneCalls, second, third}), QList<int>({1, 1, 1}));
        QCOMPARE(p->passes.size(), 2);
        QVERIFY(!p.owner->isRunning());
    }

    // While the failure is being reported (a modal box), late answers of the failed pass change
    // nothing and a new request waits for the box to close.
    void requestWhileFailureOpen()
    {
        Pass p(3);
        int later = 0;
        p->whileFailureOpen = [&] {
            p->pass->request([&] { ++later; });
            p->reply(2, 200, page(2));
            QCOMPARE(p->http.unanswered(), 1);
        };
        p->run();
        p->reply(1, 503);
        QCOMPARE(p->cells.cellText(2, grid::Price), u"old2.3"_s);
        QCOMPARE(p->doneCalls, 1);
        QCOMPARE(p->passes.size(), 2); // the follow-up started once the box closed
        QCOMPARE(p->http.unanswered(), 1 + 3);
        for (int r : {3, 1, 2, 3}) // the failed pass's last answer, then the follow-up's
            p->reply(r, 200, page(r));
        QCOMPARE(later, 1);
        QCOMPARE(p->failures, QList<int>{1});
        QCOMPARE(p->cells.cellText(2, grid::Price), u"1,234"_s);
    }

    void destroyedMidPass()
    {
        Pass p(1);
        bool called = false;
        p->pass->request([&] { called = true; });
        p.owner.reset();
        QVERIFY(p.http.answer(u"code="_s, {200, page(1), {}, {}}));
        QVERIFY(!called);
    }
};

QTEST_GUILESS_MAIN(TestRefreshPass)
#include "tst_refreshpass.moc"
