// The main window on fakes: the entry box at start-up and after refresh ticks.
#include "windowpages.h"

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestMainWindowEntry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        Window w;
        w.make();
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
