// Quote pages of the current site: the state in their script element, the quote and the Nikkei
// line read from it, and which reader a page goes to.
#include "quotes/nikkei.h"
#include "quotes/quoteparser.h"
#include "quotes/todaypage.h"
#include "support/files.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

QString todayFixture(const QString& name)
{
    return QString::fromUtf8(readFile(QString::fromUtf8(TICKORA_TEST_DATA "/today/") + name));
}

const QStringList FieldNames{u"short"_s, u"kind"_s, u"name"_s,   u"price"_s, u"change"_s, u"open"_s,
                             u"high"_s,  u"low"_s,  u"volume"_s, u"prev"_s,  u"time"_s};

/// The fields in FieldNames order, joined by '|'.
QString joined(const QuoteFields& q)
{
    const QString kind = q.isDetailPage ? u"detail"_s : u"other"_s;
    return QStringList{q.shortName, kind,  q.name,   q.price,     q.change, q.open,
                       q.high,      q.low, q.volume, q.prevClose, q.time}
        .join(u'|');
}

const QString Ordinary = u"N|detail|N(株)|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
const QString NotDetail = u"|other|||||||||"_s;

/// The ordinary quote with some fields changed, each given as "field=value".
QString ordinaryWith(const QStringList& changes)
{
    QStringList f = Ordinary.split(u'|');
    for (const QString& c : changes)
        f[FieldNames.indexOf(c.section(u'=', 0, 0))] = c.section(u'=', 1);
    return f.join(u'|');
}

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

/// A stock state with ordinary values; each ';'-separated override "key=json" (with ' for ") replaces (or,
/// with nothing after "=", removes) one member of the price board or the detail. "board=" and "detail="
/// replace the whole object (nothing: the block is left out).
QString stockState(const QString& overrides)
{
    const QString defaults = u"name='N(株)';price='1,000';priceChange='5';priceDateTime='10:00';"
                             "previousPrice='995';openPrice='990';highPrice='1,010';lowPrice='985';"
                             "volume='12,300';isStopHighPrice=false;"_s;
    QMap<QString, QString> members[2]; // the price board, the detail
    std::optional<QString> whole[2];
    for (const QString& o :
         QString(defaults + overrides).replace(u'\'', u'"').split(u';', Qt::SkipEmptyParts)) {
        const QString key = o.section(u'=', 0, 0), value = o.section(u'=', 1);
        const bool onBoard = key.startsWith(u"price"_s) || key == u"name"_s || key == u"shortName"_s;
        const int b = onBoard || key == u"board"_s ? 0 : 1;
        if (key == u"board"_s || key == u"detail"_s)
            whole[b] = value;
        else if (value.isEmpty())
            members[b].remove(key);
        else
            members[b][key] = value;
    }
    QStringList blocks;
    for (int b : {0, 1}) {
        QStringList parts;
        for (auto it = members[b].cbegin(); it != members[b].cend(); ++it)
            parts << u"\"%1\":%2"_s.arg(it.key(), it.value());
        if (const QString text = whole[b].value_or(u"{"_s + parts.join(u',') + u"}"_s); !text.isEmpty())
            blocks << (b == 0 ? u"\"mainStocksPriceBoard\":{\"priceBoard\":"_s
                              : u"\"mainStocksDetail\":{\"detail\":"_s) +
                          text + u"}"_s;
    }
    return u"{"_s + blocks.join(u',') + u"}"_s;
}

QString nested(int depth, const QString& inner)
{
    return QString(depth, u'[') + inner + QString(depth, u']');
}

} // namespace

class TestTodayPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Overrides of the ordinary state, ';'-separated; the expected fields in full when they hold
    // a '|', else as changes of the ordinary quote.
    void fields_data()
    {
        QTest::addColumn<QString>("overrides");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, QAnyStringView overrides, QAnyStringView expected) {
            const QString e = expected.toString();
            QTest::newRow(name) << overrides.toString()
                                << (e.contains(u'|') ? e : ordinaryWith(e.split(u';', Qt::SkipEmptyParts)));
        };
        const QString x300(300, u'x'), d255(255, u'7'), d256(256, u'7'), d300(300, u'7');
        row("ordinary, short name from the name", "", "");
        row("fall keeps its sign", "priceChange='-21.5'", "change=-21.5");
        row("signed rise kept", "priceChange='+3'", "change=+3");
        row("zero with fraction unsigned", "priceChange='0.0'", "change=0.0");
        row("change with percent", "priceChange='1.04%'", "change=0");
        row("dashes before the open",
            "price='---';priceChange='---';openPrice='---';highPrice='---';lowPrice='---';volume='---';"
            "priceDateTime='---'",
            "N|detail|N(株)|---|0|0|0|0|0|995|");
        row("date for a time", "priceDateTime='12/05'", "time=12/05");
        row("time without a mark", "priceDateTime='1530'", "time=");
        row("limit up", "isStopHighPrice=true;highPrice='1,500';price='1,500';priceChange='300'",
            "price=1,500;change=+300;high=1,500");
        row("unicode escapes", "name='\\u30c8\\u30e8\\u30bf(\\u682a)'", "short=トヨタ;name=トヨタ(株)");
        row("quote and backslash escapes", "name='A \\'B\\' \\\\ C'", "short=A \"B\" \\ C;name=A \"B\" \\ C");
        row("escaped end tag in a name", "name='x<\\/script>y';shortName='S'", "short=S;name=x</script>y");
        row("full-width company form", "name='ソニー（株）'", "short=ソニー;name=ソニー（株）");
        row("null short name", "shortName=null", "");
        row("number short name", "shortName=12", "short=12");
        row("number name", "name=7203", "short=7203;name=7203");
        row("numbers as plain decimals",
            "price=2648.5;priceChange=30;openPrice=3.2;volume=1e7;previousPrice=2670;highPrice="
            "12345678901234567",
            "N|detail|N(株)|2648.5|+30|3.2|12345678901234567|985|10000000|2670|10:00");
        row("number fall and zeros", "priceChange=-21.5;lowPrice=-0.0;openPrice=0",
            "change=-21.5;open=0;low=0");
        row("number zero change", "priceChange=0e3", "change=0");
        row("number too long to show", "openPrice=1e300;price=1e-300", "price=;open=0");
        row("other types take the fallbacks",
            "highPrice=true;lowPrice=null;volume=[1];openPrice={'v':'1'};price=false;previousPrice={};"
            "priceChange=['5'];priceDateTime=15.3;name=null",
            "|detail|||0|0|0|0|0||");
        row("missing members", "name=;price=;priceChange=;priceDateTime=;volume=;previousPrice=",
            "|detail|||0|990|1,010|985|0||");
        row("detail not an object", "detail=[1,2]", "N|detail|N(株)|1,000|+5|0|0|0|0||10:00");
        row("no price board", "board=", NotDetail);
        row("price board an array", "board=[{'price':'1'}]", NotDetail);
        row("control characters",
            "name='A\\u0007B\\nC\\u2028D';price='1,234\\t';volume='1,000\\u0000';"
            "priceChange='5\\r'",
            "A B C D|detail|A B C D|1,234 |0|990|1,010|985|0|995|10:00");
        row("long texts capped", u"name=\"%1\";price=\"%2\""_s.arg(x300, d300),
            u"short=%1;name=%1;price=%2"_s.arg(x300.left(256), d300.left(256)));
        row("numbers too long for a cell fall back", u"volume=\"%1\";priceChange=\"%2\""_s.arg(d300, d256),
            "change=0;volume=0");
        row("signed change that just fits", u"priceChange=\"%1\""_s.arg(d255), u"change=+"_s + d255);
    }
    void fields()
    {
        QFETCH(QString, overrides);
        QFETCH(QString, expected);
        const QString page = todayPage(stockState(overrides));
        QCOMPARE(joined(parseTodayQuotePage(page)), expected);
        QCOMPARE(joined(parseQuotePage(page)), expected);
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
        row("no blanks around =", pageWith(u"window.__PRELOADED_STATE__="_s + state), found);
        row("blanks and a line break around =", pageWith(u"window.__PRELOADED_STATE__ \t=\n  "_s + state),
            found);
        row("trailing semicolon", pageWith(assign + state + u";"_s), found);
        row("CR LF, form feed and vertical tab as blanks",
            pageWith(u"\r\n// x\r\n\f"_s + u"window.__PRELOADED_STATE__\v=\r\n"_s + state + u";\r\n"_s),
            found);
        row("semicolon and line break", pageWith(assign + state + u" ;\n"_s), found);
        row("attributes and upper case",
            u"<SCRIPT type=\"text/javascript\">"_s + assign + state + u"</SCRIPT>"_s, found);
        row("keys in any order",
            pageWith(
                assign +
                uR"({"mainStocksDetail":{"detail":{"volume":"1","openPrice":"2"}},"x":[1,{"y":null}],)"
                uR"("mainStocksPriceBoard":{"priceBoard":{"priceChange":"1","price":"7","name":"A"}}})"_s),
            u"7"_s);
        row("moderate nesting", todayPage(stockState(u"deep="_s + nested(40, u"1"_s))), found);
        row("truncated state", pageWith(assign + state.chopped(2)));
        row("page ends inside the element",
            todayPage(state).left(todayPage(state).indexOf(u"</script>\n<script src"_s)));
        row("raw end tag inside a string", todayPage(stockState(u"name=\"a</script>b\""_s)));
        row("statement after the state", pageWith(assign + state + u"; window.x = 1;"_s));
        row("comparison, not assignment", pageWith(u"window.__PRELOADED_STATE__ == "_s + state));
        row("another name", pageWith(u"window.__PRELOADED_STATE__X = "_s + state));
        row("code before the assignment", pageWith(u"var a = 1; "_s + assign + state));
        row("array state", pageWith(assign + u"["_s + state + u"]"_s));
        row("only a comment", pageWith(u"// "_s + assign + state));
        row("another tag named like it", u"<scripts>"_s + assign + state + u"</scripts>"_s);
        row("no script element", u"<html><body>"_s + assign + state + u"</body></html>"_s);
        row("arrays nested too deep", todayPage(stockState(u"deep="_s + nested(100'000, u"1"_s))));
        row("objects nested too deep", todayPage(QString(100'000, u'{').replace(u"{"_s, u"{\"a\":"_s) +
                                                 u"1"_s + QString(100'000, u'}')));
    }
    // A sign goes before a rise only; blanks before it are kept, nothing is read past the end.
    void signs()
    {
        const std::pair<QString, QString> cases[] = {{u""_s, u""_s},         {u"   "_s, u"   "_s},
                                                     {u"  5"_s, u"  +5"_s},  {u"-5"_s, u"-5"_s},
                                                     {u"0.00"_s, u"0.00"_s}, {u"1,000"_s, u"+1,000"_s}};
        for (const auto& [text, shown] : cases)
            QCOMPARE(signedChange(text), shown);
    }

    void stateText()
    {
        QFETCH(QString, page);
        QFETCH(QString, price);
        const bool readable = price != u"-"_s;
        const std::optional<QJsonObject> state = embeddedPageState(page);
        QCOMPARE(state.has_value(), readable);
        if (state)
            QCOMPARE(todayQuoteFields(*state).price, price);
        // A page without a readable state (and without the 2012 marks) is not a detail page.
        const QuoteFields q = parseQuotePage(page);
        QCOMPARE(q.price + u'|' + QString::number(q.isDetailPage), readable ? price + u"|1"_s : u"|0"_s);
    }

    void sharedPages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("closing price") << u"7203.html"_s
                                       << u"トヨタ|detail|トヨタ自動車(株)|2,648.5|-21.5|2,660|2,671|2,640|"
                                          "27,481,100|2,670|15:30"_s;
        QTest::newRow("midday price") << u"6758.html"_s
                                      << u"ソニーＧ|detail|ソニーグループ(株)|3,412|+58|3,360|3,420|3,355|"
                                         "8,102,300|3,354|11:30"_s;
        QTest::newRow("code not found") << u"9999.html"_s << NotDetail;
    }
    void sharedPages()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        const QString page = todayFixture(file);
        QCOMPARE(joined(parseQuotePage(page)), expected);
        QCOMPARE(joined(parseTodayQuotePage(page)), expected);
        // Cut anywhere: never a detail page until the state's element is closed, then the whole
        // quote; once the assignment has begun, nothing at all (no short name from the title).
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

    // The line after "日経平均 ".
    void nikkei_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("line");
        const auto row = [](const char* name, QAnyStringView index, QAnyStringView line) {
            QTest::newRow(name) << todayPage(u"{\"mainIndexPriceBoard\":%1}"_s.arg(
                                       index.toString().replace(u'\'', u'"')))
                                << line.toString();
        };
        row("index board",
            "{'priceBoard':{'price':'38,500.25','priceDateTime':'15:15','priceChange':'120.5'}}",
            "38,500.25 (15:15) +120.5");
        row("fields on the board itself", "{'price':'38,000','priceDateTime':'12/05','priceChange':'-300.1'}",
            "38,000 (12/05) -300.1");
        row("inner board not an object", "{'priceBoard':'x','price':'1','priceChange':'0'}", "1 () 0");
        row("numbers", "{'priceBoard':{'price':38500.25,'priceDateTime':null,'priceChange':2e2}}",
            "38500.25 () +200");
        row("change not numeric, control characters",
            "{'price':'1\\n2','priceDateTime':'9:00\\u0001','priceChange':'---'}", "1 2 (9:00 ) ");
        row("index board an array", "[{'price':'1'}]", " () ");
        row("2012 marker in the state text only",
            "{'price':'5','priceChange':'1','note':'cmn-index_value no-bg <b>9</b>'}", "5 () +1");
        row("state cut short", "{'price':'5'", " () ");
        QTest::newRow("no index board") << todayPage(stockState({})) << u" () "_s;
        QTest::newRow("2012 marker in the markup")
            << todayPage(uR"({"mainIndexPriceBoard":{"price":"5"}})"_s,
                         u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"_s)
            << u"12,283.62 () "_s;
    }
    void nikkei()
    {
        QFETCH(QString, page);
        QFETCH(QString, line);
        QCOMPARE(nikkeiLine(page), u"日経平均 "_s + line);
    }

    // Which reader a page goes to: the 2012 marker in the markup keeps the 2012 cut.
    void formats_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("expected");
        const QString oldPage = u"】S株株価詳細<h1>Old(株)</h1>stoksPrice\">1,234</td>前日比</span>+15</td>"
                                "始値<strong>1,210</strong></div>"_s;
        const QString oldCut = u"S|detail|Old(株)|1,234|+15|1,210|0|0|0||"_s, oldName = u"【1】AB株"_s;
        QTest::newRow("2012 page") << oldPage << oldCut;
        QTest::newRow("2012 page with a state element") << todayPage(stockState({}), oldPage) << oldCut;
        QTest::newRow("2012 marker only inside the state")
            << todayPage(stockState(u"news=\"株価詳細を見る\""_s)) << Ordinary;
        QTest::newRow("no state, 2012 short name")
            << oldName + pageWith(u"window.other = {}"_s) << u"AB|other|||||||||"_s;
        QTest::newRow("comparison, not a state: 2012 short name")
            << oldName + pageWith(u"window.__PRELOADED_STATE__ == {}"_s) << u"AB|other|||||||||"_s;
        QTest::newRow("state cut short, no 2012 short name")
            << oldName + pageWith(u"window.__PRELOADED_STATE__ = {\"a\":"_s) << NotDetail;
        QTest::newRow("not-found state, no 2012 short name")
            << oldName + todayPage(uR"({"mainNotFound":{}})"_s) << NotDetail;
    }
    void formats()
    {
        QFETCH(QString, page);
        QFETCH(QString, expected);
        QCOMPARE(joined(parseQuotePage(page)), expected);
    }
};

QTEST_GUILESS_MAIN(TestTodayPage)
#include "tst_todaypage.moc"
