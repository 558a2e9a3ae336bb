// Code entry: the box's character rule, the box and grid alone, and the window under real events.
#include "support/files.h"
#include "windowprobe.h"

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

const QStringList QuoteRow = {u"7203"_s,  u"トヨタ自動車"_s, u"2,150"_s, u"+15"_s,
                              u"2,135"_s, u"1,234,500"_s,    u"2,140"_s, u"2,160"_s,
                              u"2,130"_s, u"2100"_s,         u"2200"_s,  u"15:00"_s};

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
    std::unique_ptr<Window> m_w;
    QuoteGrid* grid() const { return m_w->grid(); }
    EntryBox* box() const { return m_w->box(); }
    QString listPath() const { return m_w->fakes.config.dataFile(u"tousyou1.csv"_s); }
    void fillRow(int row, const QStringList& cells)
    {
        for (int c = 0; c < cells.size(); ++c)
            grid()->setCellText(row, c + 1, cells[c]);
    }
    /// Types `text` into the box at (row, col), presses Enter, and with `wait` lets the answers come.
    void enter(int row, int col, const QString& text, bool wait = false)
    {
        m_w->select(row, col);
        type(box(), text);
        QTest::keyClick(box(), Qt::Key_Return);
        if (wait)
            m_w->drain();
    }
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
    // Each text, what the rule keeps of it and how many characters it removes; the one pass agrees
    // with removing the first refused character until none is left.
    void removeRefused()
    {
        for (const auto& [text, clean, removed] :
             {std::tuple{u"-\t09.5"_s, u"-\t09.5"_s, 0}, // digits, point, leading minus, control
              {u"1 !\"#$%&'()*+,/2"_s, u"12"_s, 14},     // blank, ! to , and slash
              {u"a--5-"_s, u"-5"_s, 3},                  // minus moved to the front, then later
              {u"A1b:７トヨ"_s, u"1"_s, 6},              // letters, colon, full-width digits, kana
              {u"7\U0001F600"_s, u"7"_s, 1},             // outside the basic plane
              {u"a"_s + QChar(0xDC00) + u"7"_s + QChar(0xD83D), u"7"_s, 3}}) { // lone surrogates
            const FilteredText filtered = tickora::removeRefused(text);
            QCOMPARE(std::pair(filtered.text, filtered.removed), std::pair(clean, removed));
            QString stepwise = text;
            int steps = 0;
            for (RefusedChar r = firstRefused(stepwise); r.position >= 0; r = firstRefused(stepwise), ++steps)
                stepwise.remove(r.position, r.length);
            QCOMPARE(std::pair(stepwise, steps), std::pair(clean, removed));
        }
    }

    // The code column: digits; a code letter second or fourth only; lower case and full width as capitals.
    void codeColumnRule()
    {
        for (char16_t l = u'A'; l <= u'Z'; ++l) {
            const bool allowed = !QStringView(u"BEIOQVZ").contains(QChar(l));
            const QString capital{QChar(l)}, fullWidth{QChar(char16_t(l - u'A' + 0xFF21))};
            for (const QString& letter : {capital, capital.toLower(), fullWidth, fullWidth.toLower()}) {
                for (const auto& [before, after] : {std::pair{u"1"_s, u"3"_s}, {u"285"_s, QString()}}) {
                    const FilteredText got = filterCodeText(QString(before + letter + after));
                    QCOMPARE(std::pair(got.text, got.removed),
                             std::pair(QString(before + (allowed ? capital : QString()) + after),
                                       allowed ? 0 : 1));
                }
                // Never first or third.
                QCOMPARE(filterCodeText(QString(letter + u"1"_s)).text +
                             filterCodeText(QString(u"12"_s + letter)).text,
                         u"112"_s);
            }
        }
        for (const auto& [text, clean, removed] : {std::tuple{u"９０２ａ"_s, u"902A"_s, 0},
                                                   {u"7.2-3 ,\t"_s, u"723"_s, 5},
                                                   {u"28AA"_s, u"28"_s, 2},
                                                   {u"12345"_s, u"12345"_s, 0},
                                                   {u"1A2A3"_s, u"1A2A3"_s, 0},
                                                   {u"7\U0001F600"_s, u"7"_s, 1}}) {
            const FilteredText got = filterCodeText(text);
            QCOMPARE(std::pair(got.text, got.removed), std::pair(clean, removed));
        }
    }

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
        QCOMPARE(m_w->cells(u"1,2= 2,2= 3,1= 3,2="_s),
                 QStringList({u"1,2=トヨタ自動車"_s, u"2,2=足した銘柄"_s, u"3,1=285A"_s,
                              u"3,2=キオクシアホールディングス(株)"_s}));
        QCOMPARE(readFile(added), cp932(u"9A7A,\"足した銘柄\"\r\n7203,\"別名\"\r\n"
                                        "285A,\"キオクシアホールディングス(株)\"\r\n"_s));
        enter(4, grid::Code, u"285A"_s, true); // now from the added codes
        // Two rows waiting for the same page: one request, and the page names both.
        http.setHolding(true);
        enter(6, grid::Code, u"286A"_s);
        enter(7, grid::Code, u"286A"_s, true);
        QCOMPARE(m_w->cells(u"6,2= 7,2="_s), QStringList({u"6,2=二つ目"_s, u"7,2=二つ目"_s}));
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
        QCOMPARE(m_w->cells(u"5,1= 5,2="_s), QStringList({u"5,1="_s, u"5,2="_s}));
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
        QCOMPARE(reported, (QList<int>{'7', 13, 13}));
        g.setCurrent(0, 1);
        QVERIFY(g.currentRow() == 3 && g.selectedItems().isEmpty());
        g.setCellForeColor(2, grid::SellTarget, cellcolor::Red);
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

    void init()
    {
        m_w = std::make_unique<Window>();
        // Quoted and bare names; a later line for the same code wins.
        QVERIFY(writeFile(listPath(), cp932(u"1301,\"極洋\"\r\n7203,\"トヨタ自動車\"\r\n6758,\"ソニー\"\r\n"
                                            "9984,ソフトバンクグループ\r\n6758,\"ソニーグループ\"\r\n"_s)));
        m_w->make();
    }
    void cleanup() { m_w.reset(); }

    // "column row | keys | cell | beeps" in row 3 ("empty", "filled" or "wiped"); a paste brings "72 03".
    void keys_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("colon and blank refused") << u"1 empty | 72: 03 | 7203 | 2"_s;
        QTest::newRow("name column takes kana and letters")
            << u"2 empty | トヨタ自動車 ABC | トヨタ自動車 ABC | 0"_s;
        QTest::newRow("first digit wipes a filled row") << u"3 wiped | 5 | 5 | 0"_s;
        QTest::newRow("target column never wipes") << u"10 filled | 9 | 9 | 0"_s;
        QTest::newRow("code letters in capitals, a refused one beeps") << u"1 empty | 285ab | 285A | 1"_s;
        QTest::newRow("full-width code") << u"1 wiped | ９ａ７Ａ | 9A7A | 0"_s;
        QTest::newRow("letters stay refused in a price column") << u"5 empty | 1a | 1 | 1"_s;
        QTest::newRow("a second paste filtered too") << u"10 filled | Ctrl+V twice | 72037203 | 2"_s;
        for (const QString& paste : Pastes) {
            QTest::addRow("%s wipes, then filters", qPrintable(paste))
                << u"1 wiped | %1 | 7203 | 1"_s.arg(paste);
            QTest::addRow("%s in the name column", qPrintable(paste))
                << u"2 empty | %1 | 72 03 | 0"_s.arg(paste);
            QTest::addRow("%s in a target column", qPrintable(paste))
                << u"10 filled | %1 | 7203 | 1"_s.arg(paste);
        }
    }
    void keys()
    {
        QFETCH(QString, scenario);
        const QStringList part = scenario.split(u" | "_s);
        const int col = part[0].section(u' ', 0, 0).toInt();
        const QString rowState = part[0].section(u' ', 1), keys = part[1], cell = part[2];
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
        QCOMPARE(m_w->fakes.sound.beeps, part[3].toInt());
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

    // Enter in the box: "at typed | cells before | after | current box | message"; 見つかりません: no list.
    void enterInTheBox_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("later duplicate wins")
            << u"4,1 6758 | 5,1=1301 | 4,2=ソニーグループ 5,2= | 5,1 1301 |"_s;
        QTest::newRow("row 11 looks row 12 up too")
            << u"11,1 7203 | 12,1=9984 1,1=1301 | 11,2=トヨタ自動車 12,2=ソフトバンクグループ 1,2= | 1,1 1301 |"_s;
        QTest::newRow("row 11, row 12 empty") << u"11,1 1301 | | 11,2=極洋 | 12,1 |"_s;
        QTest::newRow("row 12 wraps") << u"12,1 7203 | 1,1=1301 | 12,2=トヨタ自動車 1,2= | 1,1 1301 |"_s;
        QTest::newRow("column 5 goes to the next row's code")
            << u"4,5 | 4,1=7203 4,5=2135 5,1=1301 5,5=299 | 4,2=トヨタ自動車 4,5=2135 5,5=299 | 5,1 1301 |"_s;
        QTest::newRow("target column steps down")
            << u"7,10 2500 | 8,10=1,000 | 7,10=2500 8,10=1,000 | 8,10 1,000 |"_s;
        QTest::newRow("target column of row 12 stays") << u"12,10 2500 | | 12,10=2500 | 12,10 2500 |"_s;
        QTest::newRow("code not in the list") << u"4,1 123 | | 4,1= | 5,1 | 該当なし"_s;
        QTest::newRow("five digits, not in the list") << u"4,1 99999 | | 4,1= | 5,1 | 該当なし"_s;
        QTest::newRow("edited code keeps its name")
            << u"4,1 | 4,1=7200 4,2=トヨタ | 4,1=7200 4,2=トヨタ | 5,1 |"_s;
        QTest::newRow("missing code list") << u"4,1 7203 | | 4,1=7203 4,2= | 5,1 | 見つかりません"_s;
    }
    void enterInTheBox()
    {
        QFETCH(QString, scenario);
        const QStringList part = scenario.split(u'|');
        const QStringList at = part[0].split(u' ', Qt::SkipEmptyParts) << QString();
        const QStringList then = part[3].split(u' ', Qt::SkipEmptyParts) << QString();
        const QString message = part[4].trimmed();
        if (message == u"見つかりません"_s)
            QVERIFY(QFile::remove(listPath()));
        m_w->cells(part[1], true);
        enter(at[0].section(u',', 0, 0).toInt(), at[0].section(u',', 1).toInt(), at[1]);
        QCOMPARE(m_w->cells(part[2]), part[2].split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(m_w->state(),
                 u"%1 label %2 box %3 shown %4 beeps 0 stopped"_s.arg(
                     then[0], then[0].section(u',', 0, 0), then[1], QString::number(!message.isEmpty())));
        QVERIFY(message.isEmpty() || m_w->fakes.dialogs.shown[0].text.contains(message));
    }

    // While the message is open a refresh packs the rows: only the rejected code may be emptied.
    void rejectionWhileRowsMove()
    {
        m_w->cells(u"1,1=7203 2,1=6758 7,1=9984"_s, true);
        m_w->fakes.dialogs.whileOpen = [this] {
            m_w->cells(u"12,1=123 4,1=9984 7,1="_s, true);
            m_w->select(4, grid::Code);
        };
        enter(4, grid::Code, u"123"_s);
        QCOMPARE(m_w->fakes.dialogs.shown.size(), 1);
        QCOMPARE(m_w->cells(u"1,1= 2,1= 12,1= 4,1="_s),
                 QStringList({u"1,1=7203"_s, u"2,1=6758"_s, u"12,1="_s, u"4,1=9984"_s}));
        m_w->fakes.dialogs.whileOpen = [this] {
            m_w->cells(u"5,3=2,150"_s, true);
            m_w->select(5, grid::Price); // another cell of the rejected row: the box shows it and keeps it
        };
        enter(5, grid::Code, u"123"_s);
        QCOMPARE(m_w->cells(u"5,1= 5,3="_s), QStringList({u"5,1="_s, u"5,3=2,150"_s}));
    }

    // A tick while a message is open waits for it: nothing is asked, no box stacks on it; the
    // message of a rejected code and that of a save alike.
    void tickWaitsForAnOpenBox()
    {
        m_w->cells(u"1,1=7203"_s, true);
        QList<qsizetype> asked;
        m_w->fakes.dialogs.whileOpen = [this, &asked] {
            const qsizetype before = m_w->fakes.http.requests.size();
            m_w->tick();
            asked << m_w->fakes.http.requests.size() - before;
        };
        enter(2, grid::Code, u"123"_s);
        m_w->trigger(u"saveCommand"_s);
        QCOMPARE(asked, QList<qsizetype>({0, 0}));
        QCOMPARE(m_w->fakes.dialogs.shown.size(), 2);
    }

    // Enter in the grid writes the box into the cell and steps; from column 5 empty prices read 0.
    void enterInTheGrid_data()
    {
        QTest::addColumn<QPoint>("at"); ///< (row, col)
        QTest::addColumn<QPoint>("next");
        QTest::newRow("column 5 fills zeros and steps down") << QPoint(3, 5) << QPoint(4, 6);
        QTest::newRow("column 5 of row 12 continues at row 1") << QPoint(12, 5) << QPoint(1, 6);
        QTest::newRow("column 12 stays") << QPoint(3, 12) << QPoint(3, 12);
    }
    void enterInTheGrid()
    {
        QFETCH(QPoint, at);
        QFETCH(QPoint, next);
        const int row = at.x(), col = at.y();
        fillRow(row, {u"7203"_s, u"トヨタ自動車"_s, QString(), u" "_s});
        grid()->setCellText(next.x(), next.y(), u"1,234"_s);
        grid()->setCurrent(row, col);
        box()->setText(u"2135"_s);
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(grid()->cellText(row, col), u"2135"_s);
        QCOMPARE(grid()->cellText(row, grid::Price) + u'|' + grid()->cellText(row, grid::Change),
                 col == grid::PrevClose ? u"0|0"_s : u"| "_s);
        QCOMPARE(QPoint(grid()->row(), grid()->col()), next);
        QCOMPARE(box()->text() + u'|' + grid()->cellText(next.x(), next.y()),
                 next == at ? u"2135|2135"_s : u"1,234|1,234"_s);
        QCOMPARE(m_w->fakes.sound.beeps, 0);
    }

    // A left press is a click wherever released, stopping and handing the pressed cell to the box.
    void mouse_data()
    {
        QTest::addColumn<QString>("scenario");
        const QString stopped = u" shown 0 beeps 0 stopped"_s;
        QTest::newRow("released on another cell") << u"left 2,6 3,12 | 2,6 label 2 box 1,234,500"_s + stopped;
        QTest::newRow("pressed on the current cell") << u"left 1,1 3,12 | 1,1 label 1 box 7203"_s + stopped;
        QTest::newRow("on the first row") << u"left 1,6 1,6 | 1,6 label 1 box 1,234,500"_s + stopped;
        QTest::newRow("on another row's code") << u"left 3,1 3,1 | 3,1 label 3 box 7203"_s + stopped;
        // No cell is handed over: the box is left empty, attached to none.
        QTest::newRow("on the header row") << u"left 0,3 0,3 | 1,1 label 1 box "_s + stopped;
        QTest::newRow("right button") << u"right 2,6 2,6 | 1,1 label 1 box 7203 shown 0 beeps 0 running"_s;
        QTest::newRow("right press, left release")
            << u"right>left 2,6 2,6 | 1,1 label 1 box 7203 shown 0 beeps 0 running"_s;
    }
    void mouse()
    {
        QFETCH(QString, scenario);
        const QStringList how = scenario.section(u" | "_s, 0, 0).split(u' ');
        const QString state = scenario.section(u" | "_s, 1);
        const auto buttonOf = [&](int end) {
            return how[0].section(u'>', end, end) == u"left"_s ? Qt::LeftButton : Qt::RightButton;
        };
        const auto cell = [this](const QString& at) {
            return m_w->cellCenter(at.section(u',', 0, 0).toInt(), at.section(u',', 1).toInt());
        };
        for (int r = 0; r <= 3; ++r)
            fillRow(r, QuoteRow);
        QVERIFY(m_w->showActive());
        m_w->select(1, 1);
        m_w->fakes.http.setHolding(true); // running, and no page answers
        m_w->trigger(u"startRealTimeCommand"_s);
        const QPoint to = cell(how[2]);
        QSignalSpy focused(grid(), &QuoteGrid::focusReceived);
        QTest::mousePress(grid()->viewport(), buttonOf(0), {}, cell(how[1]));
        QTest::mouseMove(grid()->viewport(), to);
        QTest::mouseRelease(grid()->viewport(), buttonOf(-1), {}, to);
        QTest::qWait(10);
        QCOMPARE(m_w->state(), state);
        QCOMPARE(grid()->selectedItems(),
                 QList<QTableWidgetItem*>{grid()->item(grid()->row(), grid()->col())});
        QVERIFY(box()->hasFocus() && focused.size() == 1); // the click's focus is handed on once
        for (int r = 0; r <= 3; ++r)                       // nothing written into a cell
            QCOMPARE(rowTexts(*grid(), r), QuoteRow);
    }

    // ---- the box attached to the cell it was handed ----

    // A click on the header row, the row numbers or below the rows hands no cell over: typing and
    // Enter then write nothing (each key beeps); a click on a cell attaches the box again.
    void clickBesideTheCellsThenTyping_data()
    {
        QTest::addColumn<QString>("where"); ///< "row,col" of a fixed cell, or "below"
        QTest::newRow("the name caption") << u"0,2"_s;
        QTest::newRow("the code caption") << u"0,1"_s;
        QTest::newRow("a row number") << u"3,0"_s;
        QTest::newRow("below the last row") << u"below"_s;
    }
    void clickBesideTheCellsThenTyping()
    {
        QFETCH(QString, where);
        fillRow(1, {u"8306"_s, u"三菱UFJフィナンシャル・グループ(株)"_s, u"1,500"_s});
        const QStringList row1 = rowTexts(*grid(), 1);
        QVERIFY(m_w->showActive());
        m_w->select(1, grid::Code);
        QPoint at = where == u"below"_s
                        ? QPoint(m_w->cellCenter(12, 3).x(), grid()->viewport()->height() - 2)
                        : m_w->cellCenter(where.section(u',', 0, 0).toInt(), where.section(u',', 1).toInt());
        QVERIFY(where != u"below"_s || !grid()->indexAt(at).isValid());
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::qWait(10);
        type(QApplication::focusWidget(), u"4300"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(rowTexts(*grid(), 1), row1);
        QCOMPARE(rowTexts(*grid(), 2), QStringList(12));
        QCOMPARE(m_w->state(), u"1,1 label 1 box  shown 0 beeps 5 stopped"_s);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, m_w->cellCenter(2, grid::Code));
        QTest::qWait(10);
        type(QApplication::focusWidget(), u"7"_s);
        QCOMPARE(m_w->cells(u"1,1= 2,1="_s), QStringList({u"1,1=8306"_s, u"2,1=7"_s}));
    }

    // With the box on row 4's code, something else moves the current cell or writes the cell:
    // the box shows the cell current then, and a typed "2" lands there alone.
    void boxFollowsTheCurrentCell_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("cells"); ///< after typing "2"
        QTest::addColumn<QString>("shown");
        QTest::newRow("its cell written by another")
            << u"write 4,1=8411"_s << u"4,1=84112 5,1=7203 5,10=500"_s << u"84112"_s;
        QTest::newRow("moved by the program")
            << u"move 5,10"_s << u"4,1=8306 5,1=7203 5,10=5002"_s << u"5002"_s;
        QTest::newRow("moved by an arrow key") << u"down"_s << u"4,1=8306 5,1=72032 5,10=500"_s << u"72032"_s;
        QTest::newRow("unattached, then made current again")
            << u"beside 4,1"_s << u"4,1=83062 5,1=7203 5,10=500"_s << u"83062"_s;
        QTest::newRow("moved to a fixed cell")
            << u"move 0,1"_s << u"4,1=8306 5,1=7203 5,10=500"_s << QString();
    }
    void boxFollowsTheCurrentCell()
    {
        QFETCH(QString, change);
        QFETCH(QString, cells);
        QFETCH(QString, shown);
        m_w->cells(u"4,1=8306 4,2=三菱UFJ 5,1=7203 5,2=トヨタ自動車 5,10=500"_s, true);
        m_w->select(4, grid::Code);
        const QString what = change.section(u' ', 0, 0), arg = change.section(u' ', 1);
        if (what == u"beside"_s)
            Q_EMIT grid()->clickedBesideCells();
        if (what == u"write"_s)
            m_w->cells(arg, true);
        else if (what == u"move"_s || what == u"beside"_s)
            grid()->setCurrent(arg.section(u',', 0, 0).toInt(), arg.section(u',', 1).toInt());
        else
            QTest::keyClick(grid(), Qt::Key_Down);
        QCOMPARE(box()->text(), m_w->grid()->row() > 0 ? grid()->text() : QString());
        type(box(), u"2"_s);
        QCOMPARE(m_w->cells(u"4,1= 5,1= 5,10="_s), cells.split(u' '));
        QCOMPARE(box()->text(), shown);
        QCOMPARE(m_w->cells(u"4,2= 5,2="_s), QStringList({u"4,2=三菱UFJ"_s, u"5,2=トヨタ自動車"_s}));
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
