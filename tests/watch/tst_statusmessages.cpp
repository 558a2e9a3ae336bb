// The status line's messages against a host that records what the line shows and for how long.
#include "quotes/pageverdict.h"
#include "watch/statusmessages.h"

#include <QTest>
#include <QTimeZone>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

class RecordingLine final : public StatusLineHost
{
public:
    QString message;
    int timeout = -1; ///< of the last message shown
    int shown = 0;

    QString currentMessage() const override { return message; }
    void showMessage(const QString& text, int timeoutMs) override
    {
        message = text;
        timeout = timeoutMs;
        ++shown;
    }
    void clearMessage() override { message.clear(); }
};

const QString Unread = QString::fromUtf16(PagesUnreadText);
const QString Refused = QString::fromUtf16(SeriesRefusedText);

} // namespace

class TestStatusMessages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A quiet message goes when the quiet period ends, unless another message replaced it.
    void quietPeriod_data()
    {
        QTest::addColumn<QString>("between"); ///< shown after the quiet message, before it ends
        QTest::addColumn<QString>("after");   ///< what the line shows once the period ended
        QTest::newRow("nothing else shown") << QString() << QString();
        QTest::newRow("a hold's message stays")
            << u"取得制限中 10:02:00 まで"_s << u"取得制限中 10:02:00 まで"_s;
    }
    void quietPeriod()
    {
        QFETCH(QString, between);
        QFETCH(QString, after);
        RecordingLine line;
        StatusMessages status(line);
        status.showQuiet(u"本日の取引は終了しました"_s);
        QCOMPARE(std::pair(line.message, line.timeout), std::pair(u"本日の取引は終了しました"_s, 0));
        if (!between.isEmpty())
            line.showMessage(between, 0);
        status.showQuiet(QString());
        QCOMPARE(line.message, after);
        // Taken away once only: a later message stays when the period stays over.
        line.showMessage(u"later"_s, 0);
        status.showQuiet(QString());
        QCOMPARE(line.message, u"later"_s);
    }

    // A hold is told in the computer's zone for as long as it lasts, a second to an hour.
    void serviceHeld_data()
    {
        QTest::addColumn<int>("seconds"); ///< from now to the hold's end
        QTest::addColumn<int>("timeout");
        QTest::newRow("two minutes") << 120 << 120'000;
        QTest::newRow("already over") << -5 << 1000;
        QTest::newRow("two hours") << 7200 << 3'600'000;
    }
    void serviceHeld()
    {
        QFETCH(int, seconds);
        QFETCH(int, timeout);
        RecordingLine line;
        StatusMessages status(line);
        const QDateTime now(QDate(2013, 3, 5), QTime(10, 0), QTimeZone(3600)); // the computer's zone
        const QDateTime until = now.addSecs(seconds).toTimeZone(QTimeZone(9 * 3600));
        status.showServiceHeld(until, now);
        QCOMPARE(line.message,
                 u"取得制限中 "_s + now.addSecs(seconds).time().toString(u"HH:mm:ss"_s) + u" まで"_s);
        QCOMPARE(line.timeout, timeout);
    }

    // Unread pages are told once a day; the word goes when every page reads again.
    void unreadPages()
    {
        RecordingLine line;
        StatusMessages status(line);
        const QDate day(2013, 3, 5);
        status.tellPageUnread(u"7203"_s, false, day);
        QCOMPARE(line.message, Unread);
        status.tellPageUnread(u"6758"_s, false, day);
        QCOMPARE(line.shown, 1);
        status.notePageRead(u"7203"_s);
        QCOMPARE(line.message, Unread); // 6758 still does not read
        status.notePageRead(u"6758"_s);
        QCOMPARE(line.message, QString());
        // Another message is not taken away when the pages read again.
        status.tellPageUnread(u"7203"_s, false, day);
        line.showMessage(u"other"_s, 0);
        status.notePageRead(u"7203"_s);
        QCOMPARE(line.message, u"other"_s);
    }

    // A page of another security is told once; its word goes when the page reads as its own.
    void otherCode()
    {
        RecordingLine line;
        StatusMessages status(line);
        status.tellOtherCode(u"7203"_s, u"7201"_s);
        QCOMPARE(line.message, otherCodeText(u"7203"_s, u"7201"_s));
        status.tellOtherCode(u"7203"_s, u"7201"_s);
        QCOMPARE(line.shown, 1);
        status.notePageRead(u"6758"_s);
        QCOMPARE(line.message, otherCodeText(u"7203"_s, u"7201"_s));
        status.notePageRead(u"7203"_s);
        QCOMPARE(line.message, QString());
        // A message that replaced the word stays.
        status.tellOtherCode(u"6758"_s, u"6759"_s);
        line.showMessage(u"other"_s, 0);
        status.notePageRead(u"6758"_s);
        QCOMPARE(line.message, u"other"_s);
    }

    // The series service's third refusal in a row is told.
    void seriesRefusals_data()
    {
        QTest::addColumn<QList<int>>("statuses");
        QTest::addColumn<bool>("told");
        QTest::newRow("three 403") << QList<int>{403, 403, 403} << true;
        QTest::newRow("two 403") << QList<int>{403, 403} << false;
        QTest::newRow("a good answer ends the run") << QList<int>{403, 403, 200, 403} << false;
    }
    void seriesRefusals()
    {
        QFETCH(QList<int>, statuses);
        QFETCH(bool, told);
        RecordingLine line;
        StatusMessages status(line);
        for (int s : std::as_const(statuses))
            status.noteSeriesAnswer(s, false);
        QCOMPARE(line.message == Refused, told);
    }
};

QTEST_GUILESS_MAIN(TestStatusMessages)
#include "tst_statusmessages.moc"
