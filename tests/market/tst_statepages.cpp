// Today's pages with a page state: no text in the state can end its script element.

#include "marketclient.h"
#include "quotes/statepage.h"
#include "server.h"
#include "statepages.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;
using tickora::market::test::fetchBody;

namespace {

/// A name from the code list that would end or comment out a script element if it were not escaped.
const QString EvilName = u"\"極\\洋\"\n</script><script>alert(1)</script>A</SCRIPT >B<!--<script>"_s;

} // namespace

class TestStatePages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The state as JSON holds no "</" and no "<!--", and reads back to the same state.
    void scriptSafeJson_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("an end tag") << u"</script>"_s;
        QTest::newRow("an end tag in capitals") << u"a</SCRIPT >b"_s;
        QTest::newRow("a comment opening") << u"<!--<script>"_s;
        QTest::newRow("the name from the code list") << EvilName;
        QTest::newRow("plain text") << u"トヨタ自動車"_s;
    }
    void scriptSafeJson()
    {
        QFETCH(QString, text);
        const QJsonObject state{{u"name"_s, text}, {u"nested"_s, QJsonObject{{text, 1}}}};
        const QString json = tickora::market::scriptSafeJson(state);
        QVERIFY2(!json.contains(u"</"_s) && !json.contains(u"<!--"_s), qPrintable(json));
        QCOMPARE(QJsonDocument::fromJson(json.toUtf8()).object(), state);
    }

    // Listed names and the address stay inside the state's script and read back unchanged.
    void textsStayInTheirScript_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("key"); ///< a dotted key path in the state
        QTest::addColumn<QString>("expected");
        QTest::newRow("a listed name")
            << u"/quote/1301.T"_s << u"mainStocksPriceBoard.priceBoard.shortName"_s << EvilName;
        QTest::newRow("the address of an unlisted code")
            << u"/quote/%3C%2Fscript%3E%3Cb%3E%22x.T"_s << u"mainNotFound.searchWord"_s
            << u"</script><b>\"x"_s;
    }
    void textsStayInTheirScript()
    {
        QFETCH(QString, path);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}, {u"1301"_s, EvilName}},
                            ServerOptions{.stockPages = StockPageForm::State});
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        const QString page = fetchBody(port, path.toStdString());
        const auto found = tickora::findEmbeddedState(page);
        QVERIFY(found && found->state);
        QJsonValue text = *found->state;
        for (const QString& step : key.split(u'.'))
            text = text[step];
        QCOMPARE(text.toString(), expected);
        const QString element = page.mid(found->textFrom, found->textTo - found->textFrom);
        QVERIFY(!element.contains(u"<!--"_s) && !element.contains(u"</script"_s, Qt::CaseInsensitive));
        const QString markup = page.left(found->textFrom);
        QVERIFY(!markup.contains(u"<script>alert"_s) && !markup.contains(u"<b>"_s));
    }
};

QTEST_GUILESS_MAIN(TestStatePages)
#include "tst_statepages.moc"
