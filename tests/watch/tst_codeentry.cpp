// Code entry's text rules: what the entry box keeps of typed or pasted text outside the name
// column and in the code column.
#include "watch/entrytext.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestCodeEntry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each text, what the rule keeps of it and how many characters it removes; the one pass agrees
    // with removing the first refused character until none is left.
    void removeRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clean");
        QTest::addColumn<int>("removed");
        QTest::newRow("digits, point, leading minus, control") << u"-\t09.5"_s << u"-\t09.5"_s << 0;
        QTest::newRow("blank, ! to , and slash") << u"1 !\"#$%&'()*+,/2"_s << u"12"_s << 14;
        QTest::newRow("minus moved to the front, then later") << u"a--5-"_s << u"-5"_s << 3;
        QTest::newRow("letters, colon, full-width digits, kana") << u"A1b:７トヨ"_s << u"1"_s << 6;
        QTest::newRow("outside the basic plane") << u"7\U0001F600"_s << u"7"_s << 1;
        QTest::newRow("lone surrogates")
            << QString(u"a"_s + QChar(0xDC00) + u"7"_s + QChar(0xD83D)) << u"7"_s << 3;
    }
    void removeRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, clean);
        QFETCH(int, removed);
        const FilteredText filtered = tickora::removeRefused(text);
        QCOMPARE(std::pair(filtered.text, filtered.removed), std::pair(clean, removed));
        QString stepwise = text;
        int steps = 0;
        for (RefusedChar r = firstRefused(stepwise); r.position >= 0; r = firstRefused(stepwise), ++steps)
            stepwise.remove(r.position, r.length);
        QCOMPARE(std::pair(stepwise, steps), std::pair(clean, removed));
    }

    // The code column: a code letter second or fourth only, in each of its forms (capital, lower
    // case, full width, full-width lower case), taken as the capital.
    void codeLetter_data()
    {
        QTest::addColumn<QChar>("letter");
        QTest::addColumn<bool>("allowed");
        for (char16_t l = u'A'; l <= u'Z'; ++l) {
            const bool allowed = !QStringView(u"BEIOQVZ").contains(QChar(l));
            QTest::addRow("%c %s", char(l), allowed ? "kept" : "refused") << QChar(l) << allowed;
        }
    }
    void codeLetter()
    {
        QFETCH(QChar, letter);
        QFETCH(bool, allowed);
        const QString capital{letter}, fullWidth{QChar(char16_t(letter.unicode() - u'A' + 0xFF21))};
        for (const QString& form : {capital, capital.toLower(), fullWidth, fullWidth.toLower()}) {
            for (const auto& [before, after] : {std::pair{u"1"_s, u"3"_s}, {u"285"_s, QString()}}) {
                const FilteredText got = filterCodeText(QString(before + form + after));
                QCOMPARE(
                    std::pair(got.text, got.removed),
                    std::pair(QString(before + (allowed ? capital : QString()) + after), allowed ? 0 : 1));
            }
            // Never first or third.
            QCOMPARE(filterCodeText(QString(form + u"1"_s)).text +
                         filterCodeText(QString(u"12"_s + form)).text,
                     u"112"_s);
        }
    }

    // The code column: digits stay, full width becomes half width, everything else goes.
    void codeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clean");
        QTest::addColumn<int>("removed");
        QTest::newRow("full-width digits and letter") << u"９０２ａ"_s << u"902A"_s << 0;
        QTest::newRow("point, minus, blank, comma, tab") << u"7.2-3 ,\t"_s << u"723"_s << 5;
        QTest::newRow("letters third and fourth") << u"28AA"_s << u"28"_s << 2;
        QTest::newRow("five digits") << u"12345"_s << u"12345"_s << 0;
        QTest::newRow("letters second and fourth") << u"1A2A3"_s << u"1A2A3"_s << 0;
        QTest::newRow("outside the basic plane") << u"7\U0001F600"_s << u"7"_s << 1;
    }
    void codeText()
    {
        QFETCH(QString, text);
        QFETCH(QString, clean);
        QFETCH(int, removed);
        const FilteredText got = filterCodeText(text);
        QCOMPARE(std::pair(got.text, got.removed), std::pair(clean, removed));
    }
};

QTEST_GUILESS_MAIN(TestCodeEntry)
#include "tst_codeentry.moc"
