// What a screen reader hears of the main window's controls, and of the real window once built.

#include "charts/picturebox.h"
#include "mainwindow/accessiblenames.h"
#include "mainwindow/thumbcaption.h"
#include "windowprobe.h"

#include <QAccessible>
#include <QAccessibleTableCellInterface>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include <memory>

using namespace tickora;
using namespace tickora::test;

namespace {

/// The controls, unnamed, as the window makes them, and the names given to them.
struct Controls
{
    QWidget parent;
    SpokenControls spoken;

    Controls()
    {
        spoken.entryBox = new QLineEdit(&parent);
        spoken.quoteGrid = new QTableWidget(13, 13, &parent);
        spoken.indexChart = new PictureBox(&parent);
        spoken.statusLine = new QStatusBar(&parent);
        spoken.dateLabel = new QLabel(u"2026/12/09 "_s, &parent);
        spoken.realTimeStatus = new QLabel(u" リアルタイム株価表示中"_s, &parent);
        spoken.currentRowLabel = new QLabel(u"1"_s, &parent);
        spoken.nikkeiLine = new QLabel(u"日経平均 38,000.00"_s, &parent);
        for (int k = 0; k < 12; ++k) {
            spoken.thumbnails[k] = new PictureBox(&parent);
            spoken.thumbnailCaptions[k] = new ThumbCaption(&parent);
        }
        nameForScreenReaders(spoken);
    }

    QWidget* control(const QString& which) const
    {
        const std::map<QString, QWidget*> byName = {{u"entry box"_s, spoken.entryBox},
                                                    {u"quote grid"_s, spoken.quoteGrid},
                                                    {u"index chart"_s, spoken.indexChart},
                                                    {u"status line"_s, spoken.statusLine},
                                                    {u"date"_s, spoken.dateLabel},
                                                    {u"real-time status"_s, spoken.realTimeStatus},
                                                    {u"current row"_s, spoken.currentRowLabel},
                                                    {u"nikkei line"_s, spoken.nikkeiLine},
                                                    {u"first thumbnail"_s, spoken.thumbnails[0]},
                                                    {u"last thumbnail"_s, spoken.thumbnails[11]}};
        return byName.at(which);
    }
};

/// What a screen reader is told of `widget`: its name, then its description.
QString heard(QWidget* widget)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
    return a ? a->text(QAccessible::Name) + u" | "_s + a->text(QAccessible::Description) : u"nothing"_s;
}

} // namespace

class TestAccessibleNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlsAreNamed_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("heard");
        QTest::newRow("entry box speaks its tooltip") << u"entry box"_s << u"Code入力 | "_s;
        QTest::newRow("quote grid") << u"quote grid"_s << u"株価一覧 | "_s;
        QTest::newRow("index chart") << u"index chart"_s << u"日経平均のチャート | "_s;
        QTest::newRow("status line") << u"status line"_s << u"ステータス行 | "_s;
        QTest::newRow("date label says its text") << u"date"_s << u"2026/12/09  | 日付"_s;
        QTest::newRow("real-time status says its text")
            << u"real-time status"_s << u" リアルタイム株価表示中 | リアルタイム表示の状態"_s;
        QTest::newRow("current row says its number") << u"current row"_s << u"1 | 現在の行"_s;
        QTest::newRow("nikkei line says its text")
            << u"nikkei line"_s << u"日経平均 38,000.00 | 日経平均株価"_s;
        QTest::newRow("first thumbnail, slot 1") << u"first thumbnail"_s << u"チャート 1 | "_s;
        QTest::newRow("last thumbnail, slot 12") << u"last thumbnail"_s << u"チャート 12 | "_s;
    }
    void controlsAreNamed()
    {
        QFETCH(QString, control);
        QFETCH(QString, heard);
        Controls c;
        QCOMPARE(::heard(c.control(control)), heard);
    }

    void thumbnailFollowsItsCaption_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("description");
        QTest::newRow("named") << QStringList{u"トヨタ自動車"_s} << u"トヨタ自動車 のチャート"_s;
        QTest::newRow("renamed") << QStringList{u"トヨタ自動車"_s, u"ソニーグループ"_s}
                                 << u"ソニーグループ のチャート"_s;
        QTest::newRow("emptied") << QStringList{u"トヨタ自動車"_s, QString()} << QString();
        QTest::newRow("name like markup")
            << QStringList{u"<b>A&amp;B</b>"_s} << u"<b>A&amp;B</b> のチャート"_s;
    }
    void thumbnailFollowsItsCaption()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, description);
        Controls c;
        for (const QString& name : names)
            c.spoken.thumbnailCaptions[2]->setName(name);
        QCOMPARE(heard(c.spoken.thumbnails[2]), u"チャート 3 | "_s + description);
        QCOMPARE(heard(c.spoken.thumbnails[1]), u"チャート 2 | "_s); // its neighbours keep theirs
        QCOMPARE(heard(c.spoken.thumbnails[3]), u"チャート 4 | "_s);
    }

    void missingControlsAreSkipped()
    {
        SpokenControls none;
        nameForScreenReaders(none); // must not crash
        QWidget parent;
        none.nikkeiLine = new QLabel(u"x"_s, &parent);
        nameForScreenReaders(none);
        QCOMPARE(heard(none.nikkeiLine), u"x | 日経平均株価"_s);
    }

    // The real window: its grid's cells speak what they show, its controls carry their names.
    void windowIsNamed_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text");
        QTest::newRow("a caption of the header row") << 0 << 2 << u"      銘    柄"_s;
        QTest::newRow("a code") << 1 << 1 << u"7203"_s;
        QTest::newRow("an empty cell") << 4 << 3 << QString();
        QTest::newRow("the last cell") << 12 << 12 << u"12:34"_s;
    }
    void windowIsNamed()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, text);
        Window w;
        w.make();
        w.put({{1, 1, u"7203"_s}, {12, 12, u"12:34"_s}});
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(w.grid());
        QVERIFY(grid && grid->tableInterface());
        QAccessibleInterface* cell = grid->tableInterface()->cellAt(row, col);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), text);
        QCOMPARE(heard(w.grid()), u"株価一覧 | "_s);
        QCOMPARE(heard(w.box()), u"Code入力 | Code入力"_s); // its tooltip describes it too
        QCOMPARE(heard(w.child<PictureBox>(u"thumbnail0"_s)), u"チャート 1 | "_s);
        QCOMPARE(heard(w.form->statusBar()), u"ステータス行 | "_s);
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
