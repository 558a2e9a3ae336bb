// Number text as the quote pages write it: what counts as a number, and how two compare.
#include "quotes/numbertext.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestNumberText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void isNumericText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("groups of three") << u"1,234,500"_s << true;
        QTest::newRow("one group after the first") << u"123,456"_s << true;
        QTest::newRow("blanks, sign and decimals") << u"  +1,000.25  "_s << true;
        QTest::newRow("negative decimal") << u"-0.5"_s << true;
        QTest::newRow("leading zeros") << u"007"_s << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("exponent") << u"1e5"_s << false;
        QTest::newRow("group of two") << u"1,23"_s << false;
        QTest::newRow("group of four") << u"1,2345"_s << false;
        QTest::newRow("first group of four") << u"1234,567"_s << false;
        QTest::newRow("point without decimals") << u"1."_s << false;
        QTest::newRow("full-width digits") << u"１２３"_s << false;
    }
    void isNumericText()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(tickora::isNumericText(text), numeric);
    }

    // Compared by value, both ways round.
    void compareNumericTexts_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("comparable");
        QTest::addColumn<int>("order"); ///< -1, 0 or 1: a below, equal to or above b
        QTest::newRow("separator makes no difference") << u"999"_s << u"1,000"_s << true << -1;
        QTest::newRow("with and without separator") << u"1,234"_s << u"1200"_s << true << 1;
        QTest::newRow("trailing zero of decimals") << u"1200.50"_s << u"1,200.5"_s << true << 0;
        QTest::newRow("decimals by value, not text") << u"12.05"_s << u"12.5"_s << true << -1;
        QTest::newRow("two negatives") << u"-5"_s << u"-3"_s << true << -1;
        QTest::newRow("negative and positive") << u"-5"_s << u"3"_s << true << -1;
        QTest::newRow("signed zeros") << u"-0"_s << u"+0.00"_s << true << 0;
        QTest::newRow("blank is no number") << u"100"_s << u" "_s << false << 0;
        QTest::newRow("empty is no number") << QString() << u"100"_s << false << 0;
        QTest::newRow("longer than a double holds exactly")
            << QString(21, u'9') << QString(QString(20, u'9') + u'8') << true << 1;
    }
    void compareNumericTexts()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, comparable);
        QFETCH(int, order);
        const std::optional<int> ab = tickora::compareNumericTexts(a, b),
                                 ba = tickora::compareNumericTexts(b, a);
        QCOMPARE(ab.has_value(), comparable);
        QCOMPARE(ba.has_value(), comparable);
        if (comparable) {
            QCOMPARE(qBound(-1, *ab, 1), order);
            QCOMPARE(qBound(-1, *ba, 1), -order);
        }
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
