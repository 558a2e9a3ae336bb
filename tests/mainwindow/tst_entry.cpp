// Code entry through the entry box, the code-list lookup and the grid's click, focus and Enter.
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"
#include "support/fakes.h"
#include "windowprobe.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QStringEncoder>
#include <QTest>

#include <memory>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

// A small code list as the installation supplies it: CP932, CR LF, quoted names; plus a bare
// name, a duplicate code, a line that is not a record and a line with a third field.
const QString CodeListText = u"1301,\"極洋\"\r\n"
                             "7203,\"トヨタ自動車\"\r\n"
                             "6758,\"ソニー\"\r\n"
                             "abc,\"壊れた行\"\r\n"
                             "8306,\"三菱ＵＦＪ\",東証\r\n"
                             "9984,ソフトバンクグループ\r\n"
                             "6758,\"ソニーグループ\"\r\n"_s;

// Sends text as typed keys; characters outside Latin-1 go as key events carrying only their text.
void type(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 0x100)
            QTest::keyClick(w, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

} // namespace

class TestEntry : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<Form1> m_form;
    QuoteGrid* grid() const { return gridOf(*m_form); }
    EntryBox* box() const { return boxOf(*m_form); }

    QString codeListPath() const { return m_fakes->config.dataFile(u"tousyou1.csv"_s); }

    // Makes a cell current and lets the grid hand it to the box, as a click would.
    void select(int row, int col)
    {
        grid()->setCurrent(row, col);
        Q_EMIT gridOf(*m_form)->focusReceived();
    }

    void fillRow(int row, const QStringList& cells)
    {
        for (int c = 0; c < cells.size(); ++c)
            grid()->setCellText(row, c + 1, cells[c]);
    }

    QStringList rowTexts(int row) const
    {
        QStringList texts;
        for (int c = grid::Code; c <= grid::Time; ++c)
            texts << grid()->cellText(row, c);
        return texts;
    }

    void showActive()
    {
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void clickCell(int row, int col)
    {
        const QRect rect = grid()->visualItemRect(grid()->item(row, col));
        QVERIFY(rect.isValid());
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    const QStringList QuoteRow = {u"7203"_s,  u"トヨタ自動車"_s, u"2,150"_s, u"+15"_s,
                                  u"2,135"_s, u"1,234,500"_s,    u"2,140"_s, u"2,160"_s,
                                  u"2,130"_s, u"2100"_s,         u"2200"_s,  u"15:00"_s};

private Q_SLOTS:
    void init()
    {
        m_fakes = std::make_unique<FakeServices>();
        QFile list(codeListPath());
        QVERIFY(list.open(QIODevice::WriteOnly));
        QStringEncoder encoder("Shift_JIS");
        list.write(encoder.encode(CodeListText));
        QVERIFY(!encoder.hasError());
        list.close();
        m_form = std::make_unique<Form1>(m_fakes->services());
    }
    void cleanup()
    {
        m_form.reset();
        m_fakes.reset();
    }

    void typing_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("beeps");
        QTest::newRow("colon and blank refused") << 1 << u"72: 03"_s << u"7203"_s << 2;
        QTest::newRow("minus first only") << 1 << u"-5-"_s << u"-5"_s << 1;
        QTest::newRow("target with fraction") << 11 << u"1234.5"_s << u"1234.5"_s << 0;
        QTest::newRow("name column takes kana and letters")
            << 2 << u"トヨタ自動車 ABC"_s << u"トヨタ自動車 ABC"_s << 0;
    }
    void typing()
    {
        QFETCH(int, col);
        QFETCH(QString, keys);
        QFETCH(QString, cell);
        QFETCH(int, beeps);
        select(3, col);
        type(box(), keys);
        QCOMPARE(grid()->cellText(3, col), cell);
        QCOMPARE(box()->text(), cell);
        QCOMPARE(m_fakes->sound.beeps, beeps);
        QCOMPARE(box()->cursorPosition(), int(cell.size()));
    }

    void inputMethodText()
    {
        fillRow(3, QuoteRow);
        grid()->setCellText(3, grid::Name, QString());
        select(3, grid::Name);
        QInputMethodEvent commit;
        commit.setCommitString(u"トヨタ自動車"_s);
        QApplication::sendEvent(box(), &commit);
        // Typing into an empty box in columns 1 to 9 starts the row afresh, input method or not.
        QStringList expected(12);
        expected[grid::Name - 1] = u"トヨタ自動車"_s;
        QCOMPARE(rowTexts(3), expected);

        select(3, grid::Code);
        QInputMethodEvent digits;
        digits.setCommitString(u"７２０３"_s);
        QApplication::sendEvent(box(), &digits);
        QCOMPARE(grid()->cellText(3, grid::Code), QString());
        QCOMPARE(m_fakes->sound.beeps, 4);
    }

    void paste_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<bool>("shiftInsert");
        QTest::newRow("blank inside a code") << 1 << u"72 03"_s << u"7203"_s << 1 << false;
        QTest::newRow("code by Shift+Insert") << 1 << u"1234"_s << u"1234"_s << 0 << true;
        QTest::newRow("target column keeps the row") << 10 << u"2,500"_s << u"2500"_s << 1 << false;
    }
    void paste()
    {
        QFETCH(int, col);
        QFETCH(QString, pasted);
        QFETCH(QString, cell);
        QFETCH(int, beeps);
        QFETCH(bool, shiftInsert);
        // Pasting into an emptied box is a key like any other: in columns 1 to 9 the row goes first.
        fillRow(5, QuoteRow);
        select(5, col);
        box()->clear();
        QApplication::clipboard()->setText(pasted);
        if (QApplication::clipboard()->text() != pasted)
            QSKIP("no clipboard on this platform");
        if (shiftInsert)
            QTest::keyClick(box(), Qt::Key_Insert, Qt::ShiftModifier);
        else
            QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
        QStringList expected = col <= grid::Low ? QStringList(12) : QuoteRow;
        expected[col - 1] = cell;
        QCOMPARE(rowTexts(5), expected);
        QCOMPARE(box()->text(), cell);
        QCOMPARE(m_fakes->sound.beeps, beeps);
        if (col == grid::Code) { // a code not in the list meets an empty name cell: rejected
            QTest::keyClick(box(), Qt::Key_Return);
            QCOMPARE(m_fakes->dialogs.shown.size(), cell == u"7203"_s ? 0 : 1);
        }
    }

    void longPasteIsFilteredWithoutCrash()
    {
        select(5, 1);
        box()->insert(QString(30000, u'x') + u"7203"_s);
        QCOMPARE(grid()->cellText(5, 1), u"7203"_s);
        QCOMPARE(m_fakes->sound.beeps, 30000);
    }

    void rowWipe()
    {
        fillRow(3, QuoteRow);
        select(3, 1);
        QCOMPARE(box()->text(), u"7203"_s);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(box(), Qt::Key_Backspace);
        QCOMPARE(grid()->cellText(3, 1), QString());
        QCOMPARE(grid()->cellText(3, 2), u"トヨタ自動車"_s); // emptying the box alone wipes nothing

        // Keys without a character never wipe; Delete arrives with the text U+007F on Linux.
        QTest::sendKeyEvent(QTest::Click, box(), Qt::Key_Delete, QString(QChar(0x7f)), Qt::NoModifier);
        QCOMPARE(grid()->cellText(3, 12), u"15:00"_s);

        QTest::keyClick(box(), Qt::Key_Backspace);
        QCOMPARE(rowTexts(3), QStringList(12));
        QCOMPARE(m_fakes->sound.beeps, 0);
    }

    void firstDigitOnFilledRowWipesIt()
    {
        fillRow(3, QuoteRow);
        grid()->setCellText(3, grid::Price, QString());
        select(3, grid::Price);
        type(box(), u"5"_s);
        QStringList expected(12);
        expected[grid::Price - 1] = u"5"_s;
        QCOMPARE(rowTexts(3), expected);
    }

    void targetColumnsNeverWipe()
    {
        fillRow(3, QuoteRow);
        grid()->setCellText(3, grid::BuyTarget, QString());
        select(3, grid::BuyTarget);
        type(box(), u"9"_s);
        QCOMPARE(grid()->cellText(3, grid::Code), u"7203"_s);
        QCOMPARE(grid()->cellText(3, grid::BuyTarget), u"9"_s);
    }

    void enterLooksUp_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("nextCode");
        QTest::newRow("later duplicate wins") << 4 << u"6758"_s << u"ソニーグループ"_s << u"1301"_s;
        QTest::newRow("row 11, row 12 empty") << 11 << u"1301"_s << u"極洋"_s << QString();
    }
    void enterLooksUp()
    {
        QFETCH(int, row);
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, nextCode);
        grid()->setCellText(row + 1, grid::Code, nextCode);
        select(row, grid::Code);
        type(box(), code);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(grid()->cellText(row, grid::Name), name);
        QCOMPARE(grid()->cellText(row, grid::Code), code);
        QCOMPARE(grid()->row(), row + 1);
        QCOMPARE(labelOf(*m_form, u"Label5"_s)->text(), QString::number(row + 1));
        QCOMPARE(box()->text(), nextCode);
        QCOMPARE(grid()->cellText(row + 1, grid::Name), QString());
        QCOMPARE(m_fakes->dialogs.shown.size(), 0);
    }

    void enterOnRow11LooksUpRow12Too()
    {
        grid()->setCellText(12, grid::Code, u"9984"_s);
        grid()->setCellText(1, grid::Code, u"1301"_s);
        select(11, grid::Code);
        type(box(), u"7203"_s);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(grid()->cellText(11, grid::Name), u"トヨタ自動車"_s);
        QCOMPARE(grid()->cellText(12, grid::Name), u"ソフトバンクグループ"_s);
        QCOMPARE(grid()->row(), 1);
        QCOMPARE(labelOf(*m_form, u"Label5"_s)->text(), u"1"_s);
        QCOMPARE(box()->text(), u"1301"_s);
    }

    void enterOnRow12WrapsToRow1()
    {
        grid()->setCellText(1, grid::Code, u"1301"_s);
        select(12, grid::Code);
        type(box(), u"7203"_s);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(grid()->cellText(12, grid::Name), u"トヨタ自動車"_s);
        QCOMPARE(grid()->row(), 1);
        QCOMPARE(grid()->col(), int(grid::Code));
        QCOMPARE(labelOf(*m_form, u"Label5"_s)->text(), u"1"_s);
        QCOMPARE(box()->text(), u"1301"_s);
        QCOMPARE(grid()->cellText(1, grid::Code), u"1301"_s);
    }

    void enterInTargetColumn_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("nextRow");
        QTest::newRow("row 7 to row 8") << 7 << 8;
        QTest::newRow("row 12 stays") << 12 << 12;
    }
    void enterInTargetColumn()
    {
        QFETCH(int, row);
        QFETCH(int, nextRow);
        grid()->setCellText(8, grid::BuyTarget, u"1,000"_s);
        select(row, grid::BuyTarget);
        type(box(), u"2500"_s);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(grid()->cellText(row, grid::BuyTarget), u"2500"_s);
        QCOMPARE(grid()->row(), nextRow);
        QCOMPARE(grid()->col(), int(grid::BuyTarget));
        QCOMPARE(labelOf(*m_form, u"Label5"_s)->text(), QString::number(nextRow));
        // The next cell arrives in the box as it stands.
        QCOMPARE(box()->text(), grid()->cellText(nextRow, grid::BuyTarget));
        QCOMPARE(grid()->cellText(8, grid::BuyTarget), u"1,000"_s);
        QCOMPARE(m_fakes->sound.beeps, 0);
        QCOMPARE(m_fakes->dialogs.shown.size(), 0);
    }

    void rejection_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("not in the list") << u"1234"_s;
        QTest::newRow("out of 16-bit range") << u"99999"_s;
    }
    void rejection()
    {
        QFETCH(QString, code);
        select(4, grid::Code);
        type(box(), code);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(m_fakes->dialogs.shown.size(), 1);
        const FakeDialogs::Shown& shown = m_fakes->dialogs.shown.first();
        QCOMPARE(shown.text, u"入力したコードは該当なし"_s);
        QCOMPARE(shown.title, u"Tickora"_s);
        QCOMPARE(shown.icon, Dialogs::Icon::None);
        QCOMPARE(grid()->cellText(4, grid::Code), QString());
        QCOMPARE(grid()->row(), 5);
        QCOMPARE(box()->text(), QString());
        QCOMPARE(rowTexts(5), QStringList(12));
    }

    void rejectionFromAnotherColumnKeepsThatCell()
    {
        fillRow(4, {u"1234"_s, QString(), QString(), QString(), u"2135"_s});
        select(4, grid::PrevClose);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(m_fakes->dialogs.shown.size(), 1);
        QCOMPARE(grid()->cellText(4, grid::Code), QString());
        QCOMPARE(grid()->cellText(4, grid::PrevClose), u"2135"_s);
    }

    void rejectionWhileRowsMove()
    {
        // While the message is open the rows are packed (row 4 moves up to row 3, row 7 to row 4)
        // and a refresh makes 9984's cell current: only the rejected code may be emptied.
        grid()->setCellText(1, grid::Code, u"7203"_s);
        grid()->setCellText(2, grid::Code, u"6758"_s);
        grid()->setCellText(7, grid::Code, u"9984"_s);
        m_fakes->dialogs.whileOpen = [this] {
            // Packing moves row 4 up to row 3 and row 7 to row 4.
            grid()->setCellText(3, grid::Code, grid()->cellText(4, grid::Code));
            grid()->setCellText(4, grid::Code, grid()->cellText(7, grid::Code));
            grid()->setCellText(7, grid::Code, QString());
            grid()->setCurrent(4, grid::Code);
            Q_EMIT gridOf(*m_form)->focusReceived();
        };
        select(4, grid::Code);
        type(box(), u"1234"_s);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(m_fakes->dialogs.shown.size(), 1);
        QStringList codes;
        for (int r = 1; r <= 4; ++r)
            codes << grid()->cellText(r, grid::Code);
        QCOMPARE(codes, QStringList({u"7203"_s, u"6758"_s, QString(), u"9984"_s}));
    }

    void editedCodeKeepsItsName()
    {
        fillRow(4, QuoteRow);
        select(4, grid::Code);
        QTest::keyClick(box(), Qt::Key_Backspace);
        type(box(), u"0"_s); // 7200: not in the list
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(m_fakes->dialogs.shown.size(), 0);
        QCOMPARE(grid()->cellText(4, grid::Code), u"7200"_s);
        QCOMPARE(grid()->cellText(4, grid::Name), u"トヨタ自動車"_s);
    }

    void missingCodeList()
    {
        QVERIFY(QFile::remove(codeListPath()));
        select(4, grid::Code);
        type(box(), u"7203"_s);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(m_fakes->dialogs.shown.size(), 1);
        const QString text = m_fakes->dialogs.shown.first().text;
        QVERIFY2(text.contains(u"tousyou1.csv"_s) && text.contains(u"見つかりません"_s), qPrintable(text));
        // Nothing the user typed is thrown away, and entry goes on.
        QCOMPARE(grid()->cellText(4, grid::Code), u"7203"_s);
        QCOMPARE(grid()->row(), 5);

        // Once the list is back, lookups work again.
        QFile list(codeListPath());
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("7203,\"\x83\x67\x83\x88\x83\x5e\"\r\n"); // トヨタ in CP932
        list.close();
        select(4, grid::Code);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(grid()->cellText(4, grid::Name), u"トヨタ"_s);
    }

    void clickHandsCellUnchanged_data()
    {
        QTest::addColumn<int>("col");
        QTest::newRow("time") << int(grid::Time);
        QTest::newRow("name") << int(grid::Name);
    }
    void clickHandsCellUnchanged()
    {
        QFETCH(int, col);
        for (int r = 1; r <= 3; ++r)
            fillRow(r, QuoteRow);
        showActive();
        timerOf(*m_form)->start();
        QPalette running = labelOf(*m_form, u"Label3"_s)->palette();
        running.setColor(QPalette::Window, Qt::yellow);
        labelOf(*m_form, u"Label3"_s)->setPalette(running);
        clickCell(2, col);

        QCOMPARE(rowTexts(2), QuoteRow);
        QCOMPARE(box()->text(), QuoteRow[col - 1]);
        QCOMPARE(m_fakes->sound.beeps, 0);
        QCOMPARE(grid()->row(), 2);
        QCOMPARE(grid()->col(), col);
        QCOMPARE(labelOf(*m_form, u"Label5"_s)->text(), u"2"_s);
        QVERIFY(box()->hasFocus());
        QVERIFY(!timerOf(*m_form)->isActive());
        QCOMPARE(labelOf(*m_form, u"Label3"_s)->palette().color(QPalette::Window), QColor(Qt::black));

        // A second click elsewhere hands over that cell, not the one before.
        clickCell(3, grid::Time);
        QCOMPARE(box()->text(), u"15:00"_s);
        QCOMPARE(grid()->row(), 3);
        QCOMPARE(labelOf(*m_form, u"Label5"_s)->text(), u"3"_s);
        QCOMPARE(rowTexts(2), QuoteRow);
        QCOMPARE(rowTexts(3), QuoteRow);
        QCOMPARE(m_fakes->sound.beeps, 0);
    }

    void clickOnHeaderKeepsCurrentCell()
    {
        fillRow(2, QuoteRow);
        showActive();
        clickCell(2, grid::Volume);
        clickCell(0, grid::Code);
        QCOMPARE(grid()->row(), 2);
        QCOMPARE(grid()->col(), int(grid::Volume));
        QCOMPARE(box()->text(), u"1,234,500"_s);
        QCOMPARE(grid()->cellText(0, grid::Code), u"Code"_s);
    }

    void focusFromRefreshHandsCellUnchanged()
    {
        fillRow(6, QuoteRow);
        showActive();
        box()->setFocus();
        grid()->setCurrent(6, grid::Time);
        grid()->setFocus();
        QVERIFY(box()->hasFocus());
        QCOMPARE(box()->text(), u"15:00"_s);
        QCOMPARE(rowTexts(6), QuoteRow);
        QCOMPARE(m_fakes->sound.beeps, 0);
    }

    void enterFromAnotherCodeColumn_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("nextRow");
        QTest::newRow("previous close, row 4") << 4 << int(grid::PrevClose) << 5;
        QTest::newRow("low, row 12 wraps") << 12 << int(grid::Low) << 1;
    }
    void enterFromAnotherCodeColumn()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, nextRow);
        fillRow(row, QuoteRow);
        fillRow(nextRow, {u"1301"_s, u"極洋"_s, u"300"_s, u"+1"_s, u"299"_s});
        select(row, col);
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(grid()->row(), nextRow);
        // The box shows the next row's code, so that is the cell the next key edits.
        QCOMPARE(grid()->col(), int(grid::Code));
        QCOMPARE(box()->text(), u"1301"_s);
        type(box(), u"9"_s);
        QCOMPARE(grid()->cellText(nextRow, grid::Code), u"13019"_s);
        QCOMPARE(grid()->cellText(nextRow, col), col == grid::PrevClose ? u"299"_s : QString());
    }

    void pressReleasedElsewhere_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("releaseRow");
        QTest::addColumn<int>("releaseCol");
        QTest::newRow("on another cell") << Qt::LeftButton << 3 << int(grid::Time);
        QTest::newRow("outside the grid") << Qt::LeftButton << -1 << -1;
        QTest::newRow("right button") << Qt::RightButton << 2 << int(grid::Volume);
    }
    void pressReleasedElsewhere()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, releaseRow);
        QFETCH(int, releaseCol);
        for (int r = 1; r <= 3; ++r)
            fillRow(r, QuoteRow);
        showActive();
        grid()->setCurrent(1, grid::Code);
        timerOf(*m_form)->start();
        const QPoint from = grid()->visualItemRect(grid()->item(2, grid::Volume)).center();
        const QPoint to = releaseRow < 0
                              ? QPoint(-20, -20)
                              : grid()->visualItemRect(grid()->item(releaseRow, releaseCol)).center();
        QTest::mousePress(grid()->viewport(), button, {}, from);
        QTest::mouseMove(grid()->viewport(), to);
        QTest::mouseRelease(grid()->viewport(), button, {}, to);
        QTest::qWait(10);

        const bool left = button == Qt::LeftButton;
        QCOMPARE(timerOf(*m_form)->isActive(), !left);
        QCOMPARE(grid()->row(), left ? 2 : 1);
        QCOMPARE(grid()->col(), left ? int(grid::Volume) : int(grid::Code));
        QCOMPARE(labelOf(*m_form, u"Label5"_s)->text(), left ? u"2"_s : u"1"_s);
        if (left)
            QCOMPARE(box()->text(), u"1,234,500"_s);
        QCOMPARE(rowTexts(2), QuoteRow);
    }

    void gridEnter_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("nextRow");
        QTest::addColumn<int>("nextCol");
        QTest::newRow("column 5 fills zeros and steps down") << 3 << 5 << 4 << 6;
        QTest::newRow("column 5 of row 12 continues at row 1") << 12 << 5 << 1 << 6;
        QTest::newRow("column 12 stays") << 3 << 12 << 3 << 12;
    }
    void gridEnter()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, nextRow);
        QFETCH(int, nextCol);
        fillRow(row, {u"7203"_s, u"トヨタ自動車"_s, QString(), u" "_s});
        grid()->setCellText(nextRow, nextCol, u"1,234"_s);
        grid()->setCurrent(row, col);
        box()->setText(u"2135"_s);
        QTest::keyClick(grid(), Qt::Key_Return);

        QCOMPARE(grid()->cellText(row, col), u"2135"_s);
        const bool zeros = col == grid::PrevClose;
        QCOMPARE(grid()->cellText(row, grid::Price), zeros ? u"0"_s : QString());
        QCOMPARE(grid()->cellText(row, grid::Change), zeros ? u"0"_s : u" "_s);
        QCOMPARE(grid()->row(), nextRow);
        QCOMPARE(grid()->col(), nextCol);
        if (nextRow != row || nextCol != col) {
            QCOMPARE(box()->text(), u"1,234"_s);
            QCOMPARE(grid()->cellText(nextRow, nextCol), u"1,234"_s);
        }
        QCOMPARE(m_fakes->sound.beeps, 0);
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
