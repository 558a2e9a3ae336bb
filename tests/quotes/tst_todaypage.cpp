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

/// Short name, page kind, name, price, change, open, high, low, volume, previous close, time.
QString joined(const QuoteFields& q)
{
    const QString kind = q.isDetailPage ? u"detail"_s : u"other"_s;
    return QStringList{q.shortName, kind,   q.name, q.price,  q.change,
                       q.open,      q.high, q.low,  q.volume, q.prevClose}
               .join(u'|') +
           u'|' + q.time;
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

using Members = QList<QPair<QString, QString>>;

QString objectText(const Members& members)
{
    QStringList parts;
    for (const auto& [key, value] : members)
        parts << u"\""_s + key + u"\":"_s + value;
    return u"{"_s + parts.join(u',') + u"}"_s;
}

/// A stock state with ordinary values; each override "key=json" replaces (or, with nothing after
/// "=", removes) one member of the price board or the detail. "board=" and "detail=" replace the
/// whole object (nothing: the block is left out).
QString stockState(const QStringList& overrides)
{
    Members board{{u"name"_s, u"\"N(株)\""_s},
                  {u"price"_s, u"\"1,000\""_s},
                  {u"priceChange"_s, u"\"5\""_s},
                  {u"priceDateTime"_s, u"\"10:00\""_s}};
    Members detail{{u"previousPrice"_s, u"\"995\""_s}, {u"openPrice"_s, u"\"990\""_s},
                   {u"highPrice"_s, u"\"1,010\""_s},   {u"lowPrice"_s, u"\"985\""_s},
                   {u"volume"_s, u"\"12,300\""_s},     {u"isStopHighPrice"_s, u"false"_s}};
    std::optional<QString> wholeBoard, wholeDetail;
    for (const QString& o : overrides) {
        const QString key = o.section(u'=', 0, 0), value = o.section(u'=', 1);
        if (key == u"board"_s) {
            wholeBoard = value;
            continue;
        }
        if (key == u"detail"_s) {
            wholeDetail = value;
            continue;
        }
        bool found = false;
        for (Members* m : {&board, &detail}) {
            for (qsizetype i = 0; i < m->size(); ++i) {
                if ((*m)[i].first == key) {
                    found = true;
                    if (value.isEmpty())
                        m->removeAt(i);
                    else
                        (*m)[i].second = value;
                    break;
                }
            }
        }
        if (!found)
            (key.startsWith(u"price"_s) || key == u"name"_s || key == u"shortName"_s ? board : detail)
                .append({key, value});
    }
    QStringList blocks;
    const QString b = wholeBoard.value_or(objectText(board)), d = wholeDetail.value_or(objectText(detail));
    if (!b.isEmpty())
        blocks << u"\"mainStocksPriceBoard\":{\"priceBoard\":"_s + b + u"}"_s;
    if (!d.isEmpty())
        blocks << u"\"mainStocksDetail\":{\"detail\":"_s + d + u"}"_s;
    return u"{"_s + blocks.join(u',') + u"}"_s;
}

QString nested(int depth, const QString& inner)
{
    return QString(depth, u'[') + inner + QString(depth, u']');
}

const QString Ordinary = u"N|detail|N(株)|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
const QString NotDetail = u"|other|||||||||"_s;

} // namespace

class TestTodayPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fields_data()
    {
        QTest::addColumn<QStringList>("overrides");
        QTest::addColumn<QString>("expected");
        const QString x300(300, u'x'), d255(255, u'7'), d256(256, u'7'), d300(300, u'7');

        QTest::newRow("ordinary, short name from the name") << QStringList() << Ordinary;
        QTest::newRow("fall keeps its sign")
            << QStringList{u"priceChange=\"-21.5\""_s}
            << u"N|detail|N(株)|1,000|-21.5|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("signed rise kept") << QStringList{u"priceChange=\"+3\""_s}
                                          << u"N|detail|N(株)|1,000|+3|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("zero unsigned") << QStringList{u"priceChange=\"0\""_s}
                                       << u"N|detail|N(株)|1,000|0|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("zero with fraction unsigned")
            << QStringList{u"priceChange=\"0.0\""_s}
            << u"N|detail|N(株)|1,000|0.0|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("change with percent") << QStringList{u"priceChange=\"1.04%\""_s}
                                             << u"N|detail|N(株)|1,000|0|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("dashes before the open")
            << QStringList{u"price=\"---\""_s,        u"priceChange=\"---\""_s, u"openPrice=\"---\""_s,
                           u"highPrice=\"---\""_s,    u"lowPrice=\"---\""_s,    u"volume=\"---\""_s,
                           u"priceDateTime=\"---\""_s}
            << u"N|detail|N(株)|---|0|0|0|0|0|995|"_s;
        QTest::newRow("date for a time") << QStringList{u"priceDateTime=\"12/05\""_s}
                                         << u"N|detail|N(株)|1,000|+5|990|1,010|985|12,300|995|12/05"_s;
        QTest::newRow("time without a mark") << QStringList{u"priceDateTime=\"1530\""_s}
                                             << u"N|detail|N(株)|1,000|+5|990|1,010|985|12,300|995|"_s;
        QTest::newRow("limit up") << QStringList{u"isStopHighPrice=true"_s, u"highPrice=\"1,500\""_s,
                                                 u"price=\"1,500\""_s, u"priceChange=\"300\""_s}
                                  << u"N|detail|N(株)|1,500|+300|990|1,500|985|12,300|995|10:00"_s;
        QTest::newRow("limit down") << QStringList{u"isStopLowPrice=true"_s, u"lowPrice=\"480\""_s,
                                                   u"price=\"480\""_s, u"priceChange=\"-80\""_s}
                                    << u"N|detail|N(株)|480|-80|990|1,010|480|12,300|995|10:00"_s;
        QTest::newRow("unicode escapes")
            << QStringList{u"name=\"\\u30c8\\u30e8\\u30bf(\\u682a)\""_s}
            << u"トヨタ|detail|トヨタ(株)|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("quote and backslash escapes")
            << QStringList{u"name=\"A \\\"B\\\" \\\\ C\""_s}
            << u"A \"B\" \\ C|detail|A \"B\" \\ C|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("escaped end tag in a name")
            << QStringList{u"name=\"x<\\/script>y\""_s, u"shortName=\"S\""_s}
            << u"S|detail|x</script>y|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("full-width company form")
            << QStringList{u"name=\"ソニー（株）\""_s}
            << u"ソニー|detail|ソニー（株）|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("empty short name") << QStringList{u"shortName=\"\""_s} << Ordinary;
        QTest::newRow("null short name") << QStringList{u"shortName=null"_s} << Ordinary;
        QTest::newRow("number short name")
            << QStringList{u"shortName=12"_s} << u"12|detail|N(株)|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("numbers as plain decimals")
            << QStringList{u"price=2648.5"_s, u"priceChange=30"_s,     u"openPrice=3.2"_s,
                           u"volume=1e7"_s,   u"previousPrice=2670"_s, u"highPrice=12345678901234567"_s}
            << u"N|detail|N(株)|2648.5|+30|3.2|12345678901234567|985|10000000|2670|10:00"_s;
        QTest::newRow("number fall and zeros")
            << QStringList{u"priceChange=-21.5"_s, u"lowPrice=-0.0"_s, u"openPrice=0"_s}
            << u"N|detail|N(株)|1,000|-21.5|0|1,010|0|12,300|995|10:00"_s;
        QTest::newRow("number zero change") << QStringList{u"priceChange=0e3"_s}
                                            << u"N|detail|N(株)|1,000|0|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("number too long to show") << QStringList{u"openPrice=1e300"_s, u"price=1e-300"_s}
                                                 << u"N|detail|N(株)||+5|0|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("other types take the fallbacks")
            << QStringList{u"highPrice=true"_s,          u"lowPrice=null"_s,      u"volume=[1]"_s,
                           u"openPrice={\"v\":\"1\"}"_s, u"price=false"_s,        u"previousPrice={}"_s,
                           u"priceChange=[\"5\"]"_s,     u"priceDateTime=15.3"_s, u"name=null"_s}
            << u"|detail|||0|0|0|0|0||"_s;
        QTest::newRow("number name") << QStringList{u"name=7203"_s}
                                     << u"7203|detail|7203|1,000|+5|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("missing members")
            << QStringList{u"name="_s,          u"price="_s,  u"priceChange="_s,
                           u"priceDateTime="_s, u"volume="_s, u"previousPrice="_s}
            << u"|detail|||0|990|1,010|985|0||"_s;
        QTest::newRow("missing detail block")
            << QStringList{u"detail="_s} << u"N|detail|N(株)|1,000|+5|0|0|0|0||10:00"_s;
        QTest::newRow("detail not an object")
            << QStringList{u"detail=[1,2]"_s} << u"N|detail|N(株)|1,000|+5|0|0|0|0||10:00"_s;
        QTest::newRow("no price board") << QStringList{u"board="_s} << NotDetail;
        QTest::newRow("price board an array") << QStringList{u"board=[{\"price\":\"1\"}]"_s} << NotDetail;
        QTest::newRow("price board null") << QStringList{u"board=null"_s} << NotDetail;
        QTest::newRow("control characters")
            << QStringList{u"name=\"A\\u0007B\\nC\\u2028D\""_s, u"price=\"1,234\\t\""_s,
                           u"volume=\"1,000\\u0000\""_s, u"priceChange=\"5\\r\""_s}
            << u"A B C D|detail|A B C D|1,234 |0|990|1,010|985|0|995|10:00"_s;
        QTest::newRow("long texts capped")
            << QStringList{u"name=\""_s + x300 + u"\""_s, u"price=\""_s + d300 + u"\""_s}
            << x300.left(256) + u"|detail|"_s + x300.left(256) + u"|"_s + d300.left(256) +
                   u"|+5|990|1,010|985|12,300|995|10:00"_s;
        QTest::newRow("numbers too long for a cell fall back")
            << QStringList{u"volume=\""_s + d300 + u"\""_s, u"priceChange=\""_s + d256 + u"\""_s}
            << u"N|detail|N(株)|1,000|0|990|1,010|985|0|995|10:00"_s;
        QTest::newRow("signed change that just fits")
            << QStringList{u"priceChange=\""_s + d255 + u"\""_s}
            << u"N|detail|N(株)|1,000|+"_s + d255 + u"|990|1,010|985|12,300|995|10:00"_s;
    }
    void fields()
    {
        QFETCH(QStringList, overrides);
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
        const QString state = stockState({});
        const QString assign = u"window.__PRELOADED_STATE__ = "_s;
        QTest::newRow("comment lines and blanks first")
            << pageWith(u"\n  // one\n\n\t// two = {}\n  "_s + assign + state) << u"1,000"_s;
        QTest::newRow("no blanks around =")
            << pageWith(u"window.__PRELOADED_STATE__="_s + state) << u"1,000"_s;
        QTest::newRow("blanks and a line break around =")
            << pageWith(u"window.__PRELOADED_STATE__ \t=\n  "_s + state) << u"1,000"_s;
        QTest::newRow("trailing semicolon") << pageWith(assign + state + u";"_s) << u"1,000"_s;
        QTest::newRow("semicolon and line break") << pageWith(assign + state + u" ;\n"_s) << u"1,000"_s;
        QTest::newRow("attributes and upper case")
            << u"<SCRIPT type=\"text/javascript\">"_s + assign + state + u"</SCRIPT>"_s << u"1,000"_s;
        QTest::newRow("keys in any order")
            << pageWith(
                   assign +
                   uR"({"mainStocksDetail":{"detail":{"volume":"1","openPrice":"2"}},"x":[1,{"y":null}],)"
                   uR"("mainStocksPriceBoard":{"priceBoard":{"priceChange":"1","price":"7","name":"A"}}})"_s)
            << u"7"_s;
        QTest::newRow("moderate nesting")
            << todayPage(stockState({u"deep="_s + nested(40, u"1"_s)})) << u"1,000"_s;
        QTest::newRow("truncated state") << pageWith(assign + state.left(state.size() - 2)) << u"-"_s;
        QTest::newRow("page ends inside the element")
            << todayPage(state).left(todayPage(state).indexOf(u"</script>\n<script src"_s)) << u"-"_s;
        QTest::newRow("raw end tag inside a string")
            << todayPage(stockState({u"name=\"a</script>b\""_s})) << u"-"_s;
        QTest::newRow("statement after the state")
            << pageWith(assign + state + u"; window.x = 1;"_s) << u"-"_s;
        QTest::newRow("comparison, not assignment")
            << pageWith(u"window.__PRELOADED_STATE__ == "_s + state) << u"-"_s;
        QTest::newRow("another name") << pageWith(u"window.__PRELOADED_STATE__X = "_s + state) << u"-"_s;
        QTest::newRow("code before the assignment") << pageWith(u"var a = 1; "_s + assign + state) << u"-"_s;
        QTest::newRow("array state") << pageWith(assign + u"["_s + state + u"]"_s) << u"-"_s;
        QTest::newRow("only a comment") << pageWith(u"// "_s + assign + state) << u"-"_s;
        QTest::newRow("no script element")
            << u"<html><body>"_s + assign + state + u"</body></html>"_s << u"-"_s;
        QTest::newRow("arrays nested too deep")
            << todayPage(stockState({u"deep="_s + nested(100'000, u"1"_s)})) << u"-"_s;
        QTest::newRow("objects nested too deep")
            << todayPage(QString(100'000, u'{').replace(u"{"_s, u"{\"a\":"_s) + u"1"_s +
                         QString(100'000, u'}'))
            << u"-"_s;
    }
    void stateText()
    {
        QFETCH(QString, page);
        QFETCH(QString, price);
        const std::optional<QJsonObject> state = embeddedPageState(page);
        QCOMPARE(state.has_value(), price != u"-"_s);
        if (state)
            QCOMPARE(todayQuoteFields(*state).price, price);
        // A page without a readable state (and without the 2012 marks) is not a detail page.
        QCOMPARE(parseQuotePage(page).price, price == u"-"_s ? QString() : price);
        QCOMPARE(parseQuotePage(page).isDetailPage, price != u"-"_s);
    }

    void sharedPages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("closing price")
            << u"7203.html"_s
            << u"トヨタ|detail|トヨタ自動車(株)|2,648.5|-21.5|2,660|2,671|2,640|27,481,100|2,670|15:30"_s;
        QTest::newRow("midday price")
            << u"6758.html"_s
            << u"ソニーＧ|detail|ソニーグループ(株)|3,412|+58|3,360|3,420|3,355|8,102,300|3,354|11:30"_s;
        QTest::newRow("code not found") << u"9999.html"_s << NotDetail;
    }
    void sharedPages()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        const QString page = todayFixture(file);
        QVERIFY(!page.isEmpty());
        QCOMPARE(joined(parseQuotePage(page)), expected);
        QCOMPARE(joined(parseTodayQuotePage(page)), expected);
        // Cut anywhere: never a detail page until the state's element is closed, then the whole
        // quote; once the assignment has begun, nothing at all (no short name from the title).
        const qsizetype assigned = page.indexOf(u"__PRELOADED_STATE__ ="_s) + 21;
        const qsizetype whole = page.indexOf(u"</script"_s, assigned) + 8;
        QVERIFY(assigned > 21 && whole > assigned);
        for (qsizetype n = 0; n <= page.size(); n += 7) {
            const QuoteFields q = parseQuotePage(page.left(n));
            if (n >= whole)
                QCOMPARE(joined(q), expected);
            else if (n >= assigned)
                QCOMPARE(joined(q), NotDetail);
            else
                QVERIFY(!q.isDetailPage);
        }
    }

    void nikkei_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("line");
        QTest::newRow("index board")
            << todayPage(
                   uR"({"mainIndexPriceBoard":{"priceBoard":{"price":"38,500.25","priceDateTime":"15:15","priceChange":"120.5"}}})"_s)
            << u"日経平均 38,500.25 (15:15) +120.5"_s;
        QTest::newRow("fields on the board itself")
            << todayPage(
                   uR"({"mainIndexPriceBoard":{"price":"38,000","priceDateTime":"12/05","priceChange":"-300.1"}})"_s)
            << u"日経平均 38,000 (12/05) -300.1"_s;
        QTest::newRow("inner board not an object")
            << todayPage(uR"({"mainIndexPriceBoard":{"priceBoard":"x","price":"1","priceChange":"0"}})"_s)
            << u"日経平均 1 () 0"_s;
        QTest::newRow("numbers")
            << todayPage(
                   uR"({"mainIndexPriceBoard":{"priceBoard":{"price":38500.25,"priceDateTime":null,"priceChange":2e2}}})"_s)
            << u"日経平均 38500.25 () +200"_s;
        QTest::newRow("change not numeric, control characters")
            << todayPage(
                   uR"({"mainIndexPriceBoard":{"price":"1\n2","priceDateTime":"9:00\u0001","priceChange":"---"}})"_s)
            << u"日経平均 1 2 (9:00 ) "_s;
        QTest::newRow("no index board") << todayPage(stockState({})) << u"日経平均  () "_s;
        QTest::newRow("index board an array")
            << todayPage(uR"({"mainIndexPriceBoard":[{"price":"1"}]})"_s) << u"日経平均  () "_s;
        QTest::newRow("2012 marker in the state text only")
            << todayPage(
                   uR"({"mainIndexPriceBoard":{"price":"5","priceChange":"1","note":"cmn-index_value no-bg <b>9</b>"}})"_s)
            << u"日経平均 5 () +1"_s;
        QTest::newRow("2012 marker in the markup")
            << todayPage(uR"({"mainIndexPriceBoard":{"price":"5"}})"_s,
                         u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"_s)
            << u"日経平均 12,283.62 () "_s;
        QTest::newRow("state cut short")
            << todayPage(uR"({"mainIndexPriceBoard":{"price":"5")"_s) << u"日経平均  () "_s;
    }
    void nikkei()
    {
        QFETCH(QString, page);
        QFETCH(QString, line);
        QCOMPARE(nikkeiLine(page), line);
    }

    // Which reader a page goes to: the 2012 marker in the markup keeps the 2012 cut.
    void formats_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("expected");
        const QString oldPage = u"】S株株価詳細<h1>Old(株)</h1>stoksPrice\">1,234</td>前日比</span>+15</td>"
                                "始値<strong>1,210</strong></div>"_s;
        const QString oldCut = u"S|detail|Old(株)|1,234|+15|1,210|0|0|0||"_s;
        QTest::newRow("2012 page") << oldPage << oldCut;
        QTest::newRow("2012 page with a state element") << todayPage(stockState({}), oldPage) << oldCut;
        QTest::newRow("2012 marker only inside the state")
            << todayPage(stockState({u"news=\"株価詳細を見る\""_s})) << Ordinary;
        QTest::newRow("no state, 2012 short name")
            << pageWith(u"window.other = {}"_s).prepend(u"【1】AB株"_s) << u"AB|other|||||||||"_s;
        QTest::newRow("state cut short, no 2012 short name")
            << pageWith(u"window.__PRELOADED_STATE__ = {\"a\":"_s).prepend(u"【1】AB株"_s) << NotDetail;
        QTest::newRow("not-found state, no 2012 short name")
            << todayPage(uR"({"mainNotFound":{}})"_s).prepend(u"【1】AB株"_s) << NotDetail;
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
