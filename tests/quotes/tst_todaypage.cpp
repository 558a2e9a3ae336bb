// Quote pages of the current site: the state in their script, the quote and Nikkei line, the dispatch.
#include "exchange/numbertext.h"
#include "quotes/quotepage.h"
#include "quotes/todaypage.h"
#include "quotetext.h"
#include "support/files.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QString Ordinary = u"N|detail|N(株)|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
const QString NotDetail = u"|other|||||||||"_s;

/// A page shell in the current site's shape whose last script element holds `scriptText`.
QString pageWith(const QString& scriptText, const QString& markup = {})
{
    return u"<!DOCTYPE html><html lang=\"ja\"><head><title>t</title>"
           "<script>window.YAHOO = window.YAHOO || {};</script></head><body><div id=\"root\">"_s +
           markup + u"</div>\n<script>\n"_s + scriptText +
           u"</script>\n<script src=\"/v.js\" defer></script></body></html>"_s;
}

/// A page whose state is `state`, assigned after a comment line as the site writes it.
QString todayPage(const QString& state, const QString& markup = {})
{
    return pageWith(
        u"    // the state below is embedded as JSON\n    window.__PRELOADED_STATE__ = "_s + state, markup);
}

/// Ordinary state; each override "key=json" sets a member of the price board (price*, *ame) or detail.
QString stockState(const QString& overrides)
{
    QMap<QString, QString> board, detail;
    for (const QString& o :
         QString(u"name=\"N(株)\";price=\"1,000\";priceChange=\"5\";priceDateTime=\"10:00\";"
                 "previousPrice=\"995\";openPrice=\"990\";highPrice=\"1,010\";"
                 "lowPrice=\"985\";volume=\"12,300\";"_s +
                 overrides)
             .split(u';', Qt::SkipEmptyParts)) {
        const QString key = o.section(u'=', 0, 0);
        (key.startsWith(u"price"_s) || key.contains(u"ame"_s) ? board : detail)[key] = o.section(u'=', 1);
    }
    const auto members = [](const QMap<QString, QString>& m) {
        QStringList parts;
        for (auto it = m.cbegin(); it != m.cend(); ++it)
            parts << u"\"%1\":%2"_s.arg(it.key(), it.value());
        return parts.join(u',');
    };
    return u"{\"mainStocksPriceBoard\":{\"priceBoard\":{%1}},\"mainStocksDetail\":{\"detail\":{%2}}}"_s.arg(
        members(board), members(detail));
}

} // namespace

class TestTodayPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Overrides (' for ") or a whole state; expected fields in full, or "field=value" changes of Ordinary.
    void fields_data()
    {
        QTest::addColumn<QString>("overrides");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, QAnyStringView overrides, QAnyStringView expected) {
            QTest::newRow(name) << overrides.toString().replace(u'\'', u'"')
                                << withChanges(Ordinary, expected.toString());
        };
        const QString x300(300, u'x'), d255(255, u'7'), d256(256, u'7'), d257(257, u'7');
        row("ordinary, short name from the name", "", "");
        row("sign after leading blanks", "priceChange='  5'", "change=  +5");
        row("date for a time", "priceDateTime='12/05'", "time=12/05");
        row("time without a mark", "priceDateTime='1530'", "time=");
        row("escapes, both company forms", "name='\\u30c8\\u30e8\\u30bf(\\u682a)（株）'",
            "short=トヨタ;name=トヨタ(株)（株）");
        row("escaped end tag in a name", "name='x<\\/script>y';shortName='S'", "short=S;name=x</script>y");
        row("numbers as plain decimals",
            "price=2648.5;priceChange=30;openPrice=3.2;volume=1e7;previousPrice=2670;highPrice="
            "12345678901234567",
            "N|detail|N(株)|2648.5|+30|3.2|12345678901234567|985|10000000|2670|10:00");
        row("number zeros", "priceChange=0e3;lowPrice=-0.0;openPrice=0", "change=0;open=0;low=0");
        row("numbers at and past a field's size", "openPrice=1e300;highPrice=1e255;price=1e-300",
            u"price=;open=0;high=1"_s + QString(255, u'0'));
        row("other types take the fallbacks",
            "highPrice=true;lowPrice=null;volume=[1];openPrice={'v':'1'};price=false;previousPrice={};"
            "priceChange=['5'];priceDateTime=15.3;name=null",
            "|detail|||0|0|0|0|0||");
        row("price board an array", "{'mainStocksPriceBoard':{'priceBoard':[{'price':'1'}]}}", NotDetail);
        row("control characters",
            "name='A\\u0007B\\nC\\u2028D';price='1,234\\t';volume='1,000\\u0000';"
            "priceChange='5\\r'",
            "A B C D|detail|A B C D|1,234 |0|990|1,010|985|0|995|10:00");
        row("long texts capped", u"name=\"%1\";price=\"%2\""_s.arg(x300, d257),
            u"short=%1;name=%1;price=%2"_s.arg(x300.left(256), d256));
        row("numeric texts at and past a cell's size",
            u"volume=\"%1\";openPrice=\"%2\";priceChange=\"%2\""_s.arg(d257, d256),
            u"change=0;open=%1;volume=0"_s.arg(d256));
        row("signed change that just fits", u"priceChange=\"%1\""_s.arg(d255), u"change=+"_s + d255);
    }
    void fields()
    {
        QFETCH(QString, overrides);
        QFETCH(QString, expected);
        const QString page = todayPage(overrides.startsWith(u'{') ? overrides : stockState(overrides));
        QCOMPARE(joined(parseTodayQuotePage(page)) + u'/' + joined(parseQuotePage(page)) + signedChange({}),
                 expected + u'/' + expected);
    }

    // Where the state stands and how it is written; "-" when the page carries none.
    void stateText_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("price");
        const QString state = stockState({}), assign = u"window.__PRELOADED_STATE__ = "_s;
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
        row("truncated state", pageWith(assign + state.chopped(2)));
        row("comparison, not assignment", pageWith(u"window.__PRELOADED_STATE__ == "_s + state));
        row("another name", pageWith(u"window.__PRELOADED_STATE__X = "_s + state));
        row("code before the assignment", pageWith(u"var a = 1; "_s + assign + state));
        row("array state", pageWith(assign + u"["_s + state + u"]"_s));
        row("only a comment", pageWith(u"// "_s + assign + state));
        row("another tag named like it", u"<scripts>"_s + assign + state + u"</scripts>"_s);
        row("the tag's name ends the page", u"<script"_s);
        row("nothing after =", u"<script>window.__PRELOADED_STATE__ =</script>"_s);
        row("nested too deep",
            todayPage(stockState(u"deep="_s + QString(100'000, u'[') + u'1' + QString(100'000, u']'))));
    }
    void stateText()
    {
        QFETCH(QString, page);
        QFETCH(QString, price);
        const std::optional<QJsonObject> state = embeddedPageState(page);
        const QuoteFields q = parseQuotePage(page);
        const QString readable = price == u"-"_s ? u"0"_s : u"1"_s;
        QCOMPARE(QStringList({state ? todayQuoteFields(*state).price : u"-"_s,
                              QString::number(parseTodayQuotePage(page).isDetailPage),
                              QString::number(q.isDetailPage), q.price}),
                 QStringList({price, readable, readable, price == u"-"_s ? QString() : price}));
    }

    // Pages cut anywhere: no detail page before the state's element closes, nothing once it began.
    void sharedPagesAndReaders()
    {
        const std::pair<QString, QString> files[] = {
            {u"7203.html"_s,
             u"トヨタ|detail|トヨタ自動車(株)|2,648.5|-21.5|2,660|2,671|2,640|27,481,100|2,670|15:30"_s},
            {u"9999.html"_s, NotDetail}};
        for (const auto& [file, expected] : files) {
            const QString page = QString::fromUtf8(readFile(TICKORA_TEST_DATA "/today/"_L1 + file));
            QCOMPARE(joined(parseQuotePage(page)) + u'/' + joined(parseTodayQuotePage(page)),
                     expected + u'/' + expected);
            const qsizetype assigned = page.indexOf(u"__PRELOADED_STATE__ ="_s) + 21;
            const qsizetype whole = page.indexOf(u"</script"_s, assigned) + 8;
            QVERIFY(assigned > 21 && whole > assigned);
            for (qsizetype n = 0; n <= page.size(); n += 7) {
                const QuoteFields q = parseQuotePage(page.left(n));
                if (n < assigned)
                    QVERIFY(!q.isDetailPage);
                else
                    QCOMPARE(joined(q), n >= whole ? expected : NotDetail);
            }
        }
        // The Nikkei line, and the dispatch: the data wins over a 2012 marker in the markup.
        const auto board = [](const char* index) {
            return todayPage(
                u"{\"mainIndexPriceBoard\":%1}"_s.arg(QString::fromUtf8(index).replace(u'\'', u'"')));
        };
        const std::pair<QString, QString> lines[] = {
            {board("{'priceBoard':'x','price':'1','priceChange':'0'}"), u"1 () 0"_s},
            {board("{'priceBoard':{'price':38500.25,'priceDateTime':null,'priceChange':2e2}}"),
             u"38500.25 () +200"_s},
            {board("{'price':'1\\n2','priceDateTime':'9:00\\u0001','priceChange':'---'}"), u"1 2 (9:00 ) "_s},
            {board("{'price':'5','priceChange':'1','note':'cmn-index_value no-bg <b>9</b>'}"), u"5 () +1"_s},
            {board("{'price':'5'"), u" () "_s},
            {todayPage(uR"({"mainIndexPriceBoard":{"price":"5"}})"_s,
                       u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"_s),
             u"5 () "_s},
        };
        for (const auto& [page, line] : lines)
            QCOMPARE(nikkeiLine(page), u"日経平均 "_s + line);
        const QString oldPage = u"】S株株価詳細<h1>Old(株)</h1>stoksPrice\">1,234</td>前日比</span>+15</td>"
                                "始値<strong>1,210</strong></div>"_s;
        const QString oldCut = u"S|detail|Old(株)|1,234|+15|1,210|0|0|0||"_s, oldName = u"【1】AB株"_s;
        const std::pair<QString, QString> pages[] = {
            {oldPage, oldCut},
            {todayPage(stockState({}), oldPage), Ordinary},                  // data before markup
            {todayPage(stockState(u"news=\"株価詳細を見る\""_s)), Ordinary}, // the marker only in the state
            {oldName + pageWith(u"window.other = {}"_s), u"AB|other|||||||||"_s},
        };
        for (const auto& [page, expected] : pages)
            QCOMPARE(joined(parseQuotePage(page)), expected);
    }
};

QTEST_GUILESS_MAIN(TestTodayPage)
#include "tst_todaypage.moc"
