// Numeric text and the cutting rules of a stock-detail page.
#include "quotes/quoteparser.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QuoteFields)

namespace {

QString fixture(const QString& name)
{
    QFile f(QStringLiteral(TICKORA_TEST_DATA "/") + name);
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

class TstQuoteParser : public QObject
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

void TstQuoteParser::numericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");

    const std::pair<const char16_t*, bool> rows[] = {
        {u"0", true},        {u"1234", true},
        {u"1,234", true},    {u"1,234,500", true},
        {u"+15", true},      {u"-3", true},
        {u"-0.5", true},     {u"12.50", true},
        {u" 42 ", true},     {u"  +1,000.25  ", true},
        {u"007", true},      {u"999,999", true},
        {u"", false},        {u" ", false},
        {u"---", false},     {u"-", false},
        {u"+", false},       {u"1e5", false},
        {u"1E5", false},     {u"¥100", false},
        {u"$100", false},    {u"(100)", false},
        {u"100円", false},   {u"1,23", false},
        {u"1,2345", false},  {u"1234,567", false},
        {u",123", false},    {u"123,", false},
        {u"1,,234", false},  {u"1.", false},
        {u".5", false},      {u"1.2.3", false},
        {u"1.234,5", false}, {u"+-1", false},
        {u"- 1", false},     {u"1 000", false},
        {u"１２３", false},  {u"12:00", false},
        {u"\t1", false},     {u"+15（+0.45%）", false},
        {u"0x10", false},    {u"inf", false},
    };
    for (const auto& [text, numeric] : rows)
        QTest::newRow(QString::fromUtf16(text).toUtf8().constData()) << QString::fromUtf16(text) << numeric;
}

void TstQuoteParser::numericText()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(isNumericText(text), numeric);
}

void TstQuoteParser::compareNumbers_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected"); // -1, 0, 1, or 2 for "not comparable"

    QTest::newRow("999 below 1,000 (texts say above)") << u"999"_s << u"1,000"_s << -1;
    QTest::newRow("1,234 above 1200 (texts say below)") << u"1,234"_s << u"1200"_s << 1;
    QTest::newRow("separators do not matter") << u"1,200"_s << u"1200"_s << 0;
    QTest::newRow("trailing fraction zeros") << u"1200.50"_s << u"1,200.5"_s << 0;
    QTest::newRow("leading zeros") << u"0012"_s << u"12"_s << 0;
    QTest::newRow("fraction decides") << u"12.05"_s << u"12.5"_s << -1;
    QTest::newRow("negative numbers") << u"-5"_s << u"-3"_s << -1;
    QTest::newRow("sign decides") << u"-5"_s << u"3"_s << -1;
    QTest::newRow("zero has no sign") << u"-0"_s << u"+0.00"_s << 0;
    QTest::newRow("blanks around") << u" 100 "_s << u"100"_s << 0;
    QTest::newRow("long digits exactly") << u"123456789012345678901"_s << u"123456789012345678900"_s << 1;
    QTest::newRow("empty is not comparable") << QString() << u"100"_s << 2;
    QTest::newRow("hyphens are not comparable") << u"---"_s << u"100"_s << 2;
    QTest::newRow("blank target is not comparable") << u"100"_s << u" "_s << 2;
}

void TstQuoteParser::compareNumbers()
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

void TstQuoteParser::fixturePages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QuoteFields>("expected");

    using Q = QuoteFields;
    QTest::newRow("real-time, up") << u"detail_7203_realtime_up.html"_s
                                   << detailFields({{&Q::shortName, u"トヨタ自動車"_s},
                                                    {&Q::name, u"トヨタ自動車(株)"_s},
                                                    {&Q::price, u"5,430"_s},
                                                    {&Q::change, u"+15"_s},
                                                    {&Q::open, u"5,420"_s},
                                                    {&Q::high, u"5,460"_s},
                                                    {&Q::low, u"5,400"_s},
                                                    {&Q::volume, u"12,345,600"_s},
                                                    {&Q::prevClose, u"5,415"_s},
                                                    {&Q::time, u"15:00"_s}});
    QTest::newRow("delayed, down") << u"detail_6758_delayed_down.html"_s
                                   << detailFields({{&Q::shortName, u"ソニー"_s},
                                                    {&Q::name, u"ソニー(株)"_s},
                                                    {&Q::price, u"1,402"_s},
                                                    {&Q::change, u"-3"_s},
                                                    {&Q::open, u"1,410"_s},
                                                    {&Q::high, u"1,418"_s},
                                                    {&Q::low, u"1,391"_s},
                                                    {&Q::volume, u"8,765,400"_s},
                                                    {&Q::prevClose, u"1,405"_s},
                                                    {&Q::time, u"14:35"_s}});
    QTest::newRow("limit-up") << u"detail_9984_limitup.html"_s
                              << detailFields({{&Q::shortName, u"ソフトバンク"_s},
                                               {&Q::name, u"ソフトバンク(株)"_s},
                                               {&Q::price, u"1,500"_s},
                                               {&Q::change, u"+300"_s},
                                               {&Q::open, u"1,250"_s},
                                               {&Q::high, u"1,500"_s},
                                               {&Q::low, u"1,245"_s},
                                               {&Q::volume, u"45,678,900"_s},
                                               {&Q::prevClose, u"1,200"_s},
                                               {&Q::time, u"11:30"_s}});
    QTest::newRow("limit-down, no volume") << u"detail_8604_limitdown.html"_s
                                           << detailFields({{&Q::shortName, u"野村ホールディングス"_s},
                                                            {&Q::name, u"野村ホールディングス(株)"_s},
                                                            {&Q::price, u"480"_s},
                                                            {&Q::change, u"-80"_s},
                                                            {&Q::open, u"530"_s},
                                                            {&Q::high, u"532"_s},
                                                            {&Q::low, u"480"_s},
                                                            {&Q::volume, u"0"_s},
                                                            {&Q::prevClose, u"560"_s},
                                                            {&Q::time, u"13:02"_s}});
    QTest::newRow("unchanged, long close, no time") << u"detail_4689_unchanged.html"_s
                                                    << detailFields({{&Q::shortName, u"ヤフー"_s},
                                                                     {&Q::name, u"ヤフー(株)"_s},
                                                                     {&Q::price, u"38,950"_s},
                                                                     {&Q::change, u"0"_s},
                                                                     {&Q::open, u"38,950"_s},
                                                                     {&Q::high, u"38,950"_s},
                                                                     {&Q::low, u"38,950"_s},
                                                                     {&Q::volume, u"12,300"_s}});
    QuoteFields notFound;
    notFound.shortName = u"該当銘柄なし"_s;
    QTest::newRow("not found") << u"notfound_9999.html"_s << notFound;
}

void TstQuoteParser::fixturePages()
{
    QFETCH(QString, file);
    QFETCH(QuoteFields, expected);
    const QuoteFields got = parseQuotePage(fixture(file));
    if (!(got == expected))
        QFAIL(qPrintable(u"\n got:      "_s + describe(got) + u"\n expected: "_s + describe(expected)));
}

void TstQuoteParser::cuttingRules_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QuoteFields>("expected");
    using Q = QuoteFields;

    auto shortOnly = [](const QString& s) {
        QuoteFields q;
        q.shortName = s;
        return q;
    };
    QTest::newRow("short name right after the bracket") << u"【7203】株"_s << shortOnly(QString());
    QTest::newRow("short name without bracket") << u"トヨタ株"_s << shortOnly(QString());
    QTest::newRow("short name without 株 in the window")
        << (u"【1】"_s + QString(299, u'x') + u"株"_s) << shortOnly(QString());
    QTest::newRow("short name with 株 at the window's last character")
        << (u"【1】"_s + QString(298, u'x') + u"株"_s) << shortOnly(QString(298, u'x'));
    QTest::newRow("short name from the first bracket only") << u"】A】B株"_s << shortOnly(u"A】B"_s);
    QTest::newRow("page without anything") << QString() << QuoteFields{};

    QTest::newRow("detail marker only") << detail(QString()) << detailFields({});
    QTest::newRow("price cell marker is exact, its test is not")
        << detail(u"<td class=\"STOKSPRICE\">12</td>"_s) << detailFields({});
    QTest::newRow("price is not checked")
        << detail(u"<td class=\"stoksPrice\">---</td>"_s) << detailFields({{&Q::price, u"---"_s}});
    QTest::newRow("price cell without end") << detail(u"<td class=\"stoksPrice\">12"_s) << detailFields({});
    QTest::newRow("change with neither class, bare number")
        << detail(u"<span>前日比</span>+7</td>"_s) << detailFields({{&Q::change, u"+7"_s}});
    QTest::newRow("change with neither class, markup")
        << detail(u"<span>前日比</span><b>+7</b></td>"_s) << detailFields({});
    QTest::newRow("change up marker without full-width parenthesis")
        << detail(u"<span>前日比</span><span class=\"icoUpGreen yjMSt\">+7(+1%)</span></td>"_s)
        << detailFields({});
    QTest::newRow("change class test is case-insensitive, marker exact")
        << detail(u"<span>前日比</span><span class=\"ICOUPGREEN yjMSt\">+7（+1%）</span></td>"_s)
        << detailFields({});
    QTest::newRow("change keeps the page's sign")
        << detail(u"<span>前日比</span><span class=\"icoDownRed yjMSt\">+7（+1%）</span></td>"_s)
        << detailFields({{&Q::change, u"+7"_s}});
    QTest::newRow("limit-up form without the greenFin value")
        << detail(
               u"<dt>>高値</dt><strong>S</strong></div><span>ストップ高</span>（<strong>1,500</strong>）</td>"_s)
        << detailFields({});
    QTest::newRow("limit-up cell that is a bare number")
        << detail(u"<dt>>高値</dt><strong>S</strong></div><span>ストップ高</span>1,500</td>"_s)
        << detailFields({{&Q::high, u"1,500"_s}});
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
    QTest::newRow("previous close near the top of the page")
        << u"<strong>9</strong>前日終値 株価詳細"_s << detailFields({{&Q::prevClose, u"9"_s}});
    QTest::newRow("previous close label first on the page") << u"前日終値 株価詳細"_s << detailFields({});
    QTest::newRow("previous close too far before its label")
        << detail(u"<strong>9</strong>"_s + QString(200, u'.') + u"前日終値"_s) << detailFields({});
    QTest::newRow("previous close label matched case-insensitively, first one counts")
        << detail(u"<strong>1</strong>前日終値<strong>2</strong>前日終値"_s)
        << detailFields({{&Q::prevClose, u"1"_s}});
    QTest::newRow("previous close is not checked")
        << detail(u"<strong>---</strong>前日終値"_s) << detailFields({{&Q::prevClose, u"---"_s}});
    QTest::newRow("time without colon")
        << detail(u"<dd class=\"yjSb real\"><span>1500</span>リアルタイム株価</dd>"_s) << detailFields({});
    QTest::newRow("real-time form wins over delayed")
        << detail(u"<dd class=\"yjSb real\"><i>20分ディレイ株価</dd><span>9:05</span>リアルタイム株価</dd>"_s)
        << detailFields({{&Q::time, u"9:05"_s}});
    QTest::newRow("delayed form needs its closing tag for the cut")
        << detail(u"<dd class=\"yjSb real\"><span>9:05</span>20分ディレイ株価</span>"_s) << detailFields({});
    QTest::newRow("time without either form")
        << detail(u"<dd class=\"yjSb real\"><span>9:05</span></dd>"_s) << detailFields({});
    QTest::newRow("name") << detail(u"<h1>ソニー(株)</h1><h1>x</h1>"_s)
                          << detailFields({{&Q::name, u"ソニー(株)"_s}});
}

void TstQuoteParser::cuttingRules()
{
    QFETCH(QString, page);
    QFETCH(QuoteFields, expected);
    const QuoteFields got = parseQuotePage(page);
    if (!(got == expected))
        QFAIL(qPrintable(u"\n got:      "_s + describe(got) + u"\n expected: "_s + describe(expected)));
}

// Truncated pages, pages cut in the middle of every marker and random noise built from the
// markers' own characters: the parse ends and yields texts that lie inside the page.
void TstQuoteParser::survivesBrokenPages()
{
    const QString page = fixture(u"detail_9984_limitup.html"_s);
    for (qsizetype n = 0; n <= page.size(); n += 3) {
        const QString cut = page.left(n);
        const QuoteFields q = parseQuotePage(cut);
        QVERIFY(q.price.size() <= cut.size());
        QVERIFY(cut.contains(q.shortName));
    }
    const QString alphabet = u"<>/\"（）】株:strong高安値ストップ価詳細前日終比 ,.+-0123456789div"_s;
    QRandomGenerator rng(20130305);
    for (int round = 0; round < 300; ++round) {
        QString noise;
        const int length = int(rng.bounded(1, 2000));
        for (int i = 0; i < length; ++i)
            noise += alphabet.at(rng.bounded(int(alphabet.size())));
        const QuoteFields q = parseQuotePage(noise);
        QVERIFY(noise.contains(q.name));
        QVERIFY(noise.contains(q.prevClose));
    }
}

QTEST_APPLESS_MAIN(TstQuoteParser)
#include "tst_quoteparser.moc"
