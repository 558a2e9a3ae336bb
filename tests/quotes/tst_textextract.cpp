// Marker cutting: GetText and GetValue.
#include "quotes/textextract.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestTextExtract : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void getText_data();
    void getText();
    void getValue_data();
    void getValue();
    void getValueOnLargeText();
};

void TestTextExtract::getText_data()
{
    QTest::addColumn<QString>("all");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("expected");

    const QString o = u"["_s, c = u"]"_s;
    QTest::newRow("first start, first end after it") << u"ab[x]cd[y]"_s << o << c << u"x"_s;
    QTest::newRow("end right after start") << u"ab[]cd"_s << o << c << QString();
    QTest::newRow("no end after start") << u"ab[xcd"_s << o << c << QString();
    QTest::newRow("end before and after start") << u"a]b[xy]z"_s << o << c << u"xy"_s;
    QTest::newRow("start missing") << u"ab]x]cd"_s << o << c << QString();
    QTest::newRow("only the first start counts") << u"[abc[x]"_s << o << c << u"abc[x"_s;
    QTest::newRow("case-sensitive end") << u"<b>12</B>"_s << u"<b>"_s << u"</b>"_s << QString();
    QTest::newRow("overlapping markers: end searched after the start")
        << u"<<a>>"_s << u"<<"_s << u">>"_s << u"a"_s;
    QTest::newRow("surrogate pairs kept whole") << u"[𠮷野家]"_s << o << c << u"𠮷野家"_s;
}

void TestTextExtract::getText()
{
    QFETCH(QString, all);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, expected);
    QCOMPARE(GetText(all, start, end), expected);
}

void TestTextExtract::getValue_data()
{
    QTest::addColumn<QString>("all");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("expected");

    QTest::newRow("label before its value")
        << u"<dl><dt>始値</dt><dd><strong>1,234</strong></dd></dl></div><div>x</div>"_s << u"始値"_s
        << u"1,234"_s;
    QTest::newRow("label after its value")
        << u"<div><dd><strong>1,234</strong></dd><dt class=\"title\">始値</dt></div>"_s << u"始値"_s
        << u"1,234"_s;
    QTest::newRow("last matching block wins")
        << u"<dt>始値</dt><strong>1</strong></div><dt>始値</dt><strong>2</strong></div>"_s << u"始値"_s
        << u"2"_s;
    QTest::newRow("later matching block without value overrides")
        << u"<dt>始値</dt><strong>1</strong></div><dt>始値</dt>nothing</div>"_s << u"始値"_s << QString();
    QTest::newRow("label absent") << u"<dt>高値</dt><strong>1</strong></div>"_s << u"始値"_s << QString();
    QTest::newRow("delimiter matched case-insensitively")
        << u"<dt>始値</dt><strong>1</strong></DIV><dt>x</dt><strong>2</strong></Div>"_s << u"始値"_s
        << u"1"_s;
    QTest::newRow("label matched case-insensitively")
        << u"<dt>Open</dt><strong>1</strong></div><dt>x</dt><strong>2</strong></div>"_s << u"OPEN"_s
        << u"1"_s;
    QTest::newRow("no delimiter: the whole text is one block")
        << u"<strong>9</strong> 始値"_s << u"始値"_s << u"9"_s;
    QTest::newRow("label split by a delimiter is not found")
        << u"<strong>1</strong>始</div>値<strong>2</strong>"_s << u"始値"_s << QString();
    QTest::newRow("label straight after a delimiter")
        << u"<strong>1</strong></div>始値<strong>5</strong>"_s << u"始値"_s << u"5"_s;
    QTest::newRow("strong tags are exact")
        << u"<dt>始値</dt><STRONG>1</STRONG></div>"_s << u"始値"_s << QString();
    QTest::newRow("label running into a delimiter is not found")
        << u"<strong>1</strong></div>x<strong>2</strong>"_s << u"v>x"_s << QString();
    QTest::newRow("empty label after a closing delimiter")
        << u"<strong>1</strong></div>"_s << QString() << QString();
}

void TestTextExtract::getValue()
{
    QFETCH(QString, all);
    QFETCH(QString, label);
    QFETCH(QString, expected);
    QCOMPARE(GetValue(all, label), expected);
}

// A value near the top of a long page full of blocks is still found.
void TestTextExtract::getValueOnLargeText()
{
    QString page = u"<div><dt>始値</dt><strong>1,000</strong></div>"_s;
    for (int i = 0; i < 50000; ++i)
        page += u"<div class=\"news\"><a href=\"/n\">記事</a></div>"_s;
    QCOMPARE(GetValue(page, u"始値"_s), u"1,000"_s);
}

QTEST_APPLESS_MAIN(TestTextExtract)
#include "tst_textextract.moc"
