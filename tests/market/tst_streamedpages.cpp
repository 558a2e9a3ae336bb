// Today's pages in the streamed form: the stream's string literals, and the Nikkei's page streamed.

#include "marketclient.h"
#include "quotes/pageverdict.h"
#include "server.h"
#include "streamedpages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora;
using namespace tickora::market;
using tickora::market::test::fetchBody;

namespace {

/// A trading day (a Friday), so that the first page shows that day's session.
const QDate Day(2026, 9, 18);

} // namespace

class TestStreamedPages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A stream text is a JSON string literal without "&", "<" or ">", that reads back as the text.
    void streamStringLiterals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("literal");
        QTest::newRow("plain") << u"2,648"_s << u"\"2,648\""_s;
        QTest::newRow("an end tag") << u"</script>"_s << u"\"\\u003c/script\\u003e\""_s;
        QTest::newRow("an ampersand") << u"A&B"_s << u"\"A\\u0026B\""_s;
        QTest::newRow("quotes and a line end") << u"\"a\"\n"_s << u"\"\\\"a\\\"\\n\""_s;
    }
    void streamStringLiterals()
    {
        QFETCH(QString, text);
        QFETCH(QString, literal);
        const QString written = streamStringLiteral(text);
        QCOMPARE(written, literal);
        const QJsonArray back = QJsonDocument::fromJson((u"["_s + written + u"]"_s).toUtf8()).array();
        QCOMPARE(back.at(0).toString(), text);
    }

    // The Nikkei's page streamed: its time dated, read from the stream, the same figures as its state.
    void streamedIndexPage()
    {
        ServerOptions options{.firstDay = Day, .startMinute = 10 * 60};
        options.indexPages = IndexPageForm::Streamed;
        MarketServer streamed({}, options);
        options.indexPages = IndexPageForm::State;
        MarketServer state({}, options);
        const int ports[] = {streamed.startInBackground(0), state.startInBackground(0)};
        QVERIFY(ports[0] > 0 && ports[1] > 0);
        const QString page = fetchBody(ports[0], "/quote/998407.O");
        QVERIFY(!page.contains(u"__PRELOADED_STATE__"_s));
        const IndexReading raw = readIndexPage(page);
        QCOMPARE(raw.form, PageForm::Streamed);
        QVERIFY2(QRegularExpression(u"^2026/09/18 \\d\\d:\\d\\d$"_s).match(raw.time).hasMatch(),
                 qPrintable(raw.time));
        const JudgedIndex judged = judgeIndexPage(page, QuotePages::Today, Day);
        const JudgedIndex fromState =
            judgeIndexPage(fetchBody(ports[1], "/quote/998407.O"), QuotePages::Today, Day);
        QCOMPARE(judged.verdict, PageVerdict::Read);
        QCOMPARE(fromState.reading.form, PageForm::State);
        QCOMPARE(judged.reading.line, fromState.reading.line);
    }
};

QTEST_GUILESS_MAIN(TestStreamedPages)
#include "tst_streamedpages.moc"
