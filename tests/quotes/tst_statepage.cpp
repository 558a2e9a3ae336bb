// Quote pages of the current site: the state in their script, the quote and Nikkei line, the dispatch.
#include "exchange/numbertext.h"
#include "quotes/quotepage.h"
#include "quotes/statepage.h"
#include "quotetext.h"
#include "support/files.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

/// The quote of the ordinary state.
const QuoteFields Ordinary{u"N"_s,     true,     u"N(株)"_s,  u"1,000"_s, u"+5"_s,   u"990"_s,
                           u"1,010"_s, u"985"_s, u"12,300"_s, u"995"_s,   u"10:00"_s};
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
QString statePage(const QString& state, const QString& markup = {})
{
    return pageWith(
        u"    // the state below is embedded as JSON\n    window.__PRELOADED_STATE__ = "_s + state, markup);
}

/// Members of a JSON object by name, each value as its JSON text.
using JsonMembers = QMap<QString, QString>;

/// The members of the ordinary state's price board and of its day's figures.
const JsonMembers OrdinaryBoard{{u"name"_s, u"\"N(株)\""_s},
                                {u"price"_s, u"\"1,000\""_s},
                                {u"priceChange"_s, u"\"5\""_s},
                                {u"priceDateTime"_s, u"\"10:00\""_s}};
const JsonMembers OrdinaryDetail{{u"previousPrice"_s, u"\"995\""_s},
                                 {u"openPrice"_s, u"\"990\""_s},
                                 {u"highPrice"_s, u"\"1,010\""_s},
                                 {u"lowPrice"_s, u"\"985\""_s},
                                 {u"volume"_s, u"\"12,300\""_s}};

/// `members` written as the inside of a JSON object.
QString objectText(const JsonMembers& members)
{
    QStringList parts;
    for (auto it = members.cbegin(); it != members.cend(); ++it)
        parts << u"\"%1\":%2"_s.arg(it.key(), it.value());
    return parts.join(u',');
}

/// The ordinary state with members of its price board and of its day's figures replaced or added.
QString stockState(const JsonMembers& board = {}, const JsonMembers& detail = {})
{
    JsonMembers boardMembers = OrdinaryBoard, detailMembers = OrdinaryDetail;
    boardMembers.insert(board);
    detailMembers.insert(detail);
    return u"{\"mainStocksPriceBoard\":{\"priceBoard\":{%1}},\"mainStocksDetail\":{\"detail\":{%2}}}"_s.arg(
        objectText(boardMembers), objectText(detailMembers));
}

} // namespace

class TestStatePage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Members of the price board and of the day's figures replaced (values as JSON texts), and the
    // quote read.
    void fields_data()
    {
        QTest::addColumn<JsonMembers>("board");
        QTest::addColumn<JsonMembers>("detail");
        QTest::addColumn<QString>("fields"); ///< as joined() writes them
        const QString x300(300, u'x'), d255(255, u'7'), d256(256, u'7'), d257(257, u'7');
        const auto text = [](const QString& t) -> QString { return u"\""_s + t + u"\""_s; };
        using Q = QuoteFields;
        QTest::newRow("ordinary, short name from the name")
            << JsonMembers() << JsonMembers() << joined(Ordinary);
        QTest::newRow("sign after leading blanks")
            << JsonMembers{{u"priceChange"_s, text(u"  5"_s)}} << JsonMembers()
            << joinedWith(Ordinary, {{&Q::change, u"  +5"_s}});
        QTest::newRow("date for a time") << JsonMembers{{u"priceDateTime"_s, text(u"12/05"_s)}}
                                         << JsonMembers() << joinedWith(Ordinary, {{&Q::time, u"12/05"_s}});
        QTest::newRow("time without a mark")
            << JsonMembers{{u"priceDateTime"_s, text(u"1530"_s)}} << JsonMembers()
            << joinedWith(Ordinary, {{&Q::time, QString()}});
        QTest::newRow("escapes, both company forms")
            << JsonMembers{{u"name"_s, uR"j("\u30c8\u30e8\u30bf(\u682a)（株）")j"_s}} << JsonMembers()
            << joinedWith(Ordinary, {{&Q::shortName, u"トヨタ"_s}, {&Q::name, u"トヨタ(株)（株）"_s}});
        QTest::newRow("escaped end tag in a name")
            << JsonMembers{{u"name"_s, uR"j("x<\/script>y")j"_s}, {u"shortName"_s, text(u"S"_s)}}
            << JsonMembers() << joinedWith(Ordinary, {{&Q::shortName, u"S"_s}, {&Q::name, u"x</script>y"_s}});
        QTest::newRow("numbers as plain decimals")
            << JsonMembers{{u"price"_s, u"2648.5"_s}, {u"priceChange"_s, u"30"_s}}
            << JsonMembers{{u"openPrice"_s, u"3.2"_s},
                           {u"volume"_s, u"1e7"_s},
                           {u"previousPrice"_s, u"2670"_s},
                           {u"highPrice"_s, u"12345678901234567"_s}}
            << u"N|detail|N(株)|2648.5|+30|3.2|12345678901234567|985|10000000|2670|10:00"_s;
        QTest::newRow("number zeros")
            << JsonMembers{{u"priceChange"_s, u"0e3"_s}}
            << JsonMembers{{u"lowPrice"_s, u"-0.0"_s}, {u"openPrice"_s, u"0"_s}}
            << joinedWith(Ordinary, {{&Q::change, u"0"_s}, {&Q::open, u"0"_s}, {&Q::low, u"0"_s}});
        QTest::newRow("numbers at and past a field's size")
            << JsonMembers{{u"price"_s, u"1e-300"_s}}
            << JsonMembers{{u"openPrice"_s, u"1e300"_s}, {u"highPrice"_s, u"1e255"_s}}
            << joinedWith(
                   Ordinary,
                   {{&Q::price, QString()}, {&Q::open, u"0"_s}, {&Q::high, u"1"_s + QString(255, u'0')}});
        QTest::newRow("other types take the fallbacks") << JsonMembers{{u"price"_s, u"false"_s},
                                                                       {u"priceChange"_s, uR"j(["5"])j"_s},
                                                                       {u"priceDateTime"_s, u"15.3"_s},
                                                                       {u"name"_s, u"null"_s}}
                                                        << JsonMembers{{u"highPrice"_s, u"true"_s},
                                                                       {u"lowPrice"_s, u"null"_s},
                                                                       {u"volume"_s, u"[1]"_s},
                                                                       {u"openPrice"_s, uR"j({"v":"1"})j"_s},
                                                                       {u"previousPrice"_s, u"{}"_s}}
                                                        << u"|detail|||0|0|0|0|0||"_s;
        QTest::newRow("control characters") << JsonMembers{{u"name"_s, uR"j("A\u0007B\nC\u2028D")j"_s},
                                                           {u"price"_s, uR"j("1,234\t")j"_s},
                                                           {u"priceChange"_s, uR"j("5\r")j"_s}}
                                            << JsonMembers{{u"volume"_s, uR"j("1,000\u0000")j"_s}}
                                            << u"A B C D|detail|A B C D|1,234 |0|990|1,010|985|0|995|10:00"_s;
        QTest::newRow("long texts capped")
            << JsonMembers{{u"name"_s, text(x300)}, {u"price"_s, text(d257)}} << JsonMembers()
            << joinedWith(Ordinary,
                          {{&Q::shortName, x300.left(256)}, {&Q::name, x300.left(256)}, {&Q::price, d256}});
        QTest::newRow("numeric texts at and past a cell's size")
            << JsonMembers{{u"priceChange"_s, text(d256)}}
            << JsonMembers{{u"volume"_s, text(d257)}, {u"openPrice"_s, text(d256)}}
            << joinedWith(Ordinary, {{&Q::change, u"0"_s}, {&Q::open, d256}, {&Q::volume, u"0"_s}});
        QTest::newRow("signed change that just fits")
            << JsonMembers{{u"priceChange"_s, text(d255)}} << JsonMembers()
            << joinedWith(Ordinary, {{&Q::change, u"+"_s + d255}});
    }
    void fields()
    {
        QFETCH(JsonMembers, board);
        QFETCH(JsonMembers, detail);
        QFETCH(QString, fields);
        const QString page = statePage(stockState(board, detail));
        QCOMPARE(joined(parseStateQuotePage(page)), fields);
        QCOMPARE(joined(parseQuotePage(page)), fields);
        QCOMPARE(signedChange({}), QString());
    }

    // A price board that is no object gives no quote.
    void priceBoardAnArray()
    {
        const QString page = statePage(uR"j({"mainStocksPriceBoard":{"priceBoard":[{"price":"1"}]}})j"_s);
        QCOMPARE(joined(parseStateQuotePage(page)), NotDetail);
        QCOMPARE(joined(parseQuotePage(page)), NotDetail);
    }

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
            statePage(stockState({}, {{u"deep"_s, QString(100'000, u'[') + u'1' + QString(100'000, u']')}})));
    }
    void stateText()
    {
        QFETCH(QString, page);
        QFETCH(QString, price);
        const std::optional<QJsonObject> state = embeddedPageState(page);
        const QuoteFields q = parseQuotePage(page);
        const QString readable = price == u"-"_s ? u"0"_s : u"1"_s;
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

    // The Nikkei line of a state page's index board.
    void indexLine_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("line"); ///< after "日経平均 "
        const auto board = [](const QString& index) {
            return statePage(u"{\"mainIndexPriceBoard\":%1}"_s.arg(index));
        };
        QTest::newRow("inner board not an object")
            << board(uR"j({"priceBoard":"x","price":"1","priceChange":"0"})j"_s) << u"1 () 0"_s;
        QTest::newRow("numbers, a null time")
            << board(uR"j({"priceBoard":{"price":38500.25,"priceDateTime":null,"priceChange":2e2}})j"_s)
            << u"38500.25 () +200"_s;
        QTest::newRow("control characters, no change")
            << board(uR"j({"price":"1\n2","priceDateTime":"9:00\u0001","priceChange":"---"})j"_s)
            << u"1 2 (9:00 ) "_s;
        QTest::newRow("a 2012 marker in a text")
            << board(uR"j({"price":"5","priceChange":"1","note":"cmn-index_value no-bg <b>9</b>"})j"_s)
            << u"5 () +1"_s;
        QTest::newRow("state cut short") << board(uR"j({"price":"5")j"_s) << u" () "_s;
        QTest::newRow("data before a 2012 marker in the markup")
            << statePage(uR"({"mainIndexPriceBoard":{"price":"5"}})"_s,
                         u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"_s)
            << u"5 () "_s;
    }
    void indexLine()
    {
        QFETCH(QString, page);
        QFETCH(QString, line);
        QCOMPARE(nikkeiLine(page), u"日経平均 "_s + line);
    }

    // The data wins over a 2012 marker in the markup.
    void dataBeforeMarkup_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("fields"); ///< as joined() writes them
        const QString oldPage = u"】S株株価詳細<h1>Old(株)</h1>stoksPrice\">1,234</td>前日比</span>+15</td>"
                                "始値<strong>1,210</strong></div>"_s;
        QTest::newRow("2012 page") << oldPage << u"S|detail|Old(株)|1,234|+15|1,210|0|0|0||"_s;
        QTest::newRow("state and 2012 markup") << statePage(stockState(), oldPage) << joined(Ordinary);
        QTest::newRow("the marker only in the state")
            << statePage(stockState({}, {{u"news"_s, u"\"株価詳細を見る\""_s}})) << joined(Ordinary);
        QTest::newRow("a script without the state")
            << u"【1】AB株"_s + pageWith(u"window.other = {}"_s) << u"AB|other|||||||||"_s;
    }
    void dataBeforeMarkup()
    {
        QFETCH(QString, page);
        QFETCH(QString, fields);
        QCOMPARE(joined(parseQuotePage(page)), fields);
    }
};

QTEST_GUILESS_MAIN(TestStatePage)
#include "tst_statepage.moc"
