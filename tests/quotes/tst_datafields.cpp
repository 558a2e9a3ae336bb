// The fields of the data forms: a value's text as a grid cell holds it, the numeric, change and
// time fields with their fallbacks, the board's code, and the quote and index read from boards.
#include "quotes/datafields.h"
#include "quotetext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

QJsonObject object(const char* json)
{
    return QJsonDocument::fromJson(json).object();
}

const QString Emoji = u"😀"_s; // one character outside the BMP: a surrogate pair

/// The columns of a field's table: the value read and the text the field gives ("-" for none).
void fieldColumns()
{
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("text");
}

void checkField(QString (*field)(const QJsonValue&))
{
    QFETCH(QJsonValue, value);
    QFETCH(QString, text);
    QCOMPARE(field(value), text);
}

void checkField(std::optional<QString> (*field)(const QJsonValue&))
{
    QFETCH(QJsonValue, value);
    QFETCH(QString, text);
    QCOMPARE(field(value).value_or(u"-"_s), text);
}

} // namespace

class TestDataFields : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cellTextFromPage_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("cell");
        QTest::newRow("plain text") << u"トヨタ自動車"_s << u"トヨタ自動車"_s;
        QTest::newRow("markup kept as text") << u"<b>1</b>"_s << u"<b>1</b>"_s;
        QTest::newRow("line breaks and tabs become blanks") << u"a\r\nb\tc"_s << u"a  b c"_s;
        QTest::newRow("line and paragraph separators become blanks") << u"a\u2028b\u2029c"_s << u"a b c"_s;
        QTest::newRow("256 characters kept") << QString(256, u'x') << QString(256, u'x');
        QTest::newRow("cut after 256 characters") << QString(300, u'x') << QString(256, u'x');
        QTest::newRow("pair that fits kept whole")
            << QString(254, u'x') + Emoji << QString(254, u'x') + Emoji;
        QTest::newRow("pair cut in half dropped") << QString(255, u'x') + Emoji << QString(255, u'x');
    }
    void cellTextFromPage()
    {
        QFETCH(QString, field);
        QFETCH(QString, cell);
        QCOMPARE(tickora::cellTextFromPage(field), cell);
    }

    void dataValueText_data()
    {
        fieldColumns();
        QTest::newRow("string as it stands") << QJsonValue(u" 2,648.5 "_s) << u" 2,648.5 "_s;
        QTest::newRow("empty string") << QJsonValue(QString()) << QString();
        QTest::newRow("stream's undefined") << QJsonValue(u"$undefined"_s) << u"-"_s;
        QTest::newRow("stream's reference") << QJsonValue(u"$L25"_s) << u"-"_s;
        QTest::newRow("integer exactly") << QJsonValue(qint64(9007199254740993)) << u"9007199254740993"_s;
        QTest::newRow("decimal") << QJsonValue(2648.5) << u"2648.5"_s;
        QTest::newRow("shortest round-trip form") << QJsonValue(0.1 + 0.2) << u"0.30000000000000004"_s;
        QTest::newRow("large number without exponent") << QJsonValue(1e21) << u"1000000000000000000000"_s;
        QTest::newRow("small number without exponent") << QJsonValue(1e-7) << u"0.0000001"_s;
        QTest::newRow("negative zero") << QJsonValue(-0.0) << u"0"_s;
        QTest::newRow("number as long as a field") << QJsonValue(1e255) << u"1"_s + QString(255, u'0');
        QTest::newRow("number too long for a field") << QJsonValue(1e300) << u"-"_s;
        QTest::newRow("object by its value") << QJsonValue(object(R"j({"value":"12"})j")) << u"12"_s;
        QTest::newRow("object's value read once")
            << QJsonValue(object(R"j({"value":{"value":"1"}})j")) << u"-"_s;
        QTest::newRow("object without value") << QJsonValue(object(R"j({"text":"1"})j")) << u"-"_s;
        QTest::newRow("true") << QJsonValue(true) << u"-"_s;
        QTest::newRow("null") << QJsonValue() << u"-"_s;
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << u"-"_s;
        QTest::newRow("array") << QJsonValue(QJsonArray{u"1"_s}) << u"-"_s;
    }
    void dataValueText() { checkField(&tickora::dataValueText); }

    void textField_data()
    {
        fieldColumns();
        QTest::newRow("text") << QJsonValue(u"トヨタ"_s) << u"トヨタ"_s;
        QTest::newRow("line break becomes a blank") << QJsonValue(u"a\nb"_s) << u"a b"_s;
        QTest::newRow("long text cut") << QJsonValue(QString(257, u'x')) << QString(256, u'x');
        QTest::newRow("no text") << QJsonValue(u"$undefined"_s) << QString();
        QTest::newRow("number") << QJsonValue(12) << u"12"_s;
    }
    void textField() { checkField(&tickora::textField); }

    void numericField_data()
    {
        fieldColumns();
        QTest::newRow("numeric text") << QJsonValue(u"1,234"_s) << u"1,234"_s;
        QTest::newRow("number") << QJsonValue(27485000) << u"27485000"_s;
        QTest::newRow("object's numeric value") << QJsonValue(object(R"j({"value":"12.5"})j")) << u"12.5"_s;
        QTest::newRow("text not numeric") << QJsonValue(u"---"_s) << u"0"_s;
        QTest::newRow("separators not in threes") << QJsonValue(u"1,23"_s) << u"0"_s;
        QTest::newRow("undefined") << QJsonValue(u"$undefined"_s) << u"0"_s;
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << u"0"_s;
        QTest::newRow("a control character after the digits") << QJsonValue(u"1,000\u0000"_s) << u"0"_s;
        QTest::newRow("numeric and as long as a cell")
            << QJsonValue(QString(256, u'1')) << QString(256, u'1');
        QTest::newRow("numeric but longer than a cell") << QJsonValue(QString(257, u'1')) << u"0"_s;
    }
    void numericField() { checkField(&tickora::numericField); }

    void changeField_data()
    {
        fieldColumns();
        QTest::newRow("rise given its sign") << QJsonValue(u"15"_s) << u"+15"_s;
        QTest::newRow("rise as a number") << QJsonValue(850.21) << u"+850.21"_s;
        QTest::newRow("fall") << QJsonValue(u"-3.5"_s) << u"-3.5"_s;
        QTest::newRow("signed rise") << QJsonValue(u"+2"_s) << u"+2"_s;
        QTest::newRow("zero keeps its form") << QJsonValue(u"0.0"_s) << u"0.0"_s;
        QTest::newRow("not numeric") << QJsonValue(u"abc"_s) << u"-"_s;
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << u"-"_s;
        QTest::newRow("signed text of 256 characters")
            << QJsonValue(QString(255, u'1')) << u"+"_s + QString(255, u'1');
        QTest::newRow("signed text longer than a cell") << QJsonValue(QString(256, u'1')) << u"-"_s;
    }
    void changeField() { checkField(&tickora::changeField); }

    void timeField_data()
    {
        fieldColumns();
        QTest::newRow("time of day") << QJsonValue(u"10:47"_s) << u"10:47"_s;
        QTest::newRow("date once the day is over") << QJsonValue(u"2026/09/18"_s) << u"2026/09/18"_s;
        QTest::newRow("no colon nor slash") << QJsonValue(u"1047"_s) << QString();
        QTest::newRow("line break becomes a blank") << QJsonValue(u"10:47\n"_s) << u"10:47 "_s;
        QTest::newRow("colon only past the cell's length")
            << QJsonValue(QString(256, u'1') + u":00"_s) << QString();
        QTest::newRow("no text") << QJsonValue(u"$undefined"_s) << QString();
    }
    void timeField() { checkField(&tickora::timeField); }

    void boardCodeOf_data()
    {
        QTest::addColumn<QByteArray>("board");
        QTest::addColumn<QString>("code");
        QTest::newRow("code") << QByteArray(R"j({"code":"7203"})j") << u"7203"_s;
        QTest::newRow("code trimmed") << QByteArray(R"j({"code":" 7203 "})j") << u"7203"_s;
        QTest::newRow("code with its market") << QByteArray(R"j({"code":"998407.O"})j") << u"998407"_s;
        QTest::newRow("code with market extension")
            << QByteArray(R"j({"codeWithMarketExtension":"285A.T"})j") << u"285A"_s;
        QTest::newRow("blank code: the extended one")
            << QByteArray(R"j({"code":" ","codeWithMarketExtension":"1301.T"})j") << u"1301"_s;
        QTest::newRow("code before the extended one")
            << QByteArray(R"j({"code":"1301","codeWithMarketExtension":"7203.T"})j") << u"1301"_s;
        QTest::newRow("a one-character code") << QByteArray(R"j({"code":"7.T"})j") << u"7"_s;
        QTest::newRow("only the last suffix goes") << QByteArray(R"j({"code":"1.2.T"})j") << u"1.2"_s;
        QTest::newRow("a suffix alone kept, naming no code") << QByteArray(R"j({"code":".T"})j") << u".T"_s;
        QTest::newRow("none") << QByteArray("{}") << QString();
    }
    void boardCodeOf()
    {
        QFETCH(QByteArray, board);
        QFETCH(QString, code);
        QCOMPARE(tickora::boardCodeOf(QJsonDocument::fromJson(board).object()), code);
    }

    void shortNameOf_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shortName");
        QTest::newRow("company form after the name") << u"トヨタ自動車(株)"_s << u"トヨタ自動車"_s;
        QTest::newRow("full-width form before the name") << u"（株）ソニー "_s << u"ソニー"_s;
        QTest::newRow("no company form") << u"ABC"_s << u"ABC"_s;
        QTest::newRow("only the form") << u"(株)"_s << QString();
    }
    void shortNameOf()
    {
        QFETCH(QString, name);
        QFETCH(QString, shortName);
        QCOMPARE(tickora::shortNameOf(name), shortName);
    }

    void boardQuoteFields_data()
    {
        QTest::addColumn<QByteArray>("board");
        QTest::addColumn<QByteArray>("detail");
        QTest::addColumn<QString>("fields"); ///< as joined() writes them
        QTest::addColumn<QString>("boardCode");
        QTest::newRow("every field")
            << QByteArray(
                   R"j({"code":"7203","name":"トヨタ自動車(株)","shortName":"トヨタ","price":"2,648.5",)j"
                   R"j("priceChange":"30.5","t":"10:47"})j")
            << QByteArray(
                   R"j({"openPrice":"2,620","highPrice":"2,660","lowPrice":"2,600.5","volume":"27,485,000",)j"
                   R"j("previousPrice":"2,618"})j")
            << u"トヨタ|detail|トヨタ自動車(株)|2,648.5|+30.5|2,620|2,660|2,600.5|27,485,000|2,618|10:47"_s
            << u"7203"_s;
        QTest::newRow("fallbacks")
            << QByteArray(R"j({"name":"ソニー(株)","priceChange":"$undefined","t":"1047"})j")
            << QByteArray(R"j({"openPrice":"---","highPrice":null,"volume":"$undefined"})j")
            << u"ソニー|detail|ソニー(株)||0|0|0|0|0||"_s << QString();
    }
    void boardQuoteFields()
    {
        QFETCH(QByteArray, board);
        QFETCH(QByteArray, detail);
        QFETCH(QString, fields);
        QFETCH(QString, boardCode);
        const QuoteFields q = tickora::boardQuoteFields(QJsonDocument::fromJson(board).object(),
                                                        QJsonDocument::fromJson(detail).object(), u"t");
        QCOMPARE(joined(q), fields);
        QCOMPARE(q.boardCode, boardCode);
    }

    void indexBoardFields_data()
    {
        QTest::addColumn<QByteArray>("domestic");
        QTest::addColumn<QByteArray>("older");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("boardCode");
        QTest::newRow("domestic board")
            << QByteArray(R"j({"indexPrices":{"code":"998407.O","price":"66,364.20","changePrice":"850.21",)j"
                          R"j("japanUpdateTime":"15:30"}})j")
            << QByteArray(R"j({"price":"1"})j") << true << u"66,364.20"_s << u"+850.21"_s << u"15:30"_s
            << u"998407"_s;
        QTest::newRow("domestic board not an object: the older board's")
            << QByteArray(R"j({"indexPrices":"x"})j")
            << QByteArray(
                   R"j({"priceBoard":{"price":"38,412.76","priceChange":"-125.40","priceDateTime":"11:30"}})j")
            << true << u"38,412.76"_s << u"-125.40"_s << u"11:30"_s << QString();
        QTest::newRow("older board without its inner board")
            << QByteArray("{}") << QByteArray(R"j({"price":"5","priceChange":"x","priceDateTime":"9:00"})j")
            << true << u"5"_s << QString() << u"9:00"_s << QString();
        QTest::newRow("price not numeric")
            << QByteArray(R"j({"indexPrices":{"price":"---"}})j") << QByteArray("{}") << false << u"---"_s
            << QString() << QString() << QString();
        QTest::newRow("no board") << QByteArray("{}") << QByteArray("{}") << false << QString() << QString()
                                  << QString() << QString();
    }
    void indexBoardFields()
    {
        QFETCH(QByteArray, domestic);
        QFETCH(QByteArray, older);
        QFETCH(bool, found);
        QFETCH(QString, price);
        QFETCH(QString, change);
        QFETCH(QString, time);
        QFETCH(QString, boardCode);
        const IndexFields f = tickora::indexBoardFields(QJsonDocument::fromJson(domestic).object(),
                                                        QJsonDocument::fromJson(older).object());
        QCOMPARE(f.found, found);
        QCOMPARE(f.price, price);
        QCOMPARE(f.change, change);
        QCOMPARE(f.time, time);
        QCOMPARE(f.boardCode, boardCode);
    }
};

QTEST_GUILESS_MAIN(TestDataFields)
#include "tst_datafields.moc"
