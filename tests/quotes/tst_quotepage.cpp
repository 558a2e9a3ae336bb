// Reading a quote or index page in whichever form it carries its data: data before markup.
#include "quotes/quotepage.h"
#include "streamedpages.h"
#include "support/files.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

/// The state form: a page assigning `state` after a comment line.
QString statePage(const QString& state, const QString& markup = {})
{
    return u"<html><body>"_s + markup + u"<script>\n  // state\n  window.__PRELOADED_STATE__ = "_s + state +
           u"</script></body></html>"_s;
}

} // namespace

class TestQuotePage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Data before markup: the form a page is read in.
    void dispatch_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("detailPage");
        QTest::addColumn<QString>("price");
        const QString stream = stockStream(OrdinaryBoard, OrdinaryIndicators);
        const QString state =
            uR"j({"mainStocksPriceBoard":{"priceBoard":{"name":"S(株)","price":"2,000"}}})j"_s;
        const QString old = u"】O株株価詳細<h1>Old</h1>stoksPrice\">1,234</td>"_s;
        QTest::newRow("streamed, markup says 株価詳細")
            << streamedPage({stream}, old) << u"streamed"_s << true << u"1,637"_s;
        QTest::newRow("streamed and a state")
            << statePage(state) + streamedPage({stream}) << u"streamed"_s << true << u"1,637"_s;
        QTest::newRow("a stream without a board, a state with one")
            << statePage(state) + streamedPage({u"1:{}\n"_s}) << u"state"_s << true << u"2,000"_s;
        QTest::newRow("a stream without a board")
            << streamedPage({u"1:{}\n"_s}, old) << u"streamed"_s << false << QString();
        QTest::newRow("the bootstrap alone")
            << old + u"<script>(self.__next_f=self.__next_f||[]).push([0])</script>"_s << u"streamed"_s
            << false << QString();
        QTest::newRow("2025 page with an invisible heading")
            << QString::fromUtf8(readFile(TICKORA_TEST_DATA "/today/7203.html"_L1))
                   .replace(u"<body>"_s, u"<body><h2 class=\"_invisible\">株価詳細値</h2>"_s)
            << u"state"_s << true << u"2,648.5"_s;
        QTest::newRow("state without a board")
            << statePage(u"{\"x\":1}"_s, old) << u"state"_s << false << QString();
        QTest::newRow("state cut short")
            << statePage(state.chopped(1), old) << u"state"_s << false << QString();
        QTest::newRow("2012 page") << old << u"2012 markup"_s << true << u"1,234"_s;
        QTest::newRow("other page") << u"<html>】A株</html>"_s << u"none"_s << false << QString();
        QTest::newRow("a script without the state")
            << u"<script>window.other = {}</script>"_s << u"none"_s << false << QString();
    }
    void dispatch()
    {
        QFETCH(QString, page);
        QFETCH(QString, form);
        QFETCH(bool, detailPage);
        QFETCH(QString, price);
        const QuoteReading r = readQuotePage(page);
        QCOMPARE(pageFormName(r.form), form);
        QCOMPARE(r.fields.isDetailPage, detailPage);
        if (detailPage)
            QCOMPARE(r.fields.price, price);
        QCOMPARE(parseQuotePage(page), r.fields);
    }

    // Index pages of every form.
    void indexPages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("line");
        const QString domestic =
            uR"("mainDomesticIndexPriceBoard":{"indexPrices":{"name":"日経平均株価","price":"66,364.20",)"
            uR"("changePrice":"850.21","japanUpdateTime":"15:45","delayMinutes":15}})"_s;
        const QString older = uR"("mainIndexPriceBoard":{"priceBoard":{"price":"38,500","priceChange":"-5",)"
                              uR"("priceDateTime":"15:00"}})"_s;
        const QString line = u"日経平均 66,364.20 (15:45) +850.21"_s,
                      oldLine = u"日経平均 38,500 (15:00) -5"_s;
        const QString marked = u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"_s;
        QTest::newRow("state, domestic board first")
            << statePage(u'{' + older + u',' + domestic + u'}') << u"state"_s << true << line;
        QTest::newRow("state, older board")
            << statePage(u'{' + older + u'}', marked) << u"state"_s << true << oldLine;
        QTest::newRow("state, no number") << statePage(u"{\"mainIndexPriceBoard\":{\"price\":\"---\"}}"_s)
                                          << u"state"_s << false << u"日経平均 --- () "_s;
        QTest::newRow("streamed, domestic board")
            << streamedPage({u"3:[{\"x\":{"_s + domestic + u"}}]\n"_s}) << u"streamed"_s << true << line;
        QTest::newRow("streamed, a board that does not parse first")
            << streamedPage({u"2:{\"mainDomesticIndexPriceBoard\":{\"x\"}}\n3:{"_s + domestic + u"}\n"_s})
            << u"streamed"_s << true << line;
        QTest::newRow("streamed, older board")
            << streamedPage({u"3:{"_s + older + u"}\n"_s}) << u"streamed"_s << true << oldLine;
        QTest::newRow("streamed and a state")
            << statePage(u'{' + older + u'}') + streamedPage({u"3:{"_s + domestic + u"}\n"_s})
            << u"streamed"_s << true << line;
        QTest::newRow("streamed without a board")
            << streamedPage({u"1:{}\n"_s}, marked) << u"streamed"_s << false << u"日経平均  () "_s;
        QTest::newRow("2012 markers") << marked << u"2012 markup"_s << true << u"日経平均 12,283.62 () "_s;
        QTest::newRow("2012 marker without a number")
            << u"cmn-indexes_index_link\">x</a>(+1)"_s << u"2012 markup"_s << false << u"日経平均  (+1) "_s;
        QTest::newRow("other page") << u"<html></html>"_s << u"none"_s << false << u"日経平均  () "_s;
    }
    void indexPages()
    {
        QFETCH(QString, page);
        QFETCH(QString, form);
        QFETCH(bool, found);
        QFETCH(QString, line);
        const IndexReading r = readIndexPage(page);
        QCOMPARE(pageFormName(r.form), form);
        QCOMPARE(r.found, found);
        QCOMPARE(r.line, line);
        QCOMPARE(nikkeiLine(page), r.line);
        const QString pieces = r.form == PageForm::Markup2012
                                   ? u"日経平均 %1 (%2) "_s.arg(r.price, r.change)
                                   : u"日経平均 %1 (%2) %3"_s.arg(r.price, r.time, r.change);
        QVERIFY(r.line.startsWith(pieces));
    }
};

QTEST_GUILESS_MAIN(TestQuotePage)
#include "tst_quotepage.moc"
