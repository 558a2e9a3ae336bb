// The time cell of a quote in the one form the grid shows, from every form a page writes it in.
#include "quotes/timecell.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestTimeCell : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // On 2026-09-18 in Japan.
    void timeCell_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("cell");
        QTest::newRow("time") << u"9:20"_s << u"9:20"_s;
        QTest::newRow("leading zero") << u"09:30"_s << u"9:30"_s;
        QTest::newRow("seconds") << u"09:30:00"_s << u"9:30"_s;
        QTest::newRow("afternoon") << u"15:30"_s << u"15:30"_s;
        QTest::newRow("midnight") << u"0:05"_s << u"0:05"_s;
        QTest::newRow("blanks around") << u" 15:30 "_s << u"15:30"_s;
        QTest::newRow("full date today") << u"2026/09/18 15:30"_s << u"15:30"_s;
        QTest::newRow("full date today with seconds") << u"2026/09/18 09:05:07"_s << u"9:05"_s;
        QTest::newRow("full date earlier") << u"2026/09/17 15:30"_s << u"9/17"_s;
        QTest::newRow("same day a year before") << u"2025/09/18 15:30"_s << u"9/18"_s;
        QTest::newRow("full date unpadded") << u"2026/9/8 9:00"_s << u"9/8"_s;
        QTest::newRow("full date alone") << u"2026/09/18"_s << u"9/18"_s;
        QTest::newRow("month and day") << u"9/4"_s << u"9/4"_s;
        QTest::newRow("month and day padded") << u"09/04"_s << u"9/4"_s;
        QTest::newRow("december") << u"12/05"_s << u"12/5"_s;
        QTest::newRow("leap day") << u"2/29"_s << u"2/29"_s;
        QTest::newRow("month and day with today's time") << u"9/18 15:30"_s << u"15:30"_s;
        QTest::newRow("month and day with an earlier time") << u"9/17 23:59"_s << u"9/17"_s;
        QTest::newRow("empty") << u""_s << u""_s;
        QTest::newRow("dashes") << u"---"_s << u""_s;
        QTest::newRow("hour 24") << u"24:00"_s << u""_s;
        QTest::newRow("minute 60") << u"9:60"_s << u""_s;
        QTest::newRow("one-digit minute") << u"9:5"_s << u""_s;
        QTest::newRow("hour alone") << u":30"_s << u""_s;
        QTest::newRow("four parts") << u"15:30:00:00"_s << u""_s;
        QTest::newRow("month 13") << u"13/01"_s << u""_s;
        QTest::newRow("february 30") << u"2/30"_s << u""_s;
        QTest::newRow("day alone with a time") << u"18 15:30"_s << u""_s;
        QTest::newRow("four-part date") << u"9/18/1/1 15:30"_s << u""_s;
        QTest::newRow("trailing slash") << u"9/4/"_s << u""_s;
        QTest::newRow("two-digit year") << u"26/09/18 15:30"_s << u""_s;
        QTest::newRow("dashed date") << u"2026-09-18 15:30"_s << u""_s;
        QTest::newRow("full-width digits") << u"１５:３０"_s << u""_s;
        QTest::newRow("words after") << u"9:20 pm"_s << u""_s;
        QTest::newRow("bad time after a date") << u"2026/09/18 xx"_s << u""_s;
    }
    void timeCell()
    {
        QFETCH(QString, page);
        QFETCH(QString, cell);
        QCOMPARE(quoteTimeCell(page, QDate(2026, 9, 18)), cell);
    }
};

QTEST_GUILESS_MAIN(TestTimeCell)
#include "tst_timecell.moc"
