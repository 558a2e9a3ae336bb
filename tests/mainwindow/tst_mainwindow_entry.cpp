// The main window on fakes: code entry through the box and the grid, by keys and by mouse.
#include "entryfixture.h"
#include "windowpages.h"

#include <QFile>
#include <QSignalSpy>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestMainWindowEntry : public EntryTest
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(makeWindow()); }
    void cleanup() { m_w.reset(); }

    // Enter in the box: the code's name looked up, the next cell made current, a refused code told.
    void enterInTheBox_data()
    {
        QTest::addColumn<QPoint>("at"); ///< (row, col) of the cell typed into
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Cells>("before"); ///< cells written first
        QTest::addColumn<Cells>("after");
        QTest::addColumn<QPoint>("current");   ///< (row, col) current afterwards
        QTest::addColumn<QString>("shown");    ///< the box afterwards
        QTest::addColumn<bool>("listMissing"); ///< the code list is removed first
        QTest::addColumn<QString>("message");  ///< a part of the message told, if any
        QTest::newRow("later duplicate wins") << QPoint(4, 1) << u"6758"_s << Cells{{5, 1, u"1301"_s}}
                                              << Cells{{4, 2, u"ソニーグループ"_s}, {5, 2, {}}}
                                              << QPoint(5, 1) << u"1301"_s << false << QString();
        QTest::newRow("row 11 looks row 12 up too")
            << QPoint(11, 1) << u"7203"_s << Cells{{12, 1, u"9984"_s}, {1, 1, u"1301"_s}}
            << Cells{{11, 2, u"トヨタ自動車"_s}, {12, 2, u"ソフトバンクグループ"_s}, {1, 2, {}}}
            << QPoint(1, 1) << u"1301"_s << false << QString();
        QTest::newRow("row 11, row 12 empty")
            << QPoint(11, 1) << u"1301"_s << Cells{} << Cells{{11, 2, u"極洋"_s}} << QPoint(12, 1)
            << QString() << false << QString();
        QTest::newRow("row 12 wraps") << QPoint(12, 1) << u"7203"_s << Cells{{1, 1, u"1301"_s}}
                                      << Cells{{12, 2, u"トヨタ自動車"_s}, {1, 2, {}}} << QPoint(1, 1)
                                      << u"1301"_s << false << QString();
        QTest::newRow("column 5 goes to the next row's code")
            << QPoint(4, 5) << QString()
            << Cells{{4, 1, u"7203"_s}, {4, 5, u"2135"_s}, {5, 1, u"1301"_s}, {5, 5, u"299"_s}}
            << Cells{{4, 2, u"トヨタ自動車"_s}, {4, 5, u"2135"_s}, {5, 5, u"299"_s}} << QPoint(5, 1)
            << u"1301"_s << false << QString();
        QTest::newRow("target column steps down") << QPoint(7, 10) << u"2500"_s << Cells{{8, 10, u"1,000"_s}}
                                                  << Cells{{7, 10, u"2500"_s}, {8, 10, u"1,000"_s}}
                                                  << QPoint(8, 10) << u"1,000"_s << false << QString();
        QTest::newRow("target column of row 12 stays")
            << QPoint(12, 10) << u"2500"_s << Cells{} << Cells{{12, 10, u"2500"_s}} << QPoint(12, 10)
            << u"2500"_s << false << QString();
        QTest::newRow("code not in the list") << QPoint(4, 1) << u"123"_s << Cells{} << Cells{{4, 1, {}}}
                                              << QPoint(5, 1) << QString() << false << u"該当なし"_s;
        QTest::newRow("five digits, not in the list")
            << QPoint(4, 1) << u"99999"_s << Cells{} << Cells{{4, 1, {}}} << QPoint(5, 1) << QString()
            << false << u"該当なし"_s;
        QTest::newRow("edited code keeps its name")
            << QPoint(4, 1) << QString() << Cells{{4, 1, u"7200"_s}, {4, 2, u"トヨタ"_s}}
            << Cells{{4, 1, u"7200"_s}, {4, 2, u"トヨタ"_s}} << QPoint(5, 1) << QString() << false
            << QString();
        QTest::newRow("missing code list")
            << QPoint(4, 1) << u"7203"_s << Cells{} << Cells{{4, 1, u"7203"_s}, {4, 2, {}}} << QPoint(5, 1)
            << QString() << true << u"見つかりません"_s;
    }
    void enterInTheBox()
    {
        QFETCH(QPoint, at);
        QFETCH(QString, typed);
        QFETCH(Cells, before);
        QFETCH(Cells, after);
        QFETCH(QPoint, current);
        QFETCH(QString, shown);
        QFETCH(bool, listMissing);
        QFETCH(QString, message);
        if (listMissing)
            QVERIFY(QFile::remove(listPath()));
        m_w->put(before);
        enter(at.x(), at.y(), typed);
        QCOMPARE(m_w->read(after), after);
        QCOMPARE(m_w->state(), (WindowState{current, QString::number(current.x()), shown,
                                            message.isEmpty() ? 0 : 1, 0, true}));
        QVERIFY(message.isEmpty() || m_w->fakes.dialogs.shown[0].text.contains(message));
    }

    // While the message is open a refresh packs the rows: only the rejected code may be emptied.
    void rejectionWhileRowsMove()
    {
        m_w->put(Cells{{1, 1, u"7203"_s}, {2, 1, u"6758"_s}, {7, 1, u"9984"_s}});
        m_w->fakes.dialogs.whileOpen = [this] {
            m_w->put(Cells{{12, 1, u"123"_s}, {4, 1, u"9984"_s}, {7, 1, {}}});
            m_w->select(4, grid::Code);
        };
        enter(4, grid::Code, u"123"_s);
        QCOMPARE(m_w->fakes.dialogs.shown.size(), 1);
        QCOMPARE(m_w->read(Cells{{1, 1, {}}, {2, 1, {}}, {12, 1, {}}, {4, 1, {}}}),
                 (Cells{{1, 1, u"7203"_s}, {2, 1, u"6758"_s}, {12, 1, {}}, {4, 1, u"9984"_s}}));
        m_w->fakes.dialogs.whileOpen = [this] {
            m_w->put(Cells{{5, 3, u"2,150"_s}});
            m_w->select(5, grid::Price); // another cell of the rejected row: the box shows it and keeps it
        };
        enter(5, grid::Code, u"123"_s);
        QCOMPARE(m_w->read(Cells{{5, 1, {}}, {5, 3, {}}}), (Cells{{5, 1, {}}, {5, 3, u"2,150"_s}}));
    }

    // A tick while a message is open waits for it: nothing is asked, no box stacks on it; the
    // message of a rejected code and that of a save alike.
    void tickWaitsForAnOpenBox()
    {
        m_w->put(Cells{{1, 1, u"7203"_s}});
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
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
        QApplication::sendEvent(grid(), &enter);
        QVERIFY(enter.isAccepted()); // taken by the grid, not passed on to the window
        QCOMPARE(grid()->cellText(row, col), u"2135"_s);
        QCOMPARE(grid()->cellText(row, grid::Price) + u'|' + grid()->cellText(row, grid::Change),
                 col == grid::PrevClose ? u"0|0"_s : u"| "_s);
        QCOMPARE(QPoint(grid()->row(), grid()->col()), next);
        QCOMPARE(box()->text() + u'|' + grid()->cellText(next.x(), next.y()),
                 next == at ? u"2135|2135"_s : u"1,234|1,234"_s);
        QCOMPARE(m_w->fakes.sound.beeps, 0);
    }

    // A left press is a click wherever released, stopping and handing the pressed cell to the box.
    // No cell is handed over from the header row: the box is left empty, attached to none.
    void mouse_data()
    {
        QTest::addColumn<Qt::MouseButton>("pressed");
        QTest::addColumn<Qt::MouseButton>("released");
        QTest::addColumn<QPoint>("from"); ///< (row, col) pressed
        QTest::addColumn<QPoint>("to");   ///< (row, col) released
        QTest::addColumn<QPoint>("current");
        QTest::addColumn<QString>("shown"); ///< the box afterwards
        QTest::addColumn<bool>("stopped");
        const Qt::MouseButton left = Qt::LeftButton, right = Qt::RightButton;
        QTest::newRow("released on another cell")
            << left << left << QPoint(2, 6) << QPoint(3, 12) << QPoint(2, 6) << u"1,234,500"_s << true;
        QTest::newRow("pressed on the current cell")
            << left << left << QPoint(1, 1) << QPoint(3, 12) << QPoint(1, 1) << u"7203"_s << true;
        QTest::newRow("on the first row")
            << left << left << QPoint(1, 6) << QPoint(1, 6) << QPoint(1, 6) << u"1,234,500"_s << true;
        QTest::newRow("on another row's code")
            << left << left << QPoint(3, 1) << QPoint(3, 1) << QPoint(3, 1) << u"7203"_s << true;
        QTest::newRow("on the header row")
            << left << left << QPoint(0, 3) << QPoint(0, 3) << QPoint(1, 1) << QString() << true;
        QTest::newRow("right button")
            << right << right << QPoint(2, 6) << QPoint(2, 6) << QPoint(1, 1) << u"7203"_s << false;
        QTest::newRow("right press, left release")
            << right << left << QPoint(2, 6) << QPoint(2, 6) << QPoint(1, 1) << u"7203"_s << false;
    }
    void mouse()
    {
        QFETCH(Qt::MouseButton, pressed);
        QFETCH(Qt::MouseButton, released);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QPoint, current);
        QFETCH(QString, shown);
        QFETCH(bool, stopped);
        const auto cell = [this](QPoint at) { return m_w->cellCenter(at.x(), at.y()); };
        for (int r = 0; r <= 3; ++r)
            fillRow(r, QuoteRow);
        QVERIFY(m_w->showActive());
        m_w->select(1, 1);
        m_w->fakes.http.setHolding(true); // running, and no page answers
        m_w->trigger(u"startRealTimeCommand"_s);
        QSignalSpy focused(grid(), &QuoteGrid::focusReceived);
        QTest::mousePress(grid()->viewport(), pressed, {}, cell(from));
        QTest::mouseMove(grid()->viewport(), cell(to));
        QTest::mouseRelease(grid()->viewport(), released, {}, cell(to));
        QTest::qWait(10);
        QCOMPARE(m_w->state(), (WindowState{current, QString::number(current.x()), shown, 0, 0, stopped}));
        QCOMPARE(grid()->selectedItems(),
                 QList<QTableWidgetItem*>{grid()->item(grid()->row(), grid()->col())});
        QVERIFY(box()->hasFocus() && focused.size() == 1); // the click's focus is handed on once
        for (int r = 0; r <= 3; ++r)                       // nothing written into a cell
            QCOMPARE(rowTexts(*grid(), r), QuoteRow);
    }

    void clickBesideTheCellsThenTyping_data()
    {
        QTest::addColumn<QPoint>("where"); ///< (row, col) of a fixed cell; none: below the last row
        QTest::newRow("the name caption") << QPoint(0, 2);
        QTest::newRow("the code caption") << QPoint(0, 1);
        QTest::newRow("a row number") << QPoint(3, 0);
        QTest::newRow("below the last row") << QPoint();
    }
    void clickBesideTheCellsThenTyping()
    {
        QFETCH(QPoint, where);
        const bool below = where.isNull();
        fillRow(1, {u"8306"_s, u"三菱UFJフィナンシャル・グループ(株)"_s, u"1,500"_s});
        const QStringList row1 = rowTexts(*grid(), 1);
        QVERIFY(m_w->showActive());
        m_w->select(1, grid::Code);
        QPoint at = below ? QPoint(m_w->cellCenter(12, 3).x(), grid()->viewport()->height() - 2)
                          : m_w->cellCenter(where.x(), where.y());
        QVERIFY(!below || !grid()->indexAt(at).isValid());
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::qWait(10);
        type(QApplication::focusWidget(), u"4300"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(rowTexts(*grid(), 1), row1);
        QCOMPARE(rowTexts(*grid(), 2), QStringList(12));
        QCOMPARE(m_w->state(), (WindowState{{1, 1}, u"1"_s, QString(), 0, 5, true}));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, m_w->cellCenter(2, grid::Code));
        QTest::qWait(10);
        type(QApplication::focusWidget(), u"7"_s);
        QCOMPARE(m_w->read({{1, 1, {}}, {2, 1, {}}}), (Cells{{1, 1, u"8306"_s}, {2, 1, u"7"_s}}));
    }

    // With the box on row 4's code, something else moves the current cell or writes the cell:
    // the box shows the cell current then, and a typed "2" lands there alone.
    void boxFollowsTheCurrentCell_data()
    {
        QTest::addColumn<QString>("change"); ///< "write", "move", "arrow down" or "beside"
        QTest::addColumn<QPoint>("at");      ///< the cell written, moved to, or made current again
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("row4Code"); ///< after typing "2"
        QTest::addColumn<QString>("row5Code");
        QTest::addColumn<QString>("row5Target");
        QTest::addColumn<QString>("shown");
        QTest::newRow("its cell written by another")
            << u"write"_s << QPoint(4, 1) << u"8411"_s << u"84112"_s << u"7203"_s << u"500"_s << u"84112"_s;
        QTest::newRow("moved by the program")
            << u"move"_s << QPoint(5, 10) << QString() << u"8306"_s << u"7203"_s << u"5002"_s << u"5002"_s;
        QTest::newRow("moved by an arrow key")
            << u"arrow down"_s << QPoint() << QString() << u"8306"_s << u"72032"_s << u"500"_s << u"72032"_s;
        QTest::newRow("unattached, then made current again")
            << u"beside"_s << QPoint(4, 1) << QString() << u"83062"_s << u"7203"_s << u"500"_s << u"83062"_s;
        QTest::newRow("moved to a fixed cell")
            << u"move"_s << QPoint(0, 1) << QString() << u"8306"_s << u"7203"_s << u"500"_s << QString();
    }
    void boxFollowsTheCurrentCell()
    {
        QFETCH(QString, change);
        QFETCH(QPoint, at);
        QFETCH(QString, written);
        QFETCH(QString, row4Code);
        QFETCH(QString, row5Code);
        QFETCH(QString, row5Target);
        QFETCH(QString, shown);
        const Cells names = {{4, 2, u"三菱UFJ"_s}, {5, 2, u"トヨタ自動車"_s}};
        m_w->put(names + Cells{{4, 1, u"8306"_s}, {5, 1, u"7203"_s}, {5, 10, u"500"_s}});
        m_w->select(4, grid::Code);
        if (change == u"beside"_s)
            Q_EMIT grid()->clickedBesideCells();
        if (change == u"write"_s)
            grid()->setCellText(at.x(), at.y(), written);
        else if (change == u"move"_s || change == u"beside"_s)
            grid()->setCurrent(at.x(), at.y());
        else
            QTest::keyClick(grid(), Qt::Key_Down);
        QCOMPARE(box()->text(), m_w->grid()->row() > 0 ? grid()->text() : QString());
        type(box(), u"2"_s);
        QCOMPARE(m_w->read({{4, 1, {}}, {5, 1, {}}, {5, 10, {}}}),
                 (Cells{{4, 1, row4Code}, {5, 1, row5Code}, {5, 10, row5Target}}));
        QCOMPARE(box()->text(), shown);
        if (shown.isEmpty()) // text put in a box that stands for no cell goes nowhere
            box()->setText(u"9"_s);
        QCOMPARE(m_w->read({{4, 1, {}}, {5, 1, {}}}), (Cells{{4, 1, row4Code}, {5, 1, row5Code}}));
        QCOMPARE(m_w->read(names), names);
    }

    // Enter after refresh ticks, to wherever the keyboard goes, leaves every code and name in place:
    // the box shows the cell the ticks made current, so it can write no other cell's text there.
    void enterAfterTicksKeepsTheRows_data()
    {
        QTest::addColumn<bool>("active");   ///< the window is shown and active (else never shown)
        QTest::addColumn<int>("enters");    ///< Enters pressed, a tick after each
        QTest::addColumn<int>("secondRow"); ///< the row 6758 stands in before the start packs the rows
        QTest::newRow("inactive window, one Enter") << false << 1 << 2;
        QTest::newRow("inactive window, Enters between ticks") << false << 3 << 2;
        QTest::newRow("inactive window, rows packed by the start") << false << 2 << 4;
        QTest::newRow("active window, Enters between ticks") << true << 3 << 2;
    }
    void enterAfterTicksKeepsTheRows()
    {
        QFETCH(bool, active);
        QFETCH(int, enters);
        QFETCH(int, secondRow);
        Window w;
        serveOldPages(w);
        QVERIFY(writeFile(w.fakes.config.dataFile(u"tousyou1.csv"_s),
                          cp932(u"7203,トヨタ自動車(株)\r\n6758,ソニー(株)\r\n"_s)));
        w.make();
        QVERIFY(!active || w.showActive());
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}, {secondRow, 1, u"6758"_s}}));
        const Cells rows = {
            {1, 1, u"7203"_s}, {1, 2, u"トヨタ自動車(株)"_s}, {2, 1, u"6758"_s}, {2, 2, u"ソニー(株)"_s}};
        for (int i = 0; i < enters; ++i) {
            w.tick();
            w.drain();
            // Keys go to the focused widget, or to the one that gets the focus when the window does.
            QWidget* keys = active ? QApplication::focusWidget() : w.form->focusWidget();
            QVERIFY(keys);
            QTest::keyClick(keys, Qt::Key_Return);
            QCOMPARE(w.read(rows), rows);
            QCOMPARE(w.box()->text(), w.grid()->text()); // the box shows the current cell
        }
        w.tick();
        w.drain();
        QCOMPARE(w.read(rows + Cells{{3, 1, {}}}), (rows + Cells{{3, 1, {}}}));
        QCOMPARE(w.box()->text(), w.grid()->text());
    }

    // Row 1's code cell is current at start-up, shown and handed to the box: the first digit goes there.
    void startUpMakesRowOneCurrent()
    {
        Window& w = *m_w;
        QuoteGrid* g = w.grid();
        QCOMPARE(QList<int>({g->row(), g->col(), g->currentRow(), g->currentColumn()}),
                 QList<int>({1, 1, 1, 1}));
        QCOMPARE(g->selectedItems(), QList<QTableWidgetItem*>{g->item(1, 1)});
        QCOMPARE(w.label(u"currentRowLabel"_s)->text(), u"1"_s);
        QTest::keyClick(w.box(), Qt::Key_7);
        QCOMPARE(w.read(Cells{{1, 1, {}}, {2, 1, {}}}), (Cells{{1, 1, u"7"_s}, {2, 1, {}}}));
    }
};

QTEST_MAIN(TestMainWindowEntry)
#include "tst_mainwindow_entry.moc"
