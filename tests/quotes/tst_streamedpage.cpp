// Quote pages whose data is streamed to their script.
#include "quotes/quotepage.h"
#include "quotes/streamedpage.h"
#include "quotetext.h"
#include "streamedpages.h"
#include "support/files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QuoteFields OrdinaryQuote{
    u"ａｋｉｐｐａ"_s, true,       u"ａｋｉｐｐａ(株)"_s, u"1,637"_s, u"+300"_s, u"1,367"_s,
    u"1,637"_s,        u"1,350"_s, u"27,485,000"_s,       u"1,337"_s, u"9:49"_s};
const QString Ordinary = joined(OrdinaryQuote);
const QString Fallbacks = u"|detail|||0|0|0|0|0||"_s;
const QString NotDetail = u"|other|||||||||"_s;
/// The board read, the day's figures missing.
const QString BoardOnly = u"ａｋｉｐｐａ|detail|ａｋｉｐｐａ(株)|1,637|+300|0|0|0|0||9:49"_s;

QString pageFile(const QString& name)
{
    return QString::fromUtf8(readFile(TICKORA_TEST_DATA "/today/2026/"_L1 + name));
}

} // namespace

class TestStreamedPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Built pages of the site (values invented) and the form they are read in.
    void builtPages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fields"); ///< as joined() writes them
        QTest::newRow("stock page")
            << u"7203.T.html"_s
            << u"トヨタ自動車|detail|トヨタ自動車(株)|2,648.5|-21.5|2,660|2,671|2,640|12,481,100|2,670|10:47"_s;
        QTest::newRow("no price, a date for a time")
            << u"6758.T.html"_s << u"ソニーグループ|detail|ソニーグループ(株)|---|0|0|0|0|0|3,354|9/25"_s;
        QTest::newRow("limit up: the high is the price, no label in a field")
            << u"285A.T.html"_s
            << u"キオクシアホールディングス|detail|キオクシアホールディングス(株)|9,350|+1,500|8,120|9,350|"
               u"8,050|41,207,300|7,850|9/25"_s;
    }
    void builtPages()
    {
        QFETCH(QString, file);
        QFETCH(QString, fields);
        const QuoteReading r = readQuotePage(pageFile(file));
        QCOMPARE(pageFormName(r.form), u"streamed"_s);
        QCOMPARE(joined(r.fields), fields);
    }

    // Cut short anywhere in the stream: nothing, or the board before the day's figures, never the markup.
    void cutShortAnywhere()
    {
        const QString page = pageFile(u"7203.T.html"_s);
        const QuoteFields whole = parseQuotePage(page);
        for (qsizetype n = page.indexOf(u"__next_f"_s) + 8; n < page.size(); n += 101) {
            const QuoteFields q = parseQuotePage(page.left(n));
            QVERIFY2(q == QuoteFields{} ||
                         (q.name == whole.name && q.price == whole.price && q.time == whole.time),
                     qPrintable(joined(q)));
        }
    }

    // The recorded index page of the site carries its board in a state.
    void recordedIndexPage()
    {
        const IndexReading index = readIndexPage(pageFile(u"998407.O.html"_s));
        QCOMPARE(pageFormName(index.form), u"state"_s);
        QVERIFY(index.found);
        QCOMPARE(index.line, u"日経平均 38,412.76 (11:30) -125.40"_s);
    }

    // The stream re-split at every position, and blanks between a push's tokens.
    void splitAnywhere()
    {
        const QString data = stockStream(OrdinaryBoard, OrdinaryIndicators);
        for (qsizetype k = 0; k <= data.size(); ++k) // the board, the day's figures, every row
            QCOMPARE(joined(parseQuotePage(streamedPage({data.left(k), data.mid(k)}))), Ordinary);
        const qsizetype from = data.indexOf(u"\"priceBoard\""_s);
        const QString blanks = u"<script>self.__next_f .push( [ 1 ,\t\""_s;
        QCOMPARE(joined(parseQuotePage(streamedPage({data.left(from)}) + blanks +
                                       literal(data.mid(from)).mid(1) + u" ] )</script>"_s)),
                 Ordinary);
    }

    // Streamed fields: members of the board and of the day's figures replaced (values as JSON texts),
    // then the objects placed and the pushes written in other ways.
    void streamedFields_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("expected");
        using JsonMembers = QMap<QString, QString>;
        const auto row = [&](const char* name, const JsonMembers& boardMembers,
                             const JsonMembers& indicatorMembers, const QString& expected) {
            QJsonObject board = QJsonDocument::fromJson(u"{%1}"_s.arg(OrdinaryBoard).toUtf8()).object();
            QJsonObject indicators =
                QJsonDocument::fromJson(u"{%1}"_s.arg(OrdinaryIndicators).toUtf8()).object();
            const auto replace = [](QJsonObject& o, const JsonMembers& members) {
                for (auto it = members.cbegin(); it != members.cend(); ++it)
                    o[it.key()] = QJsonDocument::fromJson(u"[%1]"_s.arg(it.value()).toUtf8()).array().at(0);
            };
            replace(board, boardMembers);
            replace(indicators, indicatorMembers);
            const auto members = [](const QJsonObject& o) {
                const QByteArray t = QJsonDocument(o).toJson(QJsonDocument::Compact);
                return QString::fromUtf8(t.mid(1, t.size() - 2));
            };
            QTest::newRow(name) << streamedPage({stockStream(members(board), members(indicators))})
                                << expected;
        };
        for (const char* v : {"\"$undefined\"", "{\"value\":\"$undefined\"}",
                              "\"$34:props:children:1:props:x\"", "{\"value\":\"$L25\"}", "null", "true",
                              "[\"1\"]", "{\"name\":\"1\"}", "{\"value\":{\"value\":\"1\"}}"}) {
            const QString json = QString::fromUtf8(v);
            row(v,
                {{u"name"_s, json},
                 {u"price"_s, json},
                 {u"priceChange"_s, json},
                 {u"japanUpdateTime"_s, json}},
                {{u"previousPrice"_s, json},
                 {u"openPrice"_s, json},
                 {u"highPrice"_s, json},
                 {u"lowPrice"_s, json},
                 {u"volume"_s, json}},
                Fallbacks);
        }
        using Q = QuoteFields;
        row("plain texts and numbers", {{u"price"_s, u"1637.5"_s}, {u"priceChange"_s, u"300"_s}},
            {{u"openPrice"_s, uR"j({"value":1367})j"_s},
             {u"volume"_s, u"27485000"_s},
             {u"previousPrice"_s, u"1337"_s},
             {u"highPrice"_s, uR"j("1,640")j"_s},
             {u"lowPrice"_s, u"-0.0"_s}},
            joinedWith(OrdinaryQuote, {{&Q::price, u"1637.5"_s},
                                       {&Q::change, u"+300"_s},
                                       {&Q::open, u"1367"_s},
                                       {&Q::high, u"1,640"_s},
                                       {&Q::low, u"0"_s},
                                       {&Q::volume, u"27485000"_s},
                                       {&Q::prevClose, u"1337"_s}}));
        row("a fall and a zero keep their form", {{u"priceChange"_s, uR"j({"value":"-21"})j"_s}}, {},
            joinedWith(OrdinaryQuote, {{&Q::change, u"-21"_s}}));
        row("zero change", {{u"priceChange"_s, uR"j("0.0")j"_s}}, {},
            joinedWith(OrdinaryQuote, {{&Q::change, u"0.0"_s}}));
        row("no number", {{u"priceChange"_s, uR"j("---")j"_s}, {u"price"_s, uR"j("---")j"_s}},
            {{u"openPrice"_s, uR"j("---")j"_s}},
            joinedWith(OrdinaryQuote, {{&Q::price, u"---"_s}, {&Q::change, u"0"_s}, {&Q::open, u"0"_s}}));
        row("a date for a time", {{u"japanUpdateTime"_s, uR"j("9/25")j"_s}}, {},
            joinedWith(OrdinaryQuote, {{&Q::time, u"9/25"_s}}));
        row("a time without a mark", {{u"japanUpdateTime"_s, uR"j("0949")j"_s}}, {},
            joinedWith(OrdinaryQuote, {{&Q::time, QString()}}));
        row("a mark past the cell's length",
            {{u"japanUpdateTime"_s, u"\"9%1:49\""_s.arg(QString(300, u's'))}}, {},
            joinedWith(OrdinaryQuote, {{&Q::time, QString()}}));
        row("company forms and escapes", {{u"name"_s, uR"j("A\u0026B（株）\u003cC\u003e\n")j"_s}}, {},
            joinedWith(OrdinaryQuote, {{&Q::shortName, u"A&B<C>"_s}, {&Q::name, u"A&B（株）<C> "_s}}));
        row("limit up", {}, {{u"highPrice"_s, uR"j({"value":"1,637","stopLabel":{"text":"ストップ高"}})j"_s}},
            Ordinary);
        // Where the objects stand in the stream and how the pushes are written.
        const QString b = u"{%1}"_s.arg(OrdinaryBoard),
                      d = u"{\"indicators\":{%1}}"_s.arg(OrdinaryIndicators);
        const auto page = [](const QString& data) { return streamedPage({data}); };
        QTest::newRow("keys reordered, blanks, wrappers, other rows")
            << page(u"1:\"x\"\n7:[{\"a\":{\"detailData\"\r:\n "_s + d +
                    u"}}]\n9:{\"w\":[{\"priceBoard\": {\"board\" : "_s + b +
                    u",\"currentKey\":\"detail\"}}]}\n"_s)
            << Ordinary;
        QTest::newRow("braces and quotes in strings")
            << page(u"6:{\"priceBoard\":{\"t\":\"{\\\"}}\",\"board\":"_s + b + u"}}\n"_s) << BoardOnly;
        QTest::newRow("a board that is not an object, then one that is")
            << page(
                   u"1:{\"priceBoard\":{\"board\":\"$5\",\"x\":{\"priceBoard\":{\"board\":{}}}}}\n2:{\"priceBoard\":"_s +
                   u"{\"board\":"_s + b + u"}}\n3:{\"detailData\":{\"isApiError\":true}}{\"detailData\":"_s +
                   d + u'}')
            << Ordinary;
        QTest::newRow("the key as a value")
            << page(u"1:[\"priceBoard\",{\"board\":"_s + b + u"}]"_s) << NotDetail;
        QTest::newRow("the key before a text")
            << page(u"1:{\"priceBoard\":\"{\\\"board\\\":{}}\"}"_s) << NotDetail;
        QTest::newRow("a board that never closes")
            << page(u"1:{\"priceBoard\":{\"board\":"_s + b) << NotDetail;
        QTest::newRow("a board that does not parse")
            << page(u"1:{\"priceBoard\":{\"board\":{\"a\"}}}"_s) << NotDetail;
        QTest::newRow("a push that ends with a backslash")
            << streamedPage({u"1:\"a\\"_s, u"\\\"\n6:{\"priceBoard\":{\"board\":"_s + b + u"}}\n"_s})
            << BoardOnly;
        QTest::newRow("the key first") << page(u"\"priceBoard\":{\"board\":"_s + b + u'}') << BoardOnly;
        QTest::newRow("the data ends after the key") << page(u"1:{\"priceBoard\""_s) << NotDetail;
        QTest::newRow("the data ends after its colon") << page(u"1:{\"priceBoard\":"_s) << NotDetail;
        QTest::newRow("nested too deep")
            << page(u"1:{\"priceBoard\":{\"board\":"_s + u"{\"a\":"_s.repeated(5000) + u'1' +
                    QString(5000, u'}') + u"}}"_s)
            << NotDetail;
        QTest::newRow("a push cut short keeps the pushes before it")
            << streamedPage({u"6:{\"priceBoard\":{\"board\":"_s + b + u"}}\n"_s}) +
                   u"<script>self.__next_f.push([1,\"35:{\\\"detailData\\\":"_s
            << BoardOnly;
        const QString pieces = u"6:{\"priceBoard\":{\"board\":"_s + b;
        QTest::newRow("pushes of other kinds and a literal that does not decode add nothing")
            << u"self.__next_f.push([1,"_s + literal(pieces) + u"]) self.__next_f.push([2,\"}}{\"])"_s +
                   u"self.__next_f.push([10,\"}}{\"]) self.__next_f.push([1,\"x\\uZZZZ\"]) x.__next_f = 1 "_s +
                   u"self.__next_f.push([1,\"x\",2])"_s + u"self.__next_f.push([1,"_s + literal(u"}}"_s) +
                   u"])"_s
            << BoardOnly;
    }
    void streamedFields()
    {
        QFETCH(QString, page);
        QFETCH(QString, expected);
        QCOMPARE(joined(parseQuotePage(page)), expected);
    }
};

QTEST_GUILESS_MAIN(TestStreamedPage)
#include "tst_streamedpage.moc"
