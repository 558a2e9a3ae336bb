// The two text cuts: the text between two markers, and the bold value of the block a label stands in.
#include "quotes/textextract.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestTextExtract : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textBetween_data()
    {
        QTest::addColumn<QString>("all");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("text");
        QTest::newRow("end right after start") << u"ab[]cd"_s << u"["_s << u"]"_s << QString();
        QTest::newRow("no end after start") << u"ab[xcd"_s << u"["_s << u"]"_s << QString();
        QTest::newRow("end before and after start") << u"a]b[xy]z[w]"_s << u"["_s << u"]"_s << u"xy"_s;
        QTest::newRow("start missing") << u"ab]x]cd"_s << u"["_s << u"]"_s << QString();
        QTest::newRow("only the first start counts") << u"[abc[x]"_s << u"["_s << u"]"_s << u"abc[x"_s;
    }
    void textBetween()
    {
        QFETCH(QString, all);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, text);
        QCOMPARE(tickora::textBetween(all, start, end), text);
    }

    // The last "</div>" block holding the label decides; its first <strong> is the value. Labels are
    // found wherever they stand, the text's first and last characters included, and the same block
    // gives the same value as the last of several.
    void valueAfterLabel_data()
    {
        QTest::addColumn<QString>("all");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("value");
        QTest::newRow("label in the first block")
            << u"<dt>始値</dt><dd><strong>1,234</strong></dd></div><div>x</div>"_s << u"始値"_s << u"1,234"_s;
        QTest::newRow("delimiter right after the label")
            << u"<div><strong>1,234</strong><dt>始値</div>"_s << u"始値"_s << u"1,234"_s;
        QTest::newRow("the later block wins")
            << u"始値<strong>1</strong></div>始値<strong>2</strong></div>"_s << u"始値"_s << u"2"_s;
        QTest::newRow("the later block wins with no value")
            << u"始値<strong>1</strong></div>始値 nothing</div>"_s << u"始値"_s << QString();
        QTest::newRow("delimiter in any case")
            << u"<strong>1</strong></DIV>始値<strong>2</strong></Div>"_s << u"始値"_s << u"2"_s;
        QTest::newRow("label in any case")
            << u"Open<strong>1</strong></div>x<strong>2</strong></div>"_s << u"OPEN"_s << u"1"_s;
        QTest::newRow("label split by a delimiter")
            << u"<strong>1</strong>始</div>値<strong>2</strong>"_s << u"始値"_s << QString();
        QTest::newRow("label cut by a delimiter at the start")
            << u"始</div>値<strong>9</strong>"_s << u"始値"_s << QString();
        QTest::newRow("label right after a delimiter")
            << u"<strong>1</strong></div>始値<strong>5</strong>"_s << u"始値"_s << u"5"_s;
        QTest::newRow("label runs into a delimiter")
            << u"<strong>1</strong></div>x<strong>2</strong>"_s << u"v>x"_s << QString();
        QTest::newRow("label runs into the first delimiter")
            << u"</div>x<strong>2</strong>"_s << u"v>x"_s << QString();
        QTest::newRow("a cut label after a whole one")
            << u"v>x<strong>4</strong></div>y</div>x"_s << u"v>x"_s << u"4"_s;
        QTest::newRow("a delimiter just before the label too")
            << u"</div>a</div><strong>1</strong>"_s << u"a<"_s << QString();
        QTest::newRow("label at the first character")
            << u"始値<strong>1,234</strong></div>x"_s << u"始値"_s << u"1,234"_s;
        QTest::newRow("the label first, no delimiter") << u"始値<strong>3</strong>"_s << u"始値"_s << u"3"_s;
        QTest::newRow("label as the last characters") << u"<strong>3</strong>始値"_s << u"始値"_s << u"3"_s;
        QTest::newRow("text is the label") << u"始値"_s << u"始値"_s << QString();
        QTest::newRow("label longer than the text") << u"始"_s << u"始値"_s << QString();
        QTest::newRow("empty label") << u"<strong>1</strong></div>"_s << QString() << QString();
    }
    void valueAfterLabel()
    {
        QFETCH(QString, all);
        QFETCH(QString, label);
        QFETCH(QString, value);
        QCOMPARE(tickora::valueAfterLabel(all, label), value);
        QCOMPARE(tickora::valueAfterLabel(u"<strong>0</strong>x</div>"_s + all, label), value);
    }
};

QTEST_GUILESS_MAIN(TestTextExtract)
#include "tst_textextract.moc"
