// Texts cut from pages: the marker cuts, numeric text, the stock-detail page, the Nikkei line,
// and the request that fetches a page. Each table row is one case at an edge of its rule.
#include "quotes/nikkei.h"
#include "quotes/quotefetch.h"
#include "quotes/quoteparser.h"
#include "quotes/textextract.h"
#include "support/fakes.h"

#include <QFile>
#include <QTest>
#include <QUrlQuery>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

QString fixture(const QString& name)
{
    QFile f(QString::fromUtf8(TICKORA_TEST_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return QString::fromUtf8(f.readAll());
}

/// Short name, page kind, name, price, change, open, high, low, volume, previous close, time.
QString joined(const QuoteFields& q)
{
    return QStringList{q.shortName, q.isDetailPage ? u"detail"_s : u"other"_s,
                       q.name,      q.price,
                       q.change,    q.open,
                       q.high,      q.low,
                       q.volume,    q.prevClose,
                       q.time}
        .join(u'|');
}

} // namespace

class TestQuoteText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void getText()
    {
        const QString rows[][4] = {
            // all, start, end, expected
            {u"ab[x]cd[y]"_s, u"["_s, u"]"_s, u"x"_s},
            {u"ab[]cd"_s, u"["_s, u"]"_s, {}},        // end right after start
            {u"ab[xcd"_s, u"["_s, u"]"_s, {}},        // no end after start
            {u"a]b[xy]z"_s, u"["_s, u"]"_s, u"xy"_s}, // end before and after start
            {u"ab]x]cd"_s, u"["_s, u"]"_s, {}},       // start missing
            {u"[abc[x]"_s, u"["_s, u"]"_s, u"abc[x"_s},
            {u"<b>12</B>"_s, u"<b>"_s, u"</b>"_s, {}}, // case-sensitive
            {u"<<a>>"_s, u"<<"_s, u">>"_s, u"a"_s},    // end searched after the start
            {u"[𠮷野家]"_s, u"["_s, u"]"_s, u"𠮷野家"_s},
        };
        for (const auto& r : rows)
            QCOMPARE(GetText(r[0], r[1], r[2]), r[3]);
    }

    // The last "</div>" block holding the label decides; its first <strong> is the value.
    void getValue()
    {
        const QString rows[][3] = {
            {u"<dt>始値</dt><dd><strong>1,234</strong></dd></div><div>x</div>"_s, u"始値"_s, u"1,234"_s},
            {u"<div><strong>1,234</strong><dt>始値</dt></div>"_s, u"始値"_s, u"1,234"_s},
            {u"始値<strong>1</strong></div>始値<strong>2</strong></div>"_s, u"始値"_s, u"2"_s},
            {u"始値<strong>1</strong></div>始値 nothing</div>"_s, u"始値"_s, {}},
            {u"高値<strong>1</strong></div>"_s, u"始値"_s, {}},
            {u"<strong>1</strong></DIV>始値<strong>2</strong></Div>"_s, u"始値"_s, u"2"_s},
            {u"Open<strong>1</strong></div>x<strong>2</strong></div>"_s, u"OPEN"_s, u"1"_s},
            {u"<strong>9</strong> 始値"_s, u"始値"_s, u"9"_s},                        // one block
            {u"<strong>1</strong>始</div>値<strong>2</strong>"_s, u"始値"_s, {}},     // label split
            {u"<strong>1</strong></div>始値<strong>5</strong>"_s, u"始値"_s, u"5"_s}, // right after
            {u"始値<STRONG>1</STRONG></div>"_s, u"始値"_s, {}},
            {u"<strong>1</strong></div>x<strong>2</strong>"_s, u"v>x"_s, {}}, // label runs into it
            {u"</div>x<strong>2</strong>"_s, u"v>x"_s, {}},
            {u"<strong>1</strong></div>"_s, {}, {}},
        };
        for (const auto& r : rows)
            QCOMPARE(GetValue(r[0], r[1]), r[2]);
    }

    void numbers()
    {
        for (const QString& t : {u"1,234,500"_s, u"  +1,000.25  "_s, u"-0.5"_s, u"007"_s})
            QVERIFY2(isNumericText(t), qPrintable(t));
        for (const QString& t : {u""_s, u"-"_s, u"1e5"_s, u"1,23"_s, u"1,2345"_s, u",123"_s, u"1."_s, u".5"_s,
                                 u"+-1"_s, u"1 000"_s, u"１２３"_s})
            QVERIFY2(!isNumericText(t), qPrintable(t));
        // Compared by value, both ways round; 2 stands for "not comparable".
        const std::tuple<QString, QString, int> pairs[] = {
            {u"999"_s, u"1,000"_s, -1},
            {u"1,234"_s, u"1200"_s, 1},
            {u"1200.50"_s, u"1,200.5"_s, 0},
            {u"12.05"_s, u"12.5"_s, -1},
            {u"-5"_s, u"-3"_s, -1},
            {u"-5"_s, u"3"_s, -1},
            {u"-0"_s, u"+0.00"_s, 0},
            {u"100"_s, u" "_s, 2},
            {u""_s, u"100"_s, 2},
            {u"123456789012345678901"_s, u"123456789012345678900"_s, 1},
        };
        for (const auto& [a, b, expected] : pairs) {
            const std::optional<int> ab = compareNumericTexts(a, b), ba = compareNumericTexts(b, a);
            QCOMPARE(ab ? qBound(-1, *ab, 1) : 2, expected);
            QCOMPARE(ba ? qBound(-1, *ba, 1) : 2, expected == 2 ? 2 : -expected);
        }
    }

    void fixturePages()
    {
        const QString rows[][2] = {
            {u"detail_7203_realtime_up.html"_s,
             u"トヨタ自動車|detail|トヨタ自動車(株)|5,430|+15|5,420|5,460|5,400|12,345,600|5,415|15:00"_s},
            {u"detail_6758_delayed_down.html"_s,
             u"ソニー|detail|ソニー(株)|1,402|-3|1,410|1,418|1,391|8,765,400|1,405|14:35"_s},
            {u"detail_9984_limitup.html"_s,
             u"ソフトバンク|detail|ソフトバンク(株)|1,500|+300|1,250|1,500|1,245|45,678,900|1,200|11:30"_s},
            {u"detail_8604_limitdown.html"_s,
             u"野村ホールディングス|detail|野村ホールディングス(株)|480|-80|530|532|480|0|560|13:02"_s},
            {u"detail_4689_unchanged.html"_s,
             u"ヤフー|detail|ヤフー(株)|38,950|0|38,950|38,950|38,950|12,300||"_s},
            {u"notfound_9999.html"_s, u"該当銘柄なし|other|||||||||"_s},
        };
        for (const auto& r : rows)
            QCOMPARE(joined(parseQuotePage(fixture(r[0]))), r[1]);
    }

    void cuttingRules()
    {
        const QString x298(298, u'x');
        const QString rows[][2] = {
            {u"【1】"_s + x298 + u"x株"_s, u"|other|||||||||"_s}, // no 株 within 300 characters
            {u"【1】"_s + x298 + u"株"_s, x298 + u"|other|||||||||"_s},
            {u"】A】B株"_s, u"A】B|other|||||||||"_s},
            {u"株価詳細"_s, u"|detail|||0|0|0|0|0||"_s},
            {u"株価詳細<td class=\"stoksPrice\">---</td>"_s, u"|detail||---|0|0|0|0|0||"_s},
            {u"株価詳細<span>前日比</span>+7</td>"_s, u"|detail|||+7|0|0|0|0||"_s},
            {u"株価詳細前日比</span><span class=\"icoUpGreen yjMSt\">+7(+1%)</span></td>"_s,
             u"|detail|||0|0|0|0|0||"_s},
            {u"株価詳細前日比</span><span class=\"icoDownRed yjMSt\">+7（+1%）</span></td>"_s,
             u"|detail|||+7|0|0|0|0||"_s},
            {u"株価詳細>高値<strong>S</strong></div><span>ストップ高</span>（<strong>1,500</strong>）</td>"_s,
             u"|detail|||0|0|0|0|0||"_s},
            {u"株価詳細>高値<strong>990</strong></div>ストップ高</span><strong class=\"greenFin\">1</strong></td>"_s,
             u"|detail|||0|0|990|0|0||"_s},
            {u"株価詳細>安値</div>ストップ安</span>（<strong class=\"redFin\">80</strong>）</td>"_s,
             u"|detail|||0|0|0|80|0||"_s},
            {u"株価詳細>出来高<strong>---</strong></div>"_s, u"|detail|||0|0|0|0|0||"_s},
            {u"株価詳細<strong>1,234,567.89</strong>前日終値"_s, u"|detail|||0|0|0|0|0|1,234,567.89|"_s},
            {u"株価詳細<strong>12,345,678.9X</strong>前日終値"_s,
             u"|detail|||0|0|0|0|0||"_s}, // 13 characters
            {u"前日終値 株価詳細"_s, u"|detail|||0|0|0|0|0||"_s},
            {u"株価詳細<strong>9</strong>"_s + QString(200, u'.') + u"前日終値"_s,
             u"|detail|||0|0|0|0|0||"_s},
            {u"株価詳細yjSb real<span>1500</span>リアルタイム株価</dd>"_s, u"|detail|||0|0|0|0|0||"_s},
            {u"株価詳細yjSb real<i>20分ディレイ株価</dd><span>9:05</span>リアルタイム株価</dd>"_s,
             u"|detail|||0|0|0|0|0||9:05"_s},
            {u"株価詳細<h1>ソニー(株)</h1><h1>x</h1>"_s, u"|detail|ソニー(株)||0|0|0|0|0||"_s},
        };
        for (const auto& r : rows)
            QCOMPARE(joined(parseQuotePage(r[0])), r[1]);
        // Pages cut in the middle of every marker: the parse ends and yields texts from the page.
        const QString page = fixture(u"detail_9984_limitup.html"_s);
        for (qsizetype n = 0; n <= page.size(); n += 3) {
            const QuoteFields q = parseQuotePage(page.left(n));
            QVERIFY(page.left(n).contains(q.shortName) && q.price.size() <= n);
        }
    }

    void nikkei()
    {
        const QString index = u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b> 円</div>"_s;
        const QString link = u"<a class=\"cmn-indexes_index_link\" href=\"/m\">前日比</a>(+193.16)</li>"_s;
        const QString dots(9219, u'.'); // the fixed value starts at character 9220
        const QString rows[][2] = {
            {index + link + dots.mid(index.size() + link.size()) + u"<td><b>12,090.46</b></td>"_s,
             u"12,283.62 (+193.16) 12,090.46"_s},
            {{}, u" () "_s},
            {index + dots.mid(index.size()), u"12,283.62 () "_s},
            {dots + u"<b>7</b>"_s, u" () 7"_s},
            {dots + QString(193, u' ') + u"<b>7</b>"_s, u" () "_s}, // ends past its 200 characters
            {u"cmn-index_value no-bg"_s + QString(371, u' ') + u"<b>1</b>"_s, u"1 () "_s}, // ends at 400
            {u"cmn-index_value no-bg"_s + QString(372, u' ') + u"<b>1</b>"_s, u" () "_s},
            {u"<div class=\"cmn-index_value\"><b>1</b>"_s, u" () "_s},
            {u"<a class=\"cmn-indexes_index_link\" href=\"/market/stock/index/nikkei225\">x</a>(+1)"_s,
             u" () "_s},
            {u"cmn-indexes_index_link\">x</a><span class=x>(+1)</span>"_s, u" () "_s}, // past 20 after </a>
            {u"cmn-indexes_index_link\">x</a><i>(-12.5)</i>"_s, u" (-12.5) "_s},
            {QString(40000, u'.') + index + link, u"12,283.62 (+193.16) "_s},
            {index + link + u"cmn-index_value no-bg<b>2</b>cmn-indexes_index_link</a>(9)"_s,
             u"12,283.62 (+193.16) "_s},
        };
        for (const auto& r : rows)
            QCOMPARE(nikkeiLine(r[0]), u"日経平均 "_s + r[1]);
    }

    // The code goes out as it stands ("#" and "%" arrive as themselves), with one header asking
    // for a fresh page; the text comes only with a 2xx status.
    void pageRequest()
    {
        for (const QString& code : {u"72#3"_s, u"%41"_s}) {
            const QUrl url = quotePageUrl(QUrl(u"http://h:81/"_s), code);
            QCOMPARE(url.toString(QUrl::RemoveQuery), u"http://h:81/stocks/detail/"_s);
            QCOMPARE(QUrlQuery(url).queryItemValue(u"code"_s, QUrl::FullyDecoded), code);
        }
        FakeHttpClient http;
        int status = 0;
        http.setHandler([&status](const HttpRequest&) { return HttpResponse{status, "株価詳細", {}, {}}; });
        for (const int s : {0, 199, 200, 299, 300}) {
            status = s;
            std::optional<PageFetch> result;
            fetchQuotePage(http, QUrl(u"http://m"_s), u"7203"_s, nullptr,
                           [&](const PageFetch& r) { result = r; });
            QTRY_VERIFY(result);
            QCOMPARE(result->status, s);
            QCOMPARE(result->text, s >= 200 && s < 300 ? u"株価詳細"_s : QString());
            QCOMPARE(result->ok, !result->text.isEmpty());
        }
        QCOMPARE(http.requests.constFirst().url, QUrl(u"http://m/stocks/detail/?code=7203"_s));
        QCOMPARE(
            http.requests.constFirst().headers,
            (QList<QPair<QByteArray, QByteArray>>{{"If-Modified-Since", "Thu, 01 Jun 1970 00:00:00 GMT"}}));
    }
};

QTEST_GUILESS_MAIN(TestQuoteText)
#include "tst_quotetext.moc"
