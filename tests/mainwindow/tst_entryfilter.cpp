// The entry box's character rule, checked against removing one refused character at a time.
#include "mainwindow/entrybox.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestEntryFilter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void removeRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clean");
        QTest::addColumn<int>("removed");
        QTest::newRow("code") << u"7203"_s << u"7203"_s << 0;
        QTest::newRow("empty") << QString() << QString() << 0;
        QTest::newRow("blank inside") << u"72 03"_s << u"7203"_s << 1;
        QTest::newRow("time") << u"15:00"_s << u"1500"_s << 1;
        QTest::newRow("thousands separators") << u"1,234,500"_s << u"1234500"_s << 2;
        QTest::newRow("plus sign") << u"+15"_s << u"15"_s << 1;
        QTest::newRow("minus first") << u"-15"_s << u"-15"_s << 0;
        QTest::newRow("minus later") << u"1-5"_s << u"15"_s << 1;
        QTest::newRow("second minus") << u"--5"_s << u"-5"_s << 1;
        QTest::newRow("minus moves to the front") << u"a-5"_s << u"-5"_s << 1;
        QTest::newRow("point and fraction") << u"1234.5"_s << u"1234.5"_s << 0;
        QTest::newRow("slash") << u"1/2"_s << u"12"_s << 1;
        QTest::newRow("all of ! to ,") << u"!\"#$%&'()*+,"_s << QString() << 12;
        QTest::newRow("letters and colon") << u"A1b:"_s << u"1"_s << 3;
        QTest::newRow("full-width digits") << u"７２0"_s << u"0"_s << 2;
        QTest::newRow("kana") << u"トヨタ"_s << QString() << 3;
        QTest::newRow("character outside the basic plane") << u"7\U0001F600"_s << u"7"_s << 1;
        QTest::newRow("control character kept") << u"\t7"_s << u"\t7"_s << 0;
    }
    void removeRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, clean);
        QFETCH(int, removed);
        const FilteredText filtered = tickora::removeRefused(text);
        QCOMPARE(filtered.text, clean);
        QCOMPARE(filtered.removed, removed);

        // The one pass agrees with removing the first refused character until none is left.
        QString stepwise = text;
        int steps = 0;
        for (RefusedChar r = firstRefused(stepwise); r.position >= 0; r = firstRefused(stepwise)) {
            stepwise.remove(r.position, r.length);
            ++steps;
        }
        QCOMPARE(stepwise, clean);
        QCOMPARE(steps, removed);
    }
};

QTEST_APPLESS_MAIN(TestEntryFilter)
#include "tst_entryfilter.moc"
