// Number text as the exchange writes it: what is numeric, values compared exactly, signs, values.
#include "exchange/numbertext.h"

#include <QTest>

#include <cmath>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestNumberText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Digits with thousands separators in groups of three and an optional fraction; nothing else.
    // Its value is read by the same rule: a text that is no number has none.
    void numericTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<double>("value");
        const double none = qQNaN();
        QTest::newRow("two groups") << u"1,234,500"_s << true << 1234500.0;
        QTest::newRow("three-digit first group") << u"123,456"_s << true << 123456.0;
        QTest::newRow("blanks, sign, fraction") << u"  +1,000.25  "_s << true << 1000.25;
        QTest::newRow("negative fraction") << u"-0.5"_s << true << -0.5;
        QTest::newRow("leading zeros") << u"007"_s << true << 7.0;
        QTest::newRow("zero with a fraction") << u"0.00"_s << true << 0.0;
        QTest::newRow("negative zero") << u"-0"_s << true << 0.0;
        QTest::newRow("empty") << u""_s << false << none;
        QTest::newRow("blanks only") << u"   "_s << false << none;
        QTest::newRow("exponent") << u"1e5"_s << false << none;
        QTest::newRow("group of two") << u"1,23"_s << false << none;
        QTest::newRow("group of four") << u"1,2345"_s << false << none;
        QTest::newRow("first group of four") << u"1234,567"_s << false << none;
        QTest::newRow("separator first") << u",123"_s << false << none;
        QTest::newRow("separator last") << u"1,"_s << false << none;
        QTest::newRow("point without fraction") << u"1."_s << false << none;
        QTest::newRow("fraction without integer") << u".5"_s << false << none;
        QTest::newRow("sign alone") << u"+"_s << false << none;
        QTest::newRow("full-width digits") << u"１２３"_s << false << none;
        QTest::newRow("dashes for no price") << u"---"_s << false << none;
        QTest::newRow("infinity") << u"inf"_s << false << none;
        QTest::newRow("tab") << u"12\t"_s << false << none;
        QTest::newRow("past a double's range") << QString(400, u'9') << true << none;
    }
    void numericTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QFETCH(double, value);
        QCOMPARE(isNumericText(text), numeric);
        QCOMPARE(numericOrZero(text), numeric ? text : u"0"_s);
        const double got = numberFromText(text);
        if (std::isnan(value))
            QVERIFY2(std::isnan(got), qPrintable(QString::number(got)));
        else // a zero is never "-0" when it is written out again
            QCOMPARE(std::pair(got, std::signbit(got)), std::pair(value, value < 0));
    }

    // Compared by value, both ways round; a text that is no number makes the pair not comparable.
    void comparedByValue_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("comparable");
        QTest::addColumn<int>("order");
        QTest::newRow("fewer digits") << u"999"_s << u"1,000"_s << true << -1;
        QTest::newRow("separators either side") << u"1,234"_s << u"1200"_s << true << 1;
        QTest::newRow("trailing zeros") << u"1200.50"_s << u"1,200.5"_s << true << 0;
        QTest::newRow("fractions") << u"12.05"_s << u"12.5"_s << true << -1;
        QTest::newRow("both negative") << u"-5"_s << u"-3"_s << true << -1;
        QTest::newRow("signs differ") << u"-5"_s << u"3"_s << true << -1;
        QTest::newRow("zeros of either sign") << u"-0"_s << u"+0.00"_s << true << 0;
        QTest::newRow("past a double's precision")
            << QString(21, u'9') << QString(QString(20, u'9') + u'8') << true << 1;
        QTest::newRow("a blank") << u"100"_s << u" "_s << false << 0;
    }
    void comparedByValue()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, comparable);
        QFETCH(int, order);
        const std::optional<int> ab = compareNumericTexts(a, b), ba = compareNumericTexts(b, a);
        QCOMPARE(ab.has_value(), comparable);
        QCOMPARE(ba.has_value(), comparable);
        if (comparable) {
            QCOMPARE(qBound(-1, *ab, 1), order);
            QCOMPARE(qBound(-1, *ba, 1), -order);
        }
    }

    // A rise is given its "+" after any leading blanks; falls, signed texts, zeros and others stay.
    void signedChanges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rise") << u"15"_s << u"+15"_s;
        QTest::newRow("rise after blanks") << u"  1,000.5"_s << u"  +1,000.5"_s;
        QTest::newRow("signed rise") << u"+15"_s << u"+15"_s;
        QTest::newRow("fall") << u"-15"_s << u"-15"_s;
        QTest::newRow("zero") << u"0"_s << u"0"_s;
        QTest::newRow("zero with fraction") << u"0.00"_s << u"0.00"_s;
        QTest::newRow("no number") << u"---"_s << u"---"_s;
        QTest::newRow("empty") << u""_s << u""_s;
    }
    void signedChanges()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(signedChange(text), expected);
    }
};

QTEST_APPLESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
