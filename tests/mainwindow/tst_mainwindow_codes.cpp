// The main window on fakes: Enter in the box and in the grid, and the messages of refused codes.
#include "entryfixture.h"

#include <QFile>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestMainWindowCodes : public EntryTest
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
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(grid()->cellText(row, col), u"2135"_s);
        QCOMPARE(grid()->cellText(row, grid::Price) + u'|' + grid()->cellText(row, grid::Change),
                 col == grid::PrevClose ? u"0|0"_s : u"| "_s);
        QCOMPARE(QPoint(grid()->row(), grid()->col()), next);
        QCOMPARE(box()->text() + u'|' + grid()->cellText(next.x(), next.y()),
                 next == at ? u"2135|2135"_s : u"1,234|1,234"_s);
        QCOMPARE(m_w->fakes.sound.beeps, 0);
    }
};

QTEST_MAIN(TestMainWindowCodes)
#include "tst_mainwindow_codes.moc"
