// The message and question boxes: their text is plain text (it may come from a page).
#include "platform/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The boxes show their text as plain text; a question is true for Yes.
    void plainTextBoxes_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("message, OK") << int(QMessageBox::Ok);
        QTest::newRow("question, Yes") << int(QMessageBox::Yes);
        QTest::newRow("question, No") << int(QMessageBox::No);
    }
    void plainTextBoxes()
    {
        QFETCH(int, button);
        QtDialogs dialogs;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [button, &format] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            format = box->textFormat();
            box->button(QMessageBox::StandardButton(button))->click();
        });
        if (button == QMessageBox::Ok)
            dialogs.message(nullptr, u"t"_s, u"<b>x</b>"_s, Dialogs::Icon::Warning);
        else
            QCOMPARE(dialogs.question(nullptr, u"t"_s, u"<b>x</b>"_s), button == QMessageBox::Yes);
        QCOMPARE(format, Qt::PlainText);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
