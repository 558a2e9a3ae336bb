// Quote pages whose data is streamed to their script.
#include "builtpages.h"
#include "quotes/quotepage.h"
#include "quotes/streamedpage.h"
#include "quotetext.h"
#include "streamedpages.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QString Ordinary =
    u"ａｋｉｐｐａ|detail|ａｋｉｐｐａ(株)|1,637|+300|1,367|1,637|1,350|27,485,000|1,337|9:49"_s;
const QString Fallbacks = u"|detail|||0|0|0|0|0||"_s;
const QString NotDetail = u"|other|||||||||"_s;
/// The board read, the day's figures missing.
const QString BoardOnly = u"ａｋｉｐｐａ|detail|ａｋｉｐｐａ(株)|1,637|+300|0|0|0|0||9:49"_s;

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
        const QuoteReading r = readQuotePage(quoteDataFile(u"today/2026/"_s + file));
        QCOMPARE(pageFormName(r.form), u"streamed"_s);
        QCOMPARE(joined(r.fields), fields);
    }

    // Cut short anywhere in the stream: nothing, or the board before the day's figures, never the markup.
    void cutShortAnywhere()
    {
        const QString page = streamed7203();
        const QuoteFields whole = parseQuotePage(page);
        for (qsizetype n = page.indexOf(u"__next_f"_s) + 8; n < page.size(); n += 101) {
            const QuoteFields q = parseQuotePage(page.left(n));
            QVERIFY2(q == QuoteFields{} ||
                         (q.name == whole.name && q.price == whole.price && q.time == whole.time),
                     qPrintable(joined(q)));
        }
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
        const auto page = [](const QString& data) { return streamedPage({data}); };
        const QString undefinedBoard =
            uR"("name":"$undefined","price":{"value":"$undefined"},"priceChange":"$34:x","japanUpdateTime":null)"_s;
        const QString undefinedIndicators =
            uR"("previousPrice":"$undefined","openPrice":"$undefined",)"
            uR"("highPrice":true,"lowPrice":["1"],"volume":{"value":"$L25"})"_s;
        QTest::newRow("values left undefined take the fallbacks")
            << page(stockStream(undefinedBoard, undefinedIndicators)) << Fallbacks;
        QTest::newRow("company forms and escapes")
            << page(stockStream(QString(OrdinaryBoard).replace(u"ａｋｉｐｐａ(株)"_s, u"A&B（株）<C>\\n"_s),
                                OrdinaryIndicators))
            << u"A&B<C>|detail|A&B（株）<C> |1,637|+300|1,367|1,637|1,350|27,485,000|1,337|9:49"_s;
        // Where the objects stand in the stream and how the pushes are written.
        const QString b = u"{%1}"_s.arg(OrdinaryBoard),
                      d = u"{\"indicators\":{%1}}"_s.arg(OrdinaryIndicators);
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
