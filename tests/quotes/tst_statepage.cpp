// Quote pages of the current site that assign their state in a script: where the state stands and
// how it is written, and recorded pages cut short.
#include "quotes/quotepage.h"
#include "quotes/statepage.h"
#include "quotetext.h"
#include "support/files.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QString NotDetail = u"|other|||||||||"_s;

/// A page shell in the current site's shape whose last script element holds `scriptText`.
QString pageWith(const QString& scriptText)
{
    return u"<!DOCTYPE html><html lang=\"ja\"><head><title>t</title>"
           "<script>window.YAHOO = window.YAHOO || {};</script></head><body><div id=\"root\">"
           "</div>\n<script>\n"_s +
           scriptText + u"</script>\n<script src=\"/v.js\" defer></script></body></html>"_s;
}

/// A state with a price board and the day's figures; `extra` goes into the figures.
QString stockState(const QString& extra = {})
{
    return uR"j({"mainStocksPriceBoard":{"priceBoard":{"name":"N(株)","price":"1,000"}},)j"
           uR"j("mainStocksDetail":{"detail":{"openPrice":"990")j"_s +
           extra + u"}}}"_s;
}

} // namespace

class TestStatePage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Where the state stands and how it is written; "-" when the page carries none.
    void stateText_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("price");
        const QString state = stockState(), assign = u"window.__PRELOADED_STATE__ = "_s;
        const auto row = [](const char* name, const QString& page, const QString& price = u"-"_s) {
            QTest::newRow(name) << page << price;
        };
        const QString found = u"1,000"_s;
        row("comment lines and blanks first", pageWith(u"\n  // one\n\n\t// two = {}\n  "_s + assign + state),
            found);
        row("every blank around = and ;",
            pageWith(u"\r\n// x\r\n\f"_s + u"window.__PRELOADED_STATE__ \t\v=\r\n  "_s + state + u" ;\r\n"_s),
            found);
        row("attributes and upper case",
            u"<SCRIPT type=\"text/javascript\">"_s + assign + state + u"</SCRIPT>"_s, found);
        row("escaped end tag in a text", pageWith(assign + stockState(uR"j(,"n":"x<\/script>y")j"_s)), found);
        row("truncated state", pageWith(assign + state.chopped(2)));
        row("comparison, not assignment", pageWith(u"window.__PRELOADED_STATE__ == "_s + state));
        row("another name", pageWith(u"window.__PRELOADED_STATE__X = "_s + state));
        row("code before the assignment", pageWith(u"var a = 1; "_s + assign + state));
        row("array state", pageWith(assign + u"["_s + state + u"]"_s));
        row("only a comment", pageWith(u"// "_s + assign + state));
        row("another tag named like it", u"<scripts>"_s + assign + state + u"</scripts>"_s);
        row("the tag's name ends the page", u"<script"_s);
        row("nothing after =", u"<script>window.__PRELOADED_STATE__ =</script>"_s);
        row("nested too deep", pageWith(assign + stockState(u",\"deep\":"_s + QString(100'000, u'[') + u'1' +
                                                            QString(100'000, u']'))));
        row("a price board that is no object",
            pageWith(assign + uR"j({"mainStocksPriceBoard":{"priceBoard":[{"price":"1"}]}})j"_s), QString());
    }
    void stateText()
    {
        QFETCH(QString, page);
        QFETCH(QString, price);
        const std::optional<QJsonObject> state = embeddedPageState(page);
        const QuoteFields q = parseQuotePage(page);
        const QString readable = price.isEmpty() || price == u"-"_s ? u"0"_s : u"1"_s;
        QCOMPARE(QStringList({state ? stateQuoteFields(*state).price : u"-"_s,
                              QString::number(parseStateQuotePage(page).isDetailPage),
                              QString::number(q.isDetailPage), q.price}),
                 QStringList({price, readable, readable, price == u"-"_s ? QString() : price}));
    }

    // Recorded pages cut anywhere: no detail page before the state's element closes, nothing once it began.
    void recordedPages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fields"); ///< as joined() writes them
        QTest::newRow("stock page")
            << u"7203.html"_s
            << u"トヨタ|detail|トヨタ自動車(株)|2,648.5|-21.5|2,660|2,671|2,640|27,481,100|2,670|15:30"_s;
        QTest::newRow("no such code") << u"9999.html"_s << NotDetail;
    }
    void recordedPages()
    {
        QFETCH(QString, file);
        QFETCH(QString, fields);
        const QString page = QString::fromUtf8(readFile(TICKORA_TEST_DATA "/today/"_L1 + file));
        QCOMPARE(joined(parseQuotePage(page)), fields);
        QCOMPARE(joined(parseStateQuotePage(page)), fields);
        const qsizetype assigned = page.indexOf(u"__PRELOADED_STATE__ ="_s) + 21;
        const qsizetype whole = page.indexOf(u"</script"_s, assigned) + 8;
        QVERIFY(assigned > 21 && whole > assigned);
        for (qsizetype n = 0; n <= page.size(); n += 7) {
            const QuoteFields q = parseQuotePage(page.left(n));
            if (n < assigned)
                QVERIFY(!q.isDetailPage);
            else
                QCOMPARE(joined(q), n >= whole ? fields : NotDetail);
        }
    }
};

QTEST_GUILESS_MAIN(TestStatePage)
#include "tst_statepage.moc"
