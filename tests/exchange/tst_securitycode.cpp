// Securities codes: their canonical form, the form of an issued code, and codes as typed.
#include "exchange/securitycode.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestSecurityCode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Codes in canonical form ("-" for no code), and whether it has the form of an issued code.
    void securityCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical");
        QTest::addColumn<bool>("issued");
        for (char16_t l = u'A'; l <= u'Z'; ++l) {
            const bool allowed = !QStringView(u"BEIOQVZ").contains(QChar(l));
            for (const QString& code : QStringList{u"1"_s + QChar(l) + u"30"_s, u"285"_s + QChar(l)}) {
                QTest::addRow("%s", qPrintable(code)) << code << (allowed ? code : u"-"_s) << allowed;
                QTest::addRow("%s lower", qPrintable(code))
                    << code.toLower() << (allowed ? code : u"-"_s) << allowed;
            }
        }
        QTest::newRow("leading zeros") << u"0123"_s << u"123"_s << false;
        QTest::newRow("blanks") << u" 7203\t"_s << u"7203"_s << true;
        QTest::newRow("zeros alone") << u"0000"_s << u"0"_s << false;
        QTest::newRow("five digits") << u"25935"_s << u"25935"_s << false;
        QTest::newRow("letters both") << u"9a7a"_s << u"9A7A"_s << true;
        QTest::newRow("leading zero, letter") << u"0A12"_s << u"0A12"_s << false;
        QTest::newRow("letter first") << u"A285"_s << u"-"_s << false;
        QTest::newRow("letter third") << u"28A5"_s << u"-"_s << false;
        QTest::newRow("short") << u"2A5"_s << u"-"_s << false;
        QTest::newRow("long") << u"285AA"_s << u"-"_s << false;
        QTest::newRow("full width") << u"７２０３"_s << u"-"_s << false;
        QTest::newRow("fraction") << u"72.0"_s << u"-"_s << false;
        QTest::newRow("sign") << u"-5"_s << u"-"_s << false;
        QTest::newRow("empty") << u" "_s << u"-"_s << false;
    }
    void securityCodes()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        QFETCH(bool, issued);
        const std::optional<QString> code = canonicalCode(text);
        QCOMPARE(code.value_or(u"-"_s), canonical);
        QCOMPARE(code && hasIssuedCodeForm(*code), issued);
    }

    // A code as typed (the command line's codes): full-width forms and the ideographic space count
    // as their half-width forms, then the rule above holds.
    void typedCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::newRow("half width") << u"7203"_s << u"7203"_s;
        QTest::newRow("full-width digits") << u"７２０３"_s << u"7203"_s;
        QTest::newRow("full-width lower letter") << u"２８５ａ"_s << u"285A"_s;
        QTest::newRow("mixed widths") << u"2８5A"_s << u"285A"_s;
        QTest::newRow("ideographic spaces") << u"\u3000７２０３\u3000"_s << u"7203"_s;
        QTest::newRow("full-width refused letter") << u"２８５Ｂ"_s << u"-"_s;
        QTest::newRow("full-width fraction") << u"７２．０"_s << u"-"_s;
        QTest::newRow("kanji digits") << u"七二〇三"_s << u"-"_s;
    }
    void typedCodes()
    {
        QFETCH(QString, text);
        QFETCH(QString, code);
        QCOMPARE(typedCode(text).value_or(u"-"_s), code);
    }
};

QTEST_APPLESS_MAIN(TestSecurityCode)
#include "tst_securitycode.moc"
