// The Nikkei average line cut from the index page.
#include "quotes/nikkei.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

/// `head`, then dots up to character 9219, then `tail` from character 9220 on.
QString pageWithFixedPart(const QString& head, const QString& tail)
{
    QString page = head;
    if (page.size() < 9219)
        page += QString(9219 - page.size(), u'.');
    return page + tail;
}

const QString IndexBlock = u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b> 円</div>"_s;
const QString LinkBlock = u"<a class=\"cmn-indexes_index_link\" href=\"/m\">前日比</a>(+193.16)</li>"_s;

} // namespace

class TestNikkei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void line_data();
    void line();
};

void TestNikkei::line_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all three pieces")
        << pageWithFixedPart(IndexBlock + LinkBlock, u"<td><b>12,090.46</b></td>"_s)
        << u"日経平均 12,283.62 (+193.16) 12,090.46"_s;
    QTest::newRow("empty page: literal pieces only") << QString() << u"日経平均  () "_s;
    QTest::newRow("page shorter than 9220 characters")
        << IndexBlock + LinkBlock << u"日経平均 12,283.62 (+193.16) "_s;
    QTest::newRow("exactly 9219 characters")
        << pageWithFixedPart(IndexBlock, QString()) << u"日経平均 12,283.62 () "_s;
    QTest::newRow("fixed value starts at character 9220")
        << pageWithFixedPart(QString(), u"<b>7</b>"_s) << u"日経平均  () 7"_s;
    QTest::newRow("fixed value ends past its 200 characters")
        << pageWithFixedPart(QString(), QString(195, u' ') + u"<b>7</b>"_s) << u"日経平均  () "_s;
    QTest::newRow("index value past its 400 characters")
        << u"<div class=\"cmn-index_value no-bg\">"_s + QString(380, u' ') + u"<b>1</b>"_s
        << u"日経平均  () "_s;
    QTest::newRow("index marker missing")
        << u"<div class=\"cmn-index_value\"><b>1</b>"_s << u"日経平均  () "_s;
    QTest::newRow("link without </a> in its 50 characters")
        << u"<a class=\"cmn-indexes_index_link\" href=\"/market/stock/index/nikkei225\">前日比</a>(+1)"_s
        << u"日経平均  () "_s;
    QTest::newRow("bracket past the 20 characters after </a>")
        << u"cmn-indexes_index_link\">x</a><span class=x>(+1)</span>"_s << u"日経平均  () "_s;
    QTest::newRow("bracket within the 20 characters")
        << u"cmn-indexes_index_link\">x</a><i>(-12.5)</i>"_s << u"日経平均  (-12.5) "_s;
    QTest::newRow("markers far past 32767 characters")
        << QString(40000, u'.') + IndexBlock + LinkBlock << u"日経平均 12,283.62 (+193.16) "_s;
    QTest::newRow("first markers count")
        << IndexBlock + LinkBlock + u"cmn-index_value no-bg<b>2</b>cmn-indexes_index_link</a>(9)"_s
        << u"日経平均 12,283.62 (+193.16) "_s;
}

void TestNikkei::line()
{
    QFETCH(QString, page);
    QFETCH(QString, expected);
    QCOMPARE(nikkeiLine(page), expected);
}

QTEST_APPLESS_MAIN(TestNikkei)
#include "tst_nikkei.moc"
