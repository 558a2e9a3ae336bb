// Code entry: the box and grid alone, and the window under real events.
#include "entryfixture.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QStringList Pastes{u"Ctrl+V"_s, u"menu paste"_s, u"middle button"_s, u"drop"_s};

} // namespace

class TestEntry : public EntryTest
{
    Q_OBJECT
    /// Pastes `text` into the box the way `how` names; false when the box offers no such way.
    bool paste(const QString& how, const QString& text)
    {
        const QPoint inside = box()->rect().center();
        // Only Ctrl+V and the menu read the clipboard; the others must not take it.
        const bool fromClipboard = how == u"Ctrl+V"_s || how == u"menu paste"_s;
        QApplication::clipboard()->setText(fromClipboard ? text : u"not this"_s);
        if (how == u"Ctrl+V"_s) {
            QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
        } else if (how == u"menu paste"_s) {
            QContextMenuEvent request(QContextMenuEvent::Mouse, inside, box()->mapToGlobal(inside));
            QApplication::sendEvent(box(), &request);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QAction* action = menu ? menu->findChild<QAction*>(u"edit-paste"_s) : nullptr;
            if (!action || !action->isEnabled())
                return false;
            action->trigger();
            menu->close();
        } else if (how == u"middle button"_s) {
            QApplication::clipboard()->setText(text, QClipboard::Selection);
            QTest::mouseClick(box(), Qt::MiddleButton, {}, inside);
        } else {
            QMimeData data;
            data.setText(text);
            QDragEnterEvent enter(inside, Qt::CopyAction, &data, Qt::NoButton, {});
            QApplication::sendEvent(box(), &enter);
            QDropEvent drop(QPointF(inside), Qt::CopyAction, &data, Qt::NoButton, {});
            QApplication::sendEvent(box(), &drop);
        }
        return true;
    }
private Q_SLOTS:
    // A code the list lacks: the added codes, then the quote service, whose stock page names and adds it.
    void lookupOrder()
    {
        const QString added = m_w->fakes.config.dataFile(u"codes-added.csv"_s);
        QVERIFY(writeFile(added, cp932(u"9A7A,\"足した銘柄\"\r\n7203,\"別名\""_s)));
        auto& http = m_w->fakes.http;
        http.serve(u"285A"_s, u"<h1>キオクシアホールディングス(株)</h1> 株価詳細"_s.toUtf8());
        http.serve(u"130A"_s, "<h1>x</h1> not a stock page");
        http.serve(u"131A"_s, cp932(u"株価詳細, but no name"_s));
        http.serve(u"132A"_s, "", 429);
        http.serve(u"286A"_s, u"<h1>二つ目</h1> 株価詳細"_s.toUtf8());
        enter(1, grid::Code, u"7203"_s, true); // the list before the added codes
        enter(2, grid::Code, u"9a7a"_s, true);
        enter(3, grid::Code, u"285a"_s, true);
        QCOMPARE(m_w->read(Cells{{1, 2, {}}, {2, 2, {}}, {3, 1, {}}, {3, 2, {}}}),
                 (Cells{{1, 2, u"トヨタ自動車"_s},
                        {2, 2, u"足した銘柄"_s},
                        {3, 1, u"285A"_s},
                        {3, 2, u"キオクシアホールディングス(株)"_s}}));
        QCOMPARE(readFile(added), cp932(u"9A7A,\"足した銘柄\"\r\n7203,\"別名\"\r\n"
                                        "285A,\"キオクシアホールディングス(株)\"\r\n"_s));
        enter(4, grid::Code, u"285A"_s, true); // now from the added codes
        // Two rows waiting for the same page: one request, and the page names both and no other row.
        http.setHolding(true);
        enter(6, grid::Code, u"286A"_s);
        enter(7, grid::Code, u"286A"_s, true);
        QCOMPARE(m_w->read(Cells{{6, 2, {}}, {7, 2, {}}, {8, 2, {}}}),
                 (Cells{{6, 2, u"二つ目"_s}, {7, 2, u"二つ目"_s}, {8, 2, {}}}));
        QCOMPARE(http.requests.size(), 2);
        QCOMPARE(http.requests[0].url.query(), u"code=285A"_s);
        QCOMPARE(m_w->fakes.dialogs.shown.size(), 0);
        // No stock page (twice, asked each time), a page without a name, an overloaded service, and
        // then no request while it is held: rejected each time.
        QSignalSpy said(m_w->child<QStatusBar>(u"statusLine"_s), &QStatusBar::messageChanged);
        for (const QString& code : {u"130A"_s, u"130A"_s, u"131A"_s, u"132A"_s, u"133A"_s})
            enter(5, grid::Code, code, true);
        QCOMPARE(http.requests.size(), 6);
        QCOMPARE(m_w->fakes.dialogs.shown.size(), 5);
        QCOMPARE(m_w->read(Cells{{5, 1, {}}, {5, 2, {}}}), (Cells{{5, 1, {}}, {5, 2, {}}}));
        QVERIFY(!said.isEmpty() && said.constLast().constFirst().toString().startsWith(u"取得制限中"_s));
    }

    // A name the added codes cannot keep is still shown, and the user is told.
    void addedCodesThatCannotBeWritten()
    {
        QVERIFY(QDir().mkpath(m_w->fakes.config.dataFile(u"codes-added.csv"_s)));
        m_w->fakes.http.serve(u"285A"_s, u"<h1>キオクシア</h1> 株価詳細"_s.toUtf8());
        enter(1, grid::Code, u"285A"_s, true);
        QCOMPARE(grid()->cellText(1, grid::Name), u"キオクシア"_s);
        QCOMPARE(m_w->fakes.dialogs.shown.size(), 1);
        QVERIFY(m_w->fakes.dialogs.shown[0].text.contains(u"codes-added.csv"_s));
    }

    // The box reports character keys, Enter, Backspace, a paste and input-method text, then acts on them.
    void entryBoxReportsCharacterKeys()
    {
        EntryBox box;
        QList<int> keys;
        connect(&box, &EntryBox::keyPressed, &box, [&keys](int key, bool*) { keys << key; });
        QApplication::clipboard()->setText(u"5"_s);
        QTest::keyClicks(&box, u"7a"_s);
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClick(&box, Qt::Key_Enter, Qt::KeypadModifier); // the keypad's Enter is Enter too
        QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_Enter, QString(), Qt::KeypadModifier); // without text
        QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);      // selects all, no character
        for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_unknown}) // Delete, or its text alone
            QTest::sendKeyEvent(QTest::Click, &box, key, QString(QChar(0x7f)), Qt::NoModifier);
        QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
        QInputMethodEvent commit;
        commit.setCommitString(u"トヨ"_s);
        QApplication::sendEvent(&box, &commit);
        QCOMPARE(keys, (QList<int>{'7', 'a', 13, 13, 13, 8, EntryBox::PasteKey, 0x30C8}));
        QCOMPARE(box.text(), u"5トヨ"_s);
        // A consumed drop changes nothing and is refused even if it came accepted (as a filter may hand
        // it on), so a source that moves its text keeps it.
        connect(&box, &EntryBox::keyPressed, &box, [](int, bool* consumed) { *consumed = true; });
        QMimeData dragged;
        dragged.setText(u"9"_s);
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &dragged, Qt::LeftButton, {});
        QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &dragged, Qt::LeftButton, {});
        QApplication::sendEvent(&box, &enter), drop.accept(), QApplication::sendEvent(&box, &drop);
        QVERIFY(!drop.isAccepted() && box.text() == u"5トヨ"_s);
        // Focus is reported, and handled as by any line edit: by Tab, the text is selected.
        QSignalSpy focused(&box, &EntryBox::focusReceived);
        QFocusEvent tabbed(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(&box, &tabbed);
        QVERIFY(focused.size() == 1 && box.selectedText() == u"5トヨ"_s);
    }

    // The grid's current cell and the view's agree, never on the fixed row or column.
    void gridCurrentCell()
    {
        QuoteGrid g(96.0);
        QList<int> reported;
        connect(&g, &QuoteGrid::keyPressed, &g, [&reported](int key, bool*) { reported << key; });
        g.setCellText(3, grid::Code, u"7203"_s);
        g.setCurrent(2, 2);
        // Each key, then the row and column current after it.
        const int steps[] = {Qt::Key_Up,   1, 2, Qt::Key_Up, 1, 2, Qt::Key_Left, 1, 1,
                             Qt::Key_Left, 1, 1, Qt::Key_7,  3, 1};
        for (int i = 0; i < 15; i += 3) {
            QTest::keyClick(&g, Qt::Key(steps[i]));
            QCOMPARE(QList<int>({g.row(), g.col(), g.currentRow(), g.currentColumn()}),
                     QList<int>({steps[i + 1], steps[i + 2], steps[i + 1], steps[i + 2]}));
        }
        QTest::keyClick(&g, Qt::Key_Enter);
        QTest::keyClick(&g, Qt::Key_Return);
        QKeyEvent keypadEnter(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier,
                              u"\x03"_s); // as some platforms send it
        QApplication::sendEvent(&g, &keypadEnter);
        QCOMPARE(reported, (QList<int>{'7', 13, 13, 13}));
        g.setCurrent(0, 1);
        QVERIFY(g.currentRow() == 3 && g.selectedItems().isEmpty());
        g.setCellForeColor(2, grid::SellTarget, cellcolor::Red);
        QCOMPARE(g.item(2, grid::SellTarget)->foreground().color(), QColor(255, 0, 0));
        g.setCellForeColor(2, grid::SellTarget, cellcolor::Default); // drawn in the default colour again
        QCOMPARE(g.item(2, grid::SellTarget)->data(Qt::ForegroundRole), QVariant());
        g.setCurrent(grid::Rows + 5, grid::Cols + 5); // held to the last cell
        QCOMPARE(QPoint(g.row(), g.col()), QPoint(grid::LastRow, grid::Cols - 1));
        g.setCurrent(1, 1);
        QCOMPARE(QPoint(g.currentRow(), g.currentColumn()), QPoint(1, 1));
        for (const QPoint at : {QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
            QCOMPARE(bool(g.item(at.x(), at.y())->flags() & Qt::ItemIsSelectable), at == QPoint(1, 1));
        const QPoint before(g.row(), g.col());
        QTest::keyClick(&g, Qt::Key_Tab); // Tab leaves the grid, it never moves the cell
        QCOMPARE(QPoint(g.row(), g.col()), before);
    }

    void init() { QVERIFY(makeWindow()); }
    void cleanup() { m_w.reset(); }

    // Keys typed or pasted into a cell of row 3; a paste brings "72 03".
    void keys_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("rowState"); ///< "empty", "filled", or "wiped" by the first key
        QTest::addColumn<QString>("keys");     ///< typed, or a way of pasting (once, or "twice")
        QTest::addColumn<QString>("cell");     ///< the cell afterwards
        QTest::addColumn<int>("beeps");
        QTest::newRow("colon and blank refused") << 1 << u"empty"_s << u"72: 03"_s << u"7203"_s << 2;
        QTest::newRow("name column takes kana and letters")
            << 2 << u"empty"_s << u"トヨタ自動車 ABC"_s << u"トヨタ自動車 ABC"_s << 0;
        QTest::newRow("first digit wipes a filled row") << 3 << u"wiped"_s << u"5"_s << u"5"_s << 0;
        QTest::newRow("target column never wipes") << 10 << u"filled"_s << u"9"_s << u"9"_s << 0;
        QTest::newRow("code letters in capitals, a refused one beeps")
            << 1 << u"empty"_s << u"285ab"_s << u"285A"_s << 1;
        QTest::newRow("full-width code") << 1 << u"wiped"_s << u"９ａ７Ａ"_s << u"9A7A"_s << 0;
        QTest::newRow("letters stay refused in a price column") << 5 << u"empty"_s << u"1a"_s << u"1"_s << 1;
        QTest::newRow("a second paste filtered too")
            << 10 << u"filled"_s << u"Ctrl+V twice"_s << u"72037203"_s << 2;
        for (const QString& paste : Pastes) {
            QTest::addRow("%s wipes, then filters", qPrintable(paste))
                << 1 << u"wiped"_s << paste << u"7203"_s << 1;
            QTest::addRow("%s in the name column", qPrintable(paste))
                << 2 << u"empty"_s << paste << u"72 03"_s << 0;
            QTest::addRow("%s in a target column", qPrintable(paste))
                << 10 << u"filled"_s << paste << u"7203"_s << 1;
        }
    }
    void keys()
    {
        QFETCH(int, col);
        QFETCH(QString, rowState);
        QFETCH(QString, keys);
        QFETCH(QString, cell);
        QFETCH(int, beeps);
        if (rowState != u"empty"_s)
            fillRow(3, QuoteRow);
        grid()->setCellText(3, col, QString());
        m_w->select(3, col);
        if (keys == u"middle button"_s && !QApplication::clipboard()->supportsSelection()) {
            if (qEnvironmentVariableIsSet("TICKORA_TEST_NEEDS_SELECTION"))
                QFAIL("no selection clipboard, though the run asks for one");
            QSKIP("no selection clipboard on this platform");
        }
        const bool twice = keys.endsWith(u" twice"_s);
        if (Pastes.contains(twice ? keys.chopped(6) : keys))
            for (int i = 0; i <= int(twice); ++i)
                QVERIFY(paste(twice ? keys.chopped(6) : keys, u"72 03"_s));
        else
            type(box(), keys);
        QStringList row = rowState == u"filled"_s ? QuoteRow : QStringList(12);
        row[col - 1] = cell;
        QCOMPARE(rowTexts(*grid(), 3), row);
        QCOMPARE(std::pair(box()->text(), box()->cursorPosition()), std::pair(cell, int(cell.size())));
        QCOMPARE(m_w->fakes.sound.beeps, beeps);
    }

    void emptiedBoxWipesOnlyOnTheNextKey()
    {
        fillRow(3, QuoteRow);
        m_w->select(3, grid::Code);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(box(), Qt::Key_Backspace);
        QCOMPARE(rowTexts(*grid(), 3).mid(0, 2), (QStringList{QString(), u"トヨタ自動車"_s}));
        // Delete is no character (X11 still gives it the text U+007F): it never wipes.
        QTest::sendKeyEvent(QTest::Click, box(), Qt::Key_Delete, QString(QChar(0x7f)), Qt::NoModifier);
        QCOMPARE(grid()->cellText(3, grid::Time), u"15:00"_s);
        QTest::keyClick(box(), Qt::Key_Backspace);
        QCOMPARE(rowTexts(*grid(), 3), QStringList(12));
        QCOMPARE(m_w->fakes.sound.beeps, 0);
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
