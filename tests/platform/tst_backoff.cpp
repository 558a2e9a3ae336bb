// The answer to an overloaded service: Retry-After read in seconds or as a date, and holds per host.
#include "platform/backoff.h"

#include <QTest>
#include <QTimeZone>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2026, 12, 7), QTime(10, 0), QTimeZone::utc());

} // namespace

class TestBackoff : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Retry-After in seconds or as a date; 60 s when it says neither, an hour at most.
    void retryAfter_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("seconds") << QByteArray("120") << qint64(120);
        QTest::newRow("seconds and blanks") << QByteArray(" 5 ") << qint64(5);
        QTest::newRow("zero") << QByteArray("0") << qint64(0);
        QTest::newRow("empty") << QByteArray() << qint64(60);
        QTest::newRow("a word") << QByteArray("soon") << qint64(60);
        QTest::newRow("negative") << QByteArray("-5") << qint64(60);
        QTest::newRow("fraction") << QByteArray("1.5") << qint64(60);
        QTest::newRow("an hour") << QByteArray("3600") << qint64(3600);
        QTest::newRow("past an hour") << QByteArray("3601") << qint64(3600);
        QTest::newRow("nine digits, leading zeros") << QByteArray("000000120") << qint64(120);
        QTest::newRow("past any clock") << QByteArray("99999999999999") << qint64(3600);
        QTest::newRow("a date ahead") << QByteArray("Mon, 07 Dec 2026 10:02:30 GMT") << qint64(150);
        QTest::newRow("a date gone") << QByteArray("Mon, 07 Dec 2026 09:00:00 GMT") << qint64(0);
        QTest::newRow("a date a day ahead") << QByteArray("Tue, 08 Dec 2026 10:00:00 GMT") << qint64(3600);
    }
    void retryAfter()
    {
        QFETCH(QByteArray, header);
        QFETCH(qint64, seconds);
        QCOMPARE(Now.secsTo(retryAfterTime(header, Now)), seconds);
    }

    // Holds are told once per host; a shorter hold does not cut a longer one.
    void holdsPerHost()
    {
        ServiceBackoff backoff;
        const QUrl quotes(u"https://finance.yahoo.co.jp/quote/7203.T"_s),
            index(u"https://finance.yahoo.co.jp/quote/998407.O"_s),
            other(u"https://query1.finance.yahoo.com/v8/x"_s);
        QVERIFY(!backoff.noteAnswer(quotes, 200, "120", Now) && !backoff.holds(quotes, Now));
        QVERIFY(backoff.noteAnswer(quotes, 429, "120", Now));
        QVERIFY(!backoff.noteAnswer(index, 503, "30", Now)); // the same host, already held
        QCOMPARE(backoff.until(index), Now.addSecs(120));    // a shorter hold does not cut it
        QVERIFY(backoff.holds(index, Now.addSecs(119)) && !backoff.holds(index, Now.addSecs(120)));
        QVERIFY(!backoff.noteAnswer(other, 429, "0", Now) && !backoff.holds(other, Now));
        QVERIFY(backoff.noteAnswer(quotes, 503, {}, Now.addSecs(120)));
        QCOMPARE(backoff.until(quotes), Now.addSecs(180));
    }
};

QTEST_GUILESS_MAIN(TestBackoff)
#include "tst_backoff.moc"
