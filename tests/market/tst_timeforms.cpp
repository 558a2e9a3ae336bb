// The forms of a quote's time: the minute a page shows, each form of the board's time, and each
// form read back through the program's readers.

#include "marketclient.h"
#include "quotes/pageverdict.h"
#include "server.h"
#include "timeforms.h"

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

class TestTimeForms : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A quote's time is a minute of the sessions, real-time or delayed by 20 minutes.
    void quoteTimesInTheSessions_data()
    {
        QTest::addColumn<bool>("realTime");
        QTest::addColumn<QTime>("minute");
        QTest::addColumn<QTime>("shown");
        QTest::newRow("real-time, morning") << true << QTime(10, 5) << QTime(10, 5);
        QTest::newRow("delayed, opening") << false << QTime(9, 0) << QTime(9, 0);
        QTest::newRow("delayed, early") << false << QTime(9, 15) << QTime(9, 0);
        QTest::newRow("delayed, morning") << false << QTime(10, 5) << QTime(9, 45);
        QTest::newRow("delayed, morning close") << false << QTime(11, 30) << QTime(11, 10);
        QTest::newRow("delayed, afternoon opening") << false << QTime(12, 30) << QTime(11, 30);
        QTest::newRow("delayed, 12:48") << false << QTime(12, 48) << QTime(11, 30);
        QTest::newRow("delayed, 12:49") << false << QTime(12, 49) << QTime(11, 30);
        QTest::newRow("delayed, 12:50") << false << QTime(12, 50) << QTime(12, 30);
        QTest::newRow("delayed, close") << false << QTime(15, 30) << QTime(15, 10);
    }
    void quoteTimesInTheSessions()
    {
        QFETCH(bool, realTime);
        QFETCH(QTime, minute);
        QFETCH(QTime, shown);
        QuoteView q;
        q.realTime = realTime;
        q.minute = minute.hour() * 60 + minute.minute();
        const int got = shownMinute(q);
        QCOMPARE(QTime(got / 60, got % 60), shown);
    }

    // Each form of the board's time, in the session and before the first trade (no minute); names
    // of no form are refused.
    void boardTimes_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("minute");      ///< -1: no trade yet, the date alone
        QTest::addColumn<QString>("written"); ///< empty: the form is refused
        QTest::newRow("short, morning") << u"short"_s << 9 * 60 + 5 << u"9:05"_s;
        QTest::newRow("short, afternoon") << u"short"_s << 15 * 60 + 30 << u"15:30"_s;
        QTest::newRow("short, no trade") << u"short"_s << -1 << u"12/4"_s;
        QTest::newRow("seconds, morning") << u"seconds"_s << 9 * 60 + 5 << u"09:05:00"_s;
        QTest::newRow("seconds, no trade") << u"seconds"_s << -1 << u"12/04"_s;
        QTest::newRow("dated, morning") << u"dated"_s << 9 * 60 + 5 << u"2026/12/04 09:05"_s;
        QTest::newRow("dated, no trade") << u"dated"_s << -1 << u"2026/12/04"_s;
        QTest::newRow("no form named") << QString() << 0 << QString();
        QTest::newRow("another word") << u"hours"_s << 0 << QString();
        QTest::newRow("upper case") << u"Short"_s << 0 << QString();
    }
    void boardTimes()
    {
        QFETCH(QString, form);
        QFETCH(int, minute);
        QFETCH(QString, written);
        const auto parsed = parseTimeForm(form);
        QCOMPARE(bool(parsed), !written.isEmpty());
        if (!parsed)
            return;
        QCOMPARE(timeFormName(*parsed), form);
        QCOMPARE(
            boardTime(*parsed, QDate(2026, 12, 4), minute < 0 ? std::nullopt : std::optional<int>(minute)),
            written);
    }

    // Each form the pages write the time in reads back as the grid's one form.
    void timeForms_data()
    {
        QTest::addColumn<int>("stocks");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("written"); ///< the page's own text
        QTest::addColumn<QString>("nextDay"); ///< the time cell a day later
        const QString time = u"1?\\d:\\d\\d"_s;
        for (const auto& [stocks, name] :
             {std::pair{int(StockPageForm::Streamed), "streamed"}, {int(StockPageForm::State), "state"}}) {
            QTest::addRow("%s, short", name) << stocks << u"short"_s << time << time;
            QTest::addRow("%s, seconds", name) << stocks << u"seconds"_s << u"\\d\\d:\\d\\d:00"_s << time;
            QTest::addRow("%s, dated", name)
                << stocks << u"dated"_s << u"2026/09/18 \\d\\d:\\d\\d"_s << u"9/18"_s;
        }
    }
    void timeForms()
    {
        QFETCH(int, stocks);
        QFETCH(QString, form);
        QFETCH(QString, written);
        QFETCH(QString, nextDay);
        ServerOptions options{.firstDay = Day, .startMinute = 10 * 60};
        options.stockPages = StockPageForm(stocks);
        options.timeForm = *parseTimeForm(form);
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}}, options);
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        const QString page = fetchBody(port, "/quote/7203.T");
        const QuoteReading raw = readQuotePage(page);
        QVERIFY2(QRegularExpression(u"^(%1)$"_s.arg(written)).match(raw.fields.time).hasMatch(),
                 qPrintable(raw.fields.time));
        const JudgedQuote today = judgeQuotePage(page, u"7203"_s, QuotePages::Today, Day);
        QCOMPARE(today.verdict, PageVerdict::Read);
        QVERIFY2(QRegularExpression(u"^1?\\d:\\d\\d$"_s).match(today.reading.fields.time).hasMatch(),
                 qPrintable(today.reading.fields.time));
        const JudgedQuote later = judgeQuotePage(page, u"7203"_s, QuotePages::Today, Day.addDays(1));
        QVERIFY2(QRegularExpression(u"^(%1)$"_s.arg(nextDay)).match(later.reading.fields.time).hasMatch(),
                 qPrintable(later.reading.fields.time));
        // The Nikkei's page in the same form.
        const JudgedIndex index = judgeIndexPage(fetchBody(port, "/quote/998407.O"), QuotePages::Today, Day);
        QVERIFY2(index.verdict == PageVerdict::Read &&
                     QRegularExpression(u"^1?\\d:\\d\\d$"_s).match(index.reading.time).hasMatch(),
                 qPrintable(index.reading.line));
    }
};

QTEST_GUILESS_MAIN(TestTimeForms)
#include "tst_timeforms.moc"
