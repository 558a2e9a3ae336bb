// A start of the refresh on the real main window with fake services: the quotes, chimes and
// Nikkei line it writes, a stop during the pass, a failed page, and page text shown as text.
#include "mainwindow/form1.h"
#include "support/fakes.h"
#include "windowprobe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray quotePage(const QString& name)
{
    QFile f(QString::fromUtf8(TICKORA_QUOTE_PAGES "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing page %s", qPrintable(name));
    return f.readAll();
}

const QString NikkeiPage = u"<html><div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"
                           "<a class=\"cmn-indexes_index_link\" href=\"/n\">前日比</a>(+193.16)</html>"_s;

/// Starts the refresh from the menu and waits until its last step, the Nikkei line, is done.
bool startAndWait(Form1& w)
{
    QLabel* line = labelOf(w, u"Label4"_s);
    line->clear();
    actionOf(w, u"menu3"_s)->trigger();
    return QTest::qWaitFor([&] { return !line->text().isEmpty(); }, 5000);
}

} // namespace

class TestWindowRefresh : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startFillsTheWindow()
    {
        FakeServices fakes;
        fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
        fakes.http.serve(u"code=6758"_s, quotePage(u"detail_6758_delayed_down.html"_s));
        fakes.http.serve(u"/nkave"_s, NikkeiPage.toUtf8());
        Form1 w(fakes.services());
        QuoteGrid* g = gridOf(w);
        g->setCellText(1, grid::Code, u"7203"_s);
        g->setCellText(2, grid::Code, u"6758"_s);
        g->setCellText(1, grid::SellTarget, u"5400"_s);
        QVERIFY(startAndWait(w));
        QCOMPARE(g->cellText(1, grid::Price), u"5,430"_s);
        QCOMPARE(g->cellText(2, grid::Change), u"-3"_s);
        QCOMPARE(labelOf(w, u"Label5"_s)->text(), u"2"_s);
        QCOMPARE(g->row(), 2);
        QCOMPARE(labelOf(w, u"Label4"_s)->text(), u"日経平均 12,283.62 (+193.16) "_s);
        QCOMPARE(fakes.sound.played, QStringList{fakes.config.dataFile(u"chimes.wav"_s)});
        QVERIFY(timerOf(w)->isActive());
        QVERIFY(fakes.dialogs.shown.isEmpty());
        // Muted, the next tick chimes no more.
        child<QCheckBox>(w, u"Check1"_s)->setChecked(true);
        fakes.sound.played.clear();
        labelOf(w, u"Label4"_s)->clear();
        tick(w);
        QTRY_VERIFY(!labelOf(w, u"Label4"_s)->text().isEmpty());
        QVERIFY(fakes.sound.played.isEmpty());
    }

    void stopDuringPassLeavesTheUsersCell()
    {
        FakeServices fakes;
        fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
        fakes.http.setHolding(true);
        Form1 w(fakes.services());
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QuoteGrid* g = gridOf(w);
        g->setCellText(1, grid::Code, u"7203"_s);
        g->setCellText(2, grid::Code, u"7203"_s);
        actionOf(w, u"menu3"_s)->trigger();
        // The user clicks row 1's price while the pages are on their way.
        const QRect cell = g->visualItemRect(g->item(1, grid::Price));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(!timerOf(w)->isActive());
        for (int i = 0; i < 20 && fakes.http.held() > 0; ++i) {
            fakes.http.releaseAll();
            QTest::qWait(5);
        }
        QCOMPARE(g->cellText(2, grid::Price), u"5,430"_s); // quotes still written
        QCOMPARE(g->row(), 1);
        QCOMPARE(g->col(), int(grid::Price));
        QCOMPARE(labelOf(w, u"Label5"_s)->text(), u"1"_s);
        QCOMPARE(boxOf(w)->text(), u"5,430"_s); // the box shows the cell's new quote
        QVERIFY(fakes.dialogs.shown.isEmpty()); // the later steps never ran
        QVERIFY(!timerOf(w)->isActive());
    }

    void failedPageEndsThePassWithOneMessage()
    {
        FakeServices fakes;
        fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
        fakes.http.serve(u"code=1111"_s, "gone", 404);
        fakes.http.serve(u"/nkave"_s, NikkeiPage.toUtf8());
        Form1 w(fakes.services());
        QuoteGrid* g = gridOf(w);
        for (int r = 1; r <= 3; ++r)
            g->setCellText(r, grid::Code, r == 2 ? u"1111"_s : u"7203"_s);
        g->setCellText(3, grid::Price, u"old"_s);
        QVERIFY(startAndWait(w));
        QCOMPARE(fakes.dialogs.shown.size(), 1);
        QCOMPARE(fakes.dialogs.shown[0].title, u"Error!"_s);
        QCOMPARE(fakes.dialogs.shown[0].text, u"URL読み込みに失敗しました"_s);
        QCOMPARE(labelOf(w, u"Label5"_s)->text(), u"1"_s);
        QCOMPARE(g->cellText(3, grid::Price), u"old"_s);
        QVERIFY(timerOf(w)->isActive());
    }

    // Tags and entities in page values show as the characters they are: the picture they name
    // is never loaded or drawn.
    void pageMarkupShowsAsText()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(u"green.png"_s);
        QImage green(24, 8, QImage::Format_RGB32);
        green.fill(Qt::green);
        QVERIFY(green.save(picture));
        const QString markup = u"<img src=\"%1\"><i>1</i>&lt;"_s.arg(picture);
        QString nikkei = NikkeiPage;
        nikkei.replace(u"12,283.62"_s, markup);
        QByteArray quote = quotePage(u"detail_7203_realtime_up.html"_s);
        quote.replace("トヨタ自動車(株)</h1>", QByteArray(markup.toUtf8() + "</h1>"));
        FakeServices fakes;
        fakes.http.serve(u"/nkave"_s, nikkei.toUtf8());
        fakes.http.serve(u"code=7203"_s, quote);
        Form1 w(fakes.services());
        gridOf(w)->setCellText(1, grid::Code, u"7203"_s);
        QVERIFY(startAndWait(w));
        QCOMPARE(labelOf(w, u"Label4"_s)->text(), u"日経平均 "_s + markup + u" (+193.16) "_s);
        QCOMPARE(gridOf(w)->cellText(1, grid::Name), markup);
        QCOMPARE(child<QLabel>(w, u"Label1_0"_s)->text(), markup);
        w.resize(1600, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const QString& name : {u"Label4"_s, u"MSFlexGrid1"_s, u"Label1_0"_s}) {
            const QImage drawn =
                child<QWidget>(w, name)->grab().toImage().convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    QVERIFY2(drawn.pixel(x, y) != QColor(Qt::green).rgb(), qPrintable(name));
        }
    }
};

QTEST_MAIN(TestWindowRefresh)
#include "tst_form1refresh.moc"
