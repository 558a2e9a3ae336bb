// The 2012 markup pages: a stock-detail page cut by its markers, and the Nikkei line of an index page.
#include "builtpages.h"
#include "quotes/markuppage.h"
#include "quotes/quotepage.h"
#include "quotetext.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QString Padding298(298, u'x');
/// A detail page without fields.
const QString NoFields = u"|detail|||0|0|0|0|0||"_s;

} // namespace

class TestMarkupPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void quoteCut_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("fields"); ///< as joined() writes them
        QTest::newRow("recorded limit-up page")
            << quoteDataFile(u"detail_9984_limitup.html"_s)
            << u"ソフトバンク|detail|ソフトバンク(株)|1,500|+300|1,250|1,500|1,245|45,678,900|1,200|11:30"_s;
        QTest::newRow("recorded no-such-code page")
            << quoteDataFile(u"notfound_9999.html"_s) << u"該当銘柄なし|other|||||||||"_s;
        QTest::newRow("short name: no 株 within 300 characters")
            << u"【1】"_s + Padding298 + u"x株"_s << u"|other|||||||||"_s;
        QTest::newRow("short name: 株 as the 300th character")
            << u"【1】"_s + Padding298 + u"株"_s << Padding298 + u"|other|||||||||"_s;
        QTest::newRow("change without icon")
            << u"株価詳細<span>前日比</span>+7</td>"_s << u"|detail|||+7|0|0|0|0||"_s;
        QTest::newRow("rise icon without its full-width bracket")
            << u"株価詳細前日比</span><span class=\"icoUpGreen yjMSt\">+7(+1%)</span></td>"_s << NoFields;
        QTest::newRow("fall icon")
            << u"株価詳細前日比</span><span class=\"icoDownRed yjMSt\">+7（+1%）</span></td>"_s
            << u"|detail|||+7|0|0|0|0||"_s;
        QTest::newRow("limit-up form without its class")
            << u"株価詳細>高値<strong>S</strong></div><span>ストップ高</span>（<strong>1,500</strong>）</td>"_s
            << NoFields;
        QTest::newRow("numeric high wins over the limit-up form")
            << u"株価詳細>高値<strong>990</strong></div>ストップ高</span><strong class=\"greenFin\">1</strong></td>"_s
            << u"|detail|||0|0|990|0|0||"_s;
        QTest::newRow("limit-down form")
            << u"株価詳細>安値</div>ストップ安</span>（<strong class=\"redFin\">80</strong>）</td>"_s
            << u"|detail|||0|0|0|80|0||"_s;
        QTest::newRow("volume not numeric") << u"株価詳細>出来高<strong>---</strong></div>"_s << NoFields;
        QTest::newRow("previous close of 12 characters")
            << u"株価詳細<strong>1,234,567.89</strong>前日終値"_s << u"|detail|||0|0|0|0|0|1,234,567.89|"_s;
        QTest::newRow("previous close of 13 characters")
            << u"株価詳細<strong>12,345,678.9X</strong>前日終値"_s << NoFields;
        QTest::newRow("previous close label first") << u"前日終値 株価詳細"_s << NoFields;
        QTest::newRow("previous close within 200 characters")
            << u"株価詳細<strong>5</strong>"_s + QString(183, u'.') + u"前日終値"_s
            << u"|detail|||0|0|0|0|0|5|"_s;
        QTest::newRow("previous close one character too far")
            << u"株価詳細<strong>5</strong>"_s + QString(184, u'.') + u"前日終値"_s << NoFields;
        QTest::newRow("time without colon")
            << u"株価詳細yjSb real<span>1500</span>リアルタイム株価</dd>"_s << NoFields;
        QTest::newRow("time after a delayed marker")
            << u"株価詳細yjSb real<i>20分ディレイ株価</dd><span>9:05</span>リアルタイム株価</dd>"_s
            << u"|detail|||0|0|0|0|0||9:05"_s;
        QTest::newRow("first heading is the name")
            << u"株価詳細<h1>ソニー(株)</h1><h1>x</h1>"_s << u"|detail|ソニー(株)||0|0|0|0|0||"_s;
    }
    void quoteCut()
    {
        QFETCH(QString, page);
        QFETCH(QString, fields);
        QCOMPARE(joined(cutMarkupQuotePage(page)), fields);
        // A page with neither data form is read as its markup cut.
        QCOMPARE(joined(parseQuotePage(page)), fields);
    }

    void indexLine_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("line"); ///< after "日経平均 "
        const QString index = u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b> 円</div>"_s;
        const QString dots(9219, u'.'); // the fixed value starts at character 9220
        QTest::newRow("index value") << index + dots.mid(index.size()) << u"12,283.62 () "_s;
        QTest::newRow("fixed value ends past its 200 characters")
            << dots + QString(193, u' ') + u"<b>7</b>"_s << u" () "_s;
        QTest::newRow("index value ends at 400 characters")
            << u"cmn-index_value no-bg"_s + QString(371, u' ') + u"<b>1</b>"_s << u"1 () "_s;
        QTest::newRow("index value ends past 400 characters")
            << u"cmn-index_value no-bg"_s + QString(372, u' ') + u"<b>1</b>"_s << u" () "_s;
        QTest::newRow("link's end past 50 characters")
            << u"<a class=\"cmn-indexes_index_link\" href=\"/market/stock/index/nikkei225\">x</a>(+1)"_s
            << u" () "_s;
        QTest::newRow("change past 20 characters after the link")
            << u"cmn-indexes_index_link\">x</a><span class=x>(+1)</span>"_s << u" () "_s;
        QTest::newRow("change after the link")
            << u"cmn-indexes_index_link\">x</a><i>(-12.5)</i>"_s << u" (-12.5) "_s;
    }
    void indexLine()
    {
        QFETCH(QString, page);
        QFETCH(QString, line);
        QCOMPARE(markupIndexLine(cutMarkupIndexPage(page)), u"日経平均 "_s + line);
        QCOMPARE(nikkeiLine(page), u"日経平均 "_s + line);
    }
};

QTEST_GUILESS_MAIN(TestMarkupPage)
#include "tst_markuppage.moc"
