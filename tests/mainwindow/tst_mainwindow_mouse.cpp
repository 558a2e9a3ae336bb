// The main window on fakes: the mouse on the grid, and the box following the current cell.
#include "entryfixture.h"

#include <QSignalSpy>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestMainWindowMouse : public EntryTest
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(makeWindow()); }
    void cleanup() { m_w.reset(); }

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
        QCOMPARE(m_w->read(names), names);
    }
};

QTEST_MAIN(TestMainWindowMouse)
#include "tst_mainwindow_mouse.moc"
