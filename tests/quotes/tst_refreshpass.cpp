// The refresh pass: every row's page asked for at once, answers applied in row order, failures,
// holds of a busy service, follow-up requests, and the series standing in for unread pages.
#include "quotes/refreshpass.h"
#include "seriesjson.h"
#include "support/files.h"
#include "support/passhost.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestRefreshPass : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Blank code counts, a "no such code" page empties columns 2-9, code changed in flight is left alone.
    void passWritesEachRowByItsPage()
    {
        Pass p(4);
        const MemorySheet old = p->cells;
        p->cells.setCellText(2, grid::Code, u" "_s);
        p->cells.setCellForeColor(1, grid::Change, cellcolor::Green);
        p->cells.setCellForeColor(3, grid::Change, cellcolor::Red);
        p->cells.setCellForeColor(3, grid::SellTarget, cellcolor::Red);
        p->run();
        p->cells.setCellText(4, grid::Code, u"9999"_s);
        p->reply(1, 200, stockDetailPage(1));
        QVERIFY(p->http.answer(u"code= "_s, {200, stockDetailPage(2, u"880"_s, u"-4"_s), {}, {}}));
        p->reply(3, 200, stockDetailPage(3, u"1"_s, u"+1"_s, u"該当する銘柄はありません"_s));
        p->reply(4, 200, stockDetailPage(4));
        QCOMPARE(rowTexts(p->cells, 1).join(u'|'),
                 passRowCode(1) + u"|N1301|1,234|+15|1,200|54,300|1,210|1,250|1,190|old1.10|old1.11|10:15"_s);
        QCOMPARE(rowTexts(p->cells, 2).mid(1, 3), QStringList({u"N1302"_s, u"880"_s, u"-4"_s}));
        QCOMPARE(rowTexts(p->cells, 3).mid(1), QStringList(8) + rowTexts(old, 3).mid(9));
        QCOMPARE(p->cells.cellText(4, grid::Price), u"old4.3"_s);
        QCOMPARE(QList<quint32>(
                     {p->cells.cellForeColor(1, grid::Change), p->cells.cellForeColor(2, grid::Change),
                      p->cells.cellForeColor(3, grid::Change), p->cells.cellForeColor(3, grid::SellTarget)}),
                 QList<quint32>({cellcolor::Red, cellcolor::Green, cellcolor::Red, cellcolor::Red}));
        QCOMPARE(p->shortNames, (QHash<int, QString>{{1, u"S1301"_s}, {2, u"S1302"_s}, {3, u"S1303"_s}}));
        QCOMPARE((QList<QList<int>>{p->rowsDone, {p->doneCalls}}), (QList<QList<int>>{{1, 2, 3, 4}, {1}}));
        QVERIFY(p->failures.isEmpty() && !p.owner->isRunning());
    }

    // Fields go in as one line of at most 256 characters, markup as text, no half surrogate pair.
    void writeQuoteRowCells()
    {
        const QString field = u"<b>\r\nヨ\tタ\u2028"_s + QString(246, u'x') + u"😀"_s;
        MemorySheet sheet;
        writeQuoteRow(sheet, 1, {{}, true, field, field, field, field, field, field, field, field, field});
        const QString cell = u"<b>  ヨ タ "_s + QString(246, u'x');
        QCOMPARE(rowTexts(sheet, 1),
                 QStringList(1) + QStringList(8, cell) + QStringList(2) + QStringList(1, cell));
    }

    // Up to the first empty code cell, or all twelve when row 12 holds one, empty rows included.
    void watchRowCount_data()
    {
        QTest::addColumn<QList<int>>("filled");
        QTest::addColumn<int>("count");
        QTest::newRow("row 12 filled") << QList<int>({1, 2, 3, 12}) << 12;
        QTest::newRow("row 1 empty") << QList<int>({2, 3, 4}) << 0;
        QTest::newRow("a gap after row 4") << QList<int>({1, 2, 3, 4, 6, 7}) << 4;
        QTest::newRow("eleven rows") << QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) << 11;
    }
    void watchRowCount()
    {
        QFETCH(QList<int>, filled);
        QFETCH(int, count);
        Pass empty;
        for (int r : filled)
            empty->cells.setCellText(r, grid::Code, passRowCode(r));
        QCOMPARE(tickora::watchRowCount(empty->cells), count);
        empty->run(); // passes started, pages asked for, done at once when there is no row
        QCOMPARE(QList<int>({empty->passes.value(0), empty->http.unanswered(), empty->doneCalls}),
                 QList<int>({count, count, count == 0 ? 1 : 0}));
    }

    // A page in an unknown form: the row comes from the series, alerts and all; else it keeps what it shows.
    void unreadPagesFromTheSeries()
    {
        Pass p(3, QuotePages::Today);
        const MemorySheet before = p->cells;
        p->cells.setCellText(1, grid::SellTarget, u"2,600"_s);
        p->run();
        p->reply(1, 200, stockDetailPage(1, u"1"_s, u"+1"_s, u"検索"_s));
        p->reply(2, 200, stockDetailPage(2));
        p->reply(3, 200, "<html>new form</html>");
        const QByteArray json = seriesJson(
            u"\"regularMarketPrice\":2648.5,\"previousClose\":2618,\"regularMarketTime\":1790470140"_s);
        QVERIFY(p->rowsDone.isEmpty() && p->http.answer(u"series.test/v8/finance/chart/1301.T?range=1d"_s,
                                                        {200, json, "application/json", {}, {}}));
        QVERIFY(p->http.answer(u"/1303.T"_s, {429, {}, {}, {{"Retry-After", "120"}}, {}}));
        QCOMPARE(rowTexts(p->cells, 1).mid(1, 4),
                 QStringList({u"L1301"_s, u"2,648.5"_s, u"+30.5"_s, u"2,618"_s}));
        QCOMPARE(rowTexts(p->cells, 3), rowTexts(before, 3));
        QCOMPARE(p->notices, QStringList({u"answer 200"_s, u"series 1301"_s, u"read 1302"_s,
                                          u"answer 429 held"_s, u"unread 1303"_s}));
        QCOMPARE(
            QStringList({QString::number(p->reached.size()), p->chimes.join(u' '), p->shortNames.value(1)}),
            QStringList({u"1"_s, u"sell"_s, u"L1301"_s}));
        QCOMPARE((QList<QList<int>>{p->rowsDone, {p->doneCalls, int(p->holds.size())}}),
                 (QList<QList<int>>{{1, 2, 3}, {1, 1}}));
        // While the series is held it is not asked: the row keeps what it shows; a failed series too.
        p->notices.clear();
        p->run();
        p->reply(1, 200, stockDetailPage(1, u"1"_s, u"+1"_s, u"検索"_s));
        p->reply(2, 200, stockDetailPage(2));
        p->reply(3, 200, stockDetailPage(3));
        QCOMPARE(p->http.unanswered(), 0);
        QCOMPARE(p->cells.cellText(1, grid::Price), u"2,648.5"_s);
        p->clock = p->clock.addSecs(121);
        p->run();
        p->reply(1, 200, stockDetailPage(1, u"1"_s, u"+1"_s, u"検索"_s));
        QVERIFY(p->http.answer(u"/1301.T"_s, {200, "{}", {}, {}, {}}));
        p->reply(2, 200, stockDetailPage(2));
        p->reply(3, 200, stockDetailPage(3));
        QCOMPARE(p->notices, QStringList({u"unread 1301"_s, u"read 1302"_s, u"read 1303"_s, u"answer 200"_s,
                                          u"unread 1301"_s, u"read 1302"_s, u"read 1303"_s}));
        QCOMPARE(p->cells.cellText(1, grid::Price), u"2,648.5"_s);
    }

    // Pages that answer but give no quote of this code: a page in an unknown form that still says
    // "株価詳細" goes to the series; a board of another code changes nothing and is told; with the
    // 2012 pages a page without a detail table is emptied and asks nothing more.
    void pagesWithoutThisCodesQuote_data()
    {
        QTest::addColumn<bool>("today");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("notices");
        QTest::addColumn<QString>("priceAndTime"); ///< "kept": the row as it was
        const QByteArray otherBoard = readFile(TICKORA_TEST_DATA "/today/2026/7203.T.html"_L1);
        const QByteArray unknown = "<html><h2>株価詳細値</h2><div id=\"q\">1,000</div></html>";
        QTest::newRow("board of another code") << true << otherBoard << u"other 1301 7203"_s << u"kept"_s;
        QTest::newRow("unknown form, series fails")
            << true << unknown << u"answer 404,unread 1301"_s << u"kept"_s;
        QTest::newRow("2012 pages: unknown form is a detail page")
            << false << unknown << u"read 1301"_s << u"|"_s;
        QTest::newRow("2012 pages: no detail table")
            << false << QByteArray("<html>検索</html>") << u""_s << u"|old1.12"_s;
    }
    void pagesWithoutThisCodesQuote()
    {
        QFETCH(bool, today);
        QFETCH(QByteArray, body);
        QFETCH(QString, notices);
        QFETCH(QString, priceAndTime);
        Pass p(1, today ? QuotePages::Today : QuotePages::Pages2012);
        p->cells.setCellText(1, grid::BuyTarget, u"9,000"_s);
        p->cells.setCellText(1, grid::SellTarget, u"1"_s);
        const MemorySheet before = p->cells;
        for (int round = 1; round <= 2; ++round) {
            p->run();
            p->reply(1, 200, body);
            p->http.answer(u"series.test"_s, {404, {}, {}, {}, {}});
            QCOMPARE(p->http.unanswered(), 0);
        }
        QCOMPARE(p->notices.join(u','), notices.isEmpty() ? QString() : notices + u',' + notices);
        if (priceAndTime == u"kept"_s)
            QCOMPARE(rowTexts(p->cells, 1), rowTexts(before, 1));
        else
            QCOMPARE(p->cells.cellText(1, grid::Price) + u'|' + p->cells.cellText(1, grid::Time),
                     priceAndTime);
        QVERIFY(p->reached.isEmpty() && p->chimes.isEmpty());
        QCOMPARE(p->rowsDone, QList<int>({1, 1}));
        QCOMPARE(p->doneCalls, 2);
    }

    // A series answer that comes after its pass ended is not applied to the next pass's row.
    void lateSeriesAnswerDropped()
    {
        Pass p(2, QuotePages::Today);
        const QByteArray unknown = "<html><h2>株価詳細値</h2></html>";
        auto series = [](const char* price) {
            return HttpResponse{200,
                                seriesJson(u"\"regularMarketPrice\":"_s + QString::fromLatin1(price)),
                                "application/json",
                                {},
                                {}};
        };
        p->run();
        p->reply(2, 200, unknown);
        p->reply(1, 500); // the pass ends with row 2's series still on its way
        QCOMPARE(p->failures, QList<int>({1}));
        p->run();
        p->reply(1, 200, stockDetailPage(1));
        p->reply(2, 200, unknown);
        QCOMPARE(p->http.unanswered(), 2);
        QVERIFY(p->http.answer(u"series.test"_s, series("111"))); // the ended pass's
        QCOMPARE(p->cells.cellText(2, grid::Price), u"old2.3"_s);
        QVERIFY(p->http.answer(u"series.test"_s, series("222")));
        QCOMPARE(p->cells.cellText(2, grid::Price), u"222"_s);
        QCOMPARE(p->rowsDone, QList<int>({1, 2}));
    }

    // All pages asked for at once, applied in row order; row 5 fails after rows 6-12 answered.
    void passOrderAndFailures()
    {
        Pass p(12);
        const MemorySheet before = p->cells;
        p->run();
        QCOMPARE(p->http.unanswered(), 12);
        for (int r = 12; r >= 2; --r)
            p->reply(r, r == 5 ? 404 : 200, stockDetailPage(r));
        QVERIFY(p->rowsDone.isEmpty() && p->failures.isEmpty());
        QCOMPARE(p->cells.cellText(2, grid::Price), u"old2.3"_s);
        p->reply(1, 200, stockDetailPage(1));
        for (int r = 1; r <= 4; ++r)
            QCOMPARE(p->cells.cellText(r, grid::Price), u"1,234"_s);
        QCOMPARE(rowTexts(p->cells, 5).mid(1), QStringList(8) + rowTexts(before, 5).mid(9));
        for (int r = 6; r <= 12; ++r)
            QCOMPARE(rowTexts(p->cells, r), rowTexts(before, r));
        QCOMPARE((QList<QList<int>>{p->failures, p->rowsDone, {p->doneCalls}}),
                 (QList<QList<int>>{{5}, {1, 2, 3, 4}, {1}}));
        QVERIFY(!p->shortNames.contains(5) && !p.owner->isRunning());
    }

    // Requests made while a pass runs start no second pass inside it; they share one pass after it.
    void requestsDuringAPassShareOneAfterIt()
    {
        Pass o(2);
        int second = 0, third = 0;
        o->run();
        o->pass->request([&] { ++second; });
        o->pass->request([&] { ++third; });
        for (int round = 1; round <= 2; ++round) {
            QCOMPARE(QList<int>({o->http.unanswered(), int(o->passes.size()), o->doneCalls + second + third}),
                     QList<int>({2, round, round - 1}));
            o->reply(1, 200, stockDetailPage(1));
            o->reply(2, 200, stockDetailPage(2));
        }
        QCOMPARE(QList<int>({o->doneCalls, second, third, int(o->passes.size())}), QList<int>({1, 1, 1, 2}));
        QVERIFY(!o.owner->isRunning());
    }

    // A pass destroyed before its answers calls back nobody.
    void passDestroyedBeforeItsAnswers()
    {
        Pass gone(1);
        bool called = false;
        gone->pass->request([&] { called = true; });
        gone.owner.reset();
        QVERIFY(gone.http.answer(u"code="_s, {200, stockDetailPage(1), {}, {}}) && !called);
    }

    // While the failure box is open, late answers change nothing and a new request waits for it to close.
    void failureBoxHoldsLateAnswers()
    {
        Pass f(3);
        int later = 0;
        f->whileFailureOpen = [&] {
            f->pass->request([&] { ++later; });
            f->reply(2, 200, stockDetailPage(2));
            QCOMPARE(f->http.unanswered(), 1);
        };
        f->run();
        f->reply(1, 500);
        QCOMPARE(f->cells.cellText(2, grid::Price), u"old2.3"_s);
        QCOMPARE(QList<int>({f->doneCalls, int(f->passes.size()), f->http.unanswered()}),
                 QList<int>({1, 2, 4}));
        for (int r : {3, 1, 2, 3}) // the failed pass's last answer, then the follow-up's
            f->reply(r, 200, stockDetailPage(r));
        QCOMPARE((QList<QList<int>>{f->failures, {later}}), (QList<QList<int>>{{1}, {1}}));
        QCOMPARE(f->cells.cellText(2, grid::Price), u"1,234"_s);
    }

    // An answer that arrives while a row is being done is applied after it, not inside it.
    void answerWhileARowIsDone()
    {
        Pass n(2);
        n->whileRowDone = [&](int row) {
            if (row == 1)
                n->reply(2, 200, stockDetailPage(2));
        };
        n->run();
        n->reply(1, 200, stockDetailPage(1));
        QCOMPARE(QList<int>({n->rowsDone.value(1), n->deepestRowDone, n->doneCalls}), QList<int>({2, 1, 1}));
    }

    // A 429 or 503 keeps its row and the later ones, opens no box and holds requests until it passes.
    void holdKeepsRowsAndHoldsRequests()
    {
        Pass h(4);
        h->run();
        h->reply(3, 503, "busy", "120");
        h->reply(4, 429, {}, "30");
        h->reply(1, 200, stockDetailPage(1));
        h->reply(2, 200, stockDetailPage(2));
        QCOMPARE(h->cells.cellText(2, grid::Name), u"N1302"_s);
        for (int r : {3, 4})
            QCOMPARE(rowTexts(h->cells, r).mid(1, 3),
                     QStringList({u"old%1.2"_s.arg(r), u"old%1.3"_s.arg(r), u"old%1.4"_s.arg(r)}));
        QCOMPARE(h->holds, QList<QDateTime>{h->clock.addSecs(120)});
        QVERIFY(h->failures.isEmpty() && !h.owner->isRunning());
        QCOMPARE(QList<int>({h->doneCalls, int(h->http.requests.size())}), QList<int>({1, 4}));
        h->clock = h->clock.addSecs(119);
        h->run();
        QCOMPARE(QList<int>({h->doneCalls, int(h->http.requests.size()), h->http.unanswered()}),
                 QList<int>({2, 4, 0}));
        h->clock = h->clock.addSecs(1); // the hold is over: the next pass writes its rows again
        h->run();
        h->reply(1, 200, stockDetailPage(1, u"777"_s));
        QCOMPARE(h->cells.cellText(1, grid::Price), u"777"_s);
    }
};

QTEST_GUILESS_MAIN(TestRefreshPass)
#include "tst_refreshpass.moc"
