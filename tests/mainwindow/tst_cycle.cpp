// The refresh cycle: start, stop, the tick's trading-hours questions, packing and the thumbnail
// layout tables.
#include "charts/picturebox.h"
#include "fakes/fakes.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"
#include "mainwindow/thumblayout.h"

#include <QApplication>
#include <QFile>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

bool statusBarIsBlack(const Form1& form)
{
    return form.Label3->palette().color(QPalette::Window) == QColor(Qt::black);
}

bool statusBarIsRunning(const Form1& form)
{
    return form.Label3->palette().color(QPalette::Window) == QColor(Qt::yellow)
        && form.Label3->text() == u" リアルタイム株価表示中"_s;
}

bool windowOpen(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return true;
    return false;
}

// Answers every request held by the fake, also those that the answers start, until the work ends.
void drain(FakeServices& fakes, const Form1& form)
{
    for (int i = 0; i < 50 && (form.cycleBusy() || fakes.http.held() > 0); ++i) {
        fakes.http.releaseAll();
        QTest::qWait(5);
    }
}

} // namespace

enum class StopKind { Command, GridClick, Help, Settings, MarketChart };
Q_DECLARE_METATYPE(StopKind)

class TestCycle : public QObject
{
    Q_OBJECT
private Q_SLOTS:




    void startPacksRowsAndRuns()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        QuoteGrid* g = form.MSFlexGrid1;
        g->setCellText(1, grid::Code, u"1301"_s);
        g->setCellText(3, grid::Code, u"7203"_s);
        g->setCellText(3, grid::SellTarget, u"2,500"_s);
        g->setCellText(4, grid::Name, u"stray"_s); // a row without a code counts as empty
        g->setCellText(5, grid::Code, u"6758"_s);
        g->setCellText(5, grid::BuyTarget, u"900"_s);
        form.menu3->trigger();
        QCOMPARE(g->cellText(1, grid::Code), u"1301"_s);
        QCOMPARE(g->cellText(2, grid::Code), u"7203"_s);
        QCOMPARE(g->cellText(2, grid::SellTarget), u"2,500"_s);
        QCOMPARE(g->cellText(3, grid::Code), u"6758"_s);
        QCOMPARE(g->cellText(3, grid::BuyTarget), u"900"_s);
        for (int r = 4; r <= 5; ++r)
            for (int c = grid::Code; c <= grid::Time; ++c)
                QVERIFY2(g->cellText(r, c).isEmpty(), qPrintable(u"row %1 col %2"_s.arg(r).arg(c)));
        QVERIFY(form.Timer1->isActive());
        QVERIFY(statusBarIsRunning(form));
    }

    void stopKeepsTheCaption()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        form.MSFlexGrid1->setCellText(1, grid::Code, u"7203"_s);
        form.menu3->trigger();
        QTRY_VERIFY(!form.cycleBusy());
        form.menu4->trigger();
        QVERIFY(!form.Timer1->isActive());
        QVERIFY(statusBarIsBlack(form));
        QCOMPARE(form.Label3->text(), u" リアルタイム株価表示中"_s);
    }

    void stopHoldsWhileATickWaitsForTheNetwork_data()
    {
        QTest::addColumn<StopKind>("kind");
        QTest::newRow("stop command") << StopKind::Command;
        QTest::newRow("grid click") << StopKind::GridClick;
        QTest::newRow("help") << StopKind::Help;
        QTest::newRow("settings") << StopKind::Settings;
        QTest::newRow("market chart command") << StopKind::MarketChart;
    }
    void stopHoldsWhileATickWaitsForTheNetwork()
    {
        QFETCH(StopKind, kind);
        FakeServices fakes;
        fakes.http.setHolding(true);
        Form1 form(fakes.services());
        form.MSFlexGrid1->setCellText(1, grid::Code, u"7203"_s);
        form.MSFlexGrid1->setCellText(3, grid::Code, u"6758"_s);
        form.Timer1->start();
        form.Timer1_Timer();
        QVERIFY(form.cycleBusy());
        QVERIFY(fakes.http.held() > 0); // the tick waits for the network
        // A start queued behind the tick: the stop cancels it.
        form.menu3->trigger();
        switch (kind) {
        case StopKind::Command:
            form.menu4->trigger();
            break;
        case StopKind::GridClick:
            form.MSFlexGrid1_Click();
            break;
        case StopKind::Help:
            form.menu8->trigger();
            break;
        case StopKind::Settings:
            form.menu1->trigger();
            break;
        case StopKind::MarketChart:
            form.menu7->trigger();
            break;
        }
        QVERIFY(!form.Timer1->isActive());
        drain(fakes, form);
        QVERIFY(!form.cycleBusy());
        QVERIFY(!form.Timer1->isActive());
        QVERIFY(statusBarIsBlack(form));
        // Not packed (settings empties the grid).
        if (kind != StopKind::Settings)
            QCOMPARE(form.MSFlexGrid1->cellText(3, grid::Code), u"6758"_s);
    }

    void queuedStartWaitsForAnOpenBox()
    {
        // The tick ends while the rejection of a code is open; the start queued behind the tick
        // must not pack the rows under the box, or the wrong row's code is emptied.
        FakeServices fakes;
        QFile list(fakes.config.dataFile(u"tousyou1.csv"_s));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("7203,A\r\n6758,B\r\n9984,C\r\n");
        list.close();
        fakes.http.setHandler([](const HttpRequest&) { return HttpResponse{200, "<html></html>", {}, {}}; });
        fakes.http.setHolding(true);
        Form1 form(fakes.services());
        QuoteGrid* grid = form.MSFlexGrid1;
        grid->setCellText(1, grid::Code, u"7203"_s);
        grid->setCellText(2, grid::Code, u"6758"_s);
        grid->setCellText(5, grid::Code, u"9984"_s);
        form.Timer1->start();
        form.Timer1_Timer();
        form.menu3->trigger();
        bool packedUnderTheBox = false;
        fakes.dialogs.whileOpen = [&] {
            drain(fakes, form);
            packedUnderTheBox = grid->cellText(3, grid::Code) == u"1234"_s;
        };
        grid->setCurrent(4, grid::Code);
        form.MSFlexGrid1_GotFocus();
        QTest::keyClicks(form.Text1, u"1234"_s);
        QTest::keyClick(form.Text1, Qt::Key_Return);
        QCOMPARE(fakes.dialogs.shown.size(), 1);
        QVERIFY(!packedUnderTheBox);
        fakes.dialogs.whileOpen = {};
        QTRY_VERIFY(form.cycleBusy()); // the start runs once the box is closed
        drain(fakes, form);
        QStringList codes;
        for (int r = 1; r <= 5; ++r)
            codes << grid->cellText(r, grid::Code);
        QCOMPARE(codes, QStringList({u"7203"_s, u"6758"_s, u"9984"_s, QString(), QString()}));
        QVERIFY(form.Timer1->isActive());
    }



    void tickStartsEveryRequestAtOnceAndAsksOnlyOnce()
    {
        FakeServices fakes;
        fakes.http.setHolding(true);
        Form1 form(fakes.services());
        const QStringList codes = {u"7203"_s, u"6758"_s, u"9984"_s};
        for (int r = 0; r < codes.size(); ++r)
            form.MSFlexGrid1->setCellText(r + 1, grid::Code, codes[r]);
        form.Timer1->start();
        form.Timer1_Timer();
        // Three quote pages, three thumbnails, the index chart and the Nikkei page.
        QCOMPARE(fakes.http.requests.size(), 8);
        drain(fakes, form);
        QVERIFY(!form.cycleBusy());
        QCOMPARE(fakes.http.requests.size(), 8); // every step took its prefetched answer
        QStringList paths;
        for (const HttpRequest& r : fakes.http.requests)
            paths << r.url.path();
        QCOMPARE(paths.count(u"/stocks/detail/"_s), 3);
        QCOMPARE(paths.count(u"/f"_s), 3);
        QCOMPARE(paths.count(u"/nkave"_s), 1);
        QCOMPARE(paths.count(u"/gifdata/nk_chart_L.gif"_s), 1);
    }

    void tickClosesSecondaryWindows()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        form.en->trigger(); // dollar-yen window, leaves the cycle running
        form.menu1->trigger(); // settings window
        QTRY_VERIFY(windowOpen(u"Form12"_s));
        QVERIFY(windowOpen(u"Form6"_s));
        form.Timer1->start();
        form.Timer1_Timer();
        QVERIFY(!windowOpen(u"Form12"_s));
        QVERIFY(!windowOpen(u"Form6"_s));
        drain(fakes, form);
    }



    void firstThumbnailIsPlacedEvenWithNoRows()
    {
        QVERIFY(!usesLargeThumbs(800));
        QVERIFY(usesLargeThumbs(801));
        FakeServices fakes;
        fakes.screen.size = QSize(1024, 768);
        Form1 form(fakes.services());
        form.watchCount = 0;
        const QPoint second = form.Image1[1]->pos();
        form.LayoutThumbs();
        QCOMPARE(form.Image1[0]->pos(), QPoint(qRound(850 / 15.0), qRound(4380 / 15.0)));
        QCOMPARE(form.Image1[1]->pos(), second);
    }
};

QTEST_MAIN(TestCycle)
#include "tst_cycle.moc"
