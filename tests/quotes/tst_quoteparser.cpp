// Numeric text and the cutting rules of a stock-detail page.
#include "quotes/quoteparser.h"

#include <QFile>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QuoteFields)

namespace {

QString fixture(const QString& name)
{
    QFile f(QString::fromUtf8(TICKORA_TEST_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return QString::fromUtf8(f.readAll());
}

// A page that counts as a stock-detail page, with `body` after the marker.
QString detail(const QString& body)
{
    return u"<title>株価詳細</title>"_s + body;
}

QuoteFields detailFields(std::initializer_list<std::pair<QString QuoteFields::*, QString>> set)
{
    QuoteFields q;
    q.isDetailPage = true;
    q.change = q.open = q.high = q.low = q.volume = u"0"_s;
    for (const auto& [member, value] : set)
        q.*member = value;
    return q;
}

QString describe(const QuoteFields& q)
{
    return u"short=[%1] detail=%2 name=[%3] price=[%4] change=[%5] open=[%6] high=[%7] low=[%8] volume=[%9] "_s
               .arg(q.shortName, q.isDetailPage ? u"yes"_s : u"no"_s, q.name, q.price, q.change, q.open,
                    q.high, q.low, q.volume) +
           u"prev=[%1] time=[%2]"_s.arg(q.prevClose, q.time);
}

} // namespace

class TestQuoteParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void numericText_data();
    void numericText();
    void compareNumbers_data();
    void compareNumbers();
    void fixturePages_data();
    void fixturePages();
    void cuttingRules_data();
    void cuttingRules();
    void survivesBrokenPages();
};

void TestQuoteParser::numericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");

    const std::pair<const char16_t*, bool> rows[] = {
        {u"1,234,500", true}, {u"  +1,000.25  ", true},
        {u"-0.5", true},      {u"007", true},
        {u"", false},         {u"-", false},
        {u"1e5", false},      {u"1,23", false},
        {u"1,2345", false},   {u",123", false},
        {u"1.", false},       {u".5", false},
        {u"+-1", false},      {u"1 000", false},
        {u"１２３", false},
    };
    for (const auto& [text, numeric] : rows)
        QTest::newRow(QString::fromUtf16(text).toUtf8().constData()) << QString::fromUtf16(text) << numeric;
}

void TestQuoteParser::numericText()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(isNumericText(text), numeric);
}

void TestQuoteParser::compareNumbers_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected"); // -1, 0, 1, or 2 for "not comparable"

    QTest::newRow("999 below 1,000 (texts say above)") << u"999"_s << u"1,000"_s << -1;
    QTest::newRow("1,234 above 1200 (texts say below)") << u"1,234"_s << u"1200"_s << 1;
    QTest::newRow("trailing fraction zeros") << u"1200.50"_s << u"1,200.5"_s << 0;
    QTest::newRow("fraction decides") << u"12.05"_s << u"12.5"_s << -1;
    QTest::newRow("negative numbers") << u"-5"_s << u"-3"_s << -1;
    QTest::newRow("sign decides") << u"-5"_s << u"3"_s << -1;
    QTest::newRow("zero has no sign") << u"-0"_s << u"+0.00"_s << 0;
    QTest::newRow("long digits exactly") << u"123456789012345678901"_s << u"123456789012345678900"_s << 1;
    QTest::newRow("empty is not comparable") << QString() << u"100"_s << 2;
    QTest::newRow("blank target is not comparable") << u"100"_s << u" "_s << 2;
}

void TestQuoteParser::compareNumbers()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    const std::optional<int> c = compareNumericTexts(a, b);
    const std::optional<int> reversed = compareNumericTexts(b, a);
    if (expected == 2) {
        QVERIFY(!c);
        QVERIFY(!reversed);
        return;
    }
    QVERIFY(c && reversed);
    QCOMPARE(*c < 0 ? -1 : *c > 0 ? 1 : 0, expected);
    QCOMPARE(*reversed < 0 ? -1 : *reversed > 0 ? 1 : 0, -expected);
}

void TestQuoteParser::fixturePages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    // Short name | name | price | change | open | high | low | volume | previous close | time.
    QTest::newRow("real-time, up")
        << u"detail_7203_realtime_up.html"_s
        << u"トヨタ自動車|トヨタ自動車(株)|5,430|+15|5,420|5,460|5,400|12,345,600|5,415|15:00"_s;
    QTest::newRow("delayed, down") << u"detail_6758_delayed_down.html"_s
                                   << u"ソニー|ソニー(株)|1,402|-3|1,410|1,418|1,391|8,765,400|1,405|14:35"_s;
    QTest::newRow("limit-up")
        << u"detail_9984_limitup.html"_s
        << u"ソフトバンク|ソフトバンク(株)|1,500|+300|1,250|1,500|1,245|45,678,900|1,200|11:30"_s;
    QTest::newRow("limit-down, no volume")
        << u"detail_8604_limitdown.html"_s
        << u"野村ホールディングス|野村ホールディングス(株)|480|-80|530|532|480|0|560|13:02"_s;
    QTest::newRow("unchanged, long close, no time")
        << u"detail_4689_unchanged.html"_s << u"ヤフー|ヤフー(株)|38,950|0|38,950|38,950|38,950|12,300||"_s;
}

void TestQuoteParser::fixturePages()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    const QuoteFields q = parseQuotePage(fixture(file));
    QVERIFY(q.isDetailPage);
    QCOMPARE(QStringList({q.shortName, q.name, q.price, q.change, q.open, q.high, q.low, q.volume,
                          q.prevClose, q.time})
                 .join(u'|'),
             expected);
    // A page that is no detail page yields its short name alone.
    QuoteFields notFound;
    notFound.shortName = u"該当銘柄なし"_s;
    QVERIFY(parseQuotePage(fixture(u"notfound_9999.html"_s)) == notFound);
}

void TestQuoteParser::cuttingRules_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QuoteFields>("expected");
    using Q = QuoteFields;

    auto shortOnly = [](const QString& s) {
        QuoteFields q;
        q.shortName = s;
        return q;
    };
    QTest::newRow("short name without 株 in the window")
        << (u"【1】"_s + QString(299, u'x') + u"株"_s) << shortOnly(QString());
    QTest::newRow("short name with 株 at the window's last character")
        << (u"【1】"_s + QString(298, u'x') + u"株"_s) << shortOnly(QString(298, u'x'));
    QTest::newRow("short name from the first bracket only") << u"】A】B株"_s << shortOnly(u"A】B"_s);
    QTest::newRow("page without anything") << QString() << QuoteFields{};

    QTest::newRow("detail marker only") << detail(QString()) << detailFields({});
    QTest::newRow("price is not checked")
        << detail(u"<td class=\"stoksPrice\">---</td>"_s) << detailFields({{&Q::price, u"---"_s}});
    QTest::newRow("change with neither class, bare number")
        << detail(u"<span>前日比</span>+7</td>"_s) << detailFields({{&Q::change, u"+7"_s}});
    QTest::newRow("change up marker without full-width parenthesis")
        << detail(u"<span>前日比</span><span class=\"icoUpGreen yjMSt\">+7(+1%)</span></td>"_s)
        << detailFields({});
    QTest::newRow("change keeps the page's sign")
        << detail(u"<span>前日比</span><span class=\"icoDownRed yjMSt\">+7（+1%）</span></td>"_s)
        << detailFields({{&Q::change, u"+7"_s}});
    QTest::newRow("limit-up form without the greenFin value")
        << detail(
               u"<dt>>高値</dt><strong>S</strong></div><span>ストップ高</span>（<strong>1,500</strong>）</td>"_s)
        << detailFields({});
    QTest::newRow("numeric high ignores the limit-up form")
        << detail(
               u"<dt>>高値</dt><strong>990</strong></div><span>ストップ高</span>（<strong class=\"greenFin\">1,500</strong>）</td>"_s)
        << detailFields({{&Q::high, u"990"_s}});
    QTest::newRow("limit-down value")
        << detail(
               u"<dt>>安値</dt></div><span>ストップ安</span>（<strong class=\"redFin\">80</strong>）</td>"_s)
        << detailFields({{&Q::low, u"80"_s}});
    QTest::newRow("volume of hyphens")
        << detail(u"<dt>>出来高<span/></dt><strong>---</strong></div>"_s) << detailFields({});
    QTest::newRow("previous close of twelve characters")
        << detail(u"<strong>1,234,567.89</strong>前日終値"_s)
        << detailFields({{&Q::prevClose, u"1,234,567.89"_s}});
    QTest::newRow("previous close of thirteen characters")
        << detail(u"<strong>12,345,678.9X</strong>前日終値"_s) << detailFields({});
    QTest::newRow("previous close label first on the page") << u"前日終値 株価詳細"_s << detailFields({});
    QTest::newRow("previous close too far before its label")
        << detail(u"<strong>9</strong>"_s + QString(200, u'.') + u"前日終値"_s) << detailFields({});
    QTest::newRow("time without colon")
        << detail(u"<dd class=\"yjSb real\"><span>1500</span>リアルタイム株価</dd>"_s) << detailFields({});
    QTest::newRow("real-time form wins over delayed")
        << detail(u"<dd class=\"yjSb real\"><i>20分ディレイ株価</dd><span>9:05</span>リアルタイム株価</dd>"_s)
        << detailFields({{&Q::time, u"9:05"_s}});
    QTest::newRow("name") << detail(u"<h1>ソニー(株)</h1><h1>x</h1>"_s)
                          << detailFields({{&Q::name, u"ソニー(株)"_s}});
}

void TestQuoteParser::cuttingRules()
{
    QFETCH(QString, page);
    QFETCH(QuoteFields, expected);
    const QuoteFields got = parseQuotePage(page);
    if (!(got == expected))
        QFAIL(qPrintable(u"\n got:      "_s + describe(got) + u"\n expected: "_s + describe(expected)));
}

// Pages cut in the middle of every marker: the parse ends and yields texts that lie inside
// the page.
void TestQuoteParser::survivesBrokenPages()
{
    const QString page = fixture(u"detail_9984_limitup.html"_s);
    for (qsizetype n = 0; n <= page.size(); n += 3) {
        const QString cut = page.left(n);
        const QuoteFields q = parseQuotePage(cut);
        QVERIFY(q.price.size() <= cut.size());
        QVERIFY(cut.contains(q.shortName));
    }
}

QTEST_APPLESS_MAIN(TestQuoteParser)
#include "tst_quoteparser.moc"
