// Answers' bodies decoded by the charset their Content-Type names.
#include "platform/httpclient.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestHttpClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The charset named in a Content-Type, quoted either way, on one side only, or bare.
    void charsetForms_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("encoding");
        QTest::newRow("double quotes")
            << QByteArray("text/html; charset=\"Shift_JIS\"") << QByteArray("Shift_JIS");
        QTest::newRow("single quotes")
            << QByteArray("text/html; charset='Shift_JIS'") << QByteArray("Shift_JIS");
        QTest::newRow("bare") << QByteArray("text/html; charset=Shift_JIS") << QByteArray("Shift_JIS");
        QTest::newRow("opening quote only")
            << QByteArray("text/html; charset=\"Shift_JIS") << QByteArray("Shift_JIS");
        QTest::newRow("closing quote only")
            << QByteArray("text/html; charset=Shift_JIS\"") << QByteArray("Shift_JIS");
        QTest::newRow("quoted, blanks inside")
            << QByteArray("text/html;charset=\" EUC-JP \" ") << QByteArray("EUC-JP");
        QTest::newRow("quoted, parameter after")
            << QByteArray("text/html; charset=\"cp932\"; x=1") << QByteArray("Shift_JIS");
        QTest::newRow("quotes, nothing inside")
            << QByteArray("text/html; charset=\"\"") << QByteArray("UTF-8");
        QTest::newRow("one quote alone") << QByteArray("text/html; charset=\"") << QByteArray("UTF-8");
        QTest::newRow("none") << QByteArray("text/html") << QByteArray("UTF-8");
    }
    void charsetForms()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, encoding);
        const QString japanese = u"株価詳細【7203】トヨタ自動車 前日終値"_s;
        QStringEncoder encoder(encoding.constData());
        QVERIFY(encoder.isValid());
        const QByteArray body = encoder.encode(japanese);
        QCOMPARE(decodeBody(body, contentType), japanese);
    }
};

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_httpclient.moc"
