#include "platform/numbers.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestNumbers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void toInt16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("leading zeros dropped") << u"0123"_s << true << 123;
        QTest::newRow("blanks around") << u" 7203 "_s << true << 7203;
        QTest::newRow("half rounds to even down") << u"2.5"_s << true << 2;
        QTest::newRow("half rounds to even up") << u"3.5"_s << true << 4;
        QTest::newRow("above half rounds up") << u"2.51"_s << true << 3;
        QTest::newRow("negative half to even") << u"-2.5"_s << true << -2;
        QTest::newRow("fraction only") << u".6"_s << true << 1;
        QTest::newRow("trailing point") << u"7."_s << true << 7;
        QTest::newRow("top of range") << u"32767"_s << true << 32767;
        QTest::newRow("bottom of range") << u"-32768"_s << true << -32768;
        QTest::newRow("rounds past the top") << u"32767.5"_s << false << 0;
        QTest::newRow("above range") << u"32768"_s << false << 0;
        QTest::newRow("empty") << QString() << false << 0;
        QTest::newRow("lone point") << u"."_s << false << 0;
        QTest::newRow("blank inside") << u"72 03"_s << false << 0;
        QTest::newRow("full-width digits") << u"７２０３"_s << false << 0;
    }
    void toInt16()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const std::optional<qint16> result = tickora::toInt16(text);
        QCOMPARE(result.has_value(), valid);
        if (valid)
            QCOMPARE(int(*result), value);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
