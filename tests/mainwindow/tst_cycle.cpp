// The refresh cycle: start, stop, the tick's trading-hours questions, packing and the thumbnail
// layout tables.
#include "charts/picturebox.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"
#include "mainwindow/thumblayout.h"
#include "support/fakes.h"
#include "windowprobe.h"

#include <QApplication>
#include <QFile>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

bool statusBarIsBlack(const Form1& form)
{
    return labelOf(form, u"Label3"_s)->palette().color(QPalette::Window) == QColor(Qt::black);
}

bool statusBarIsRunning(const Form1& form)
{
    return labelOf(form, u"Label3"_s)->palette().color(QPalette::Window) == QColor(Qt::yellow) &&
           labelOf(form, u"Label3"_s)->text() == u" リアルタイム株価表示中"_s;
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
    Q_UNUSED(form);
    for (int i = 0; i < 50 && (i < 3 || fakes.http.held() > 0); ++i) {
        fakes.http.releaseAll();
        QTest::qWait(5);
    }
}

} // namespace

enum class StopKind
{
    Command,
    GridClick,
    Help,
    Settings,
    MarketChart
};
Q_DECLARE_METATYPE(StopKind)

class TestCycle : public QObject
{
    Q_OBJECT
private Q_SLOTS:

    void startPacksRowsAndRuns()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        QuoteGrid* g = gridOf(form);
        g->setCellText(1, grid::Code, u"1301"_s);
        g->setCellText(3, grid::Code, u"7203"_s);
        g->setCellText(3, grid::SellTarget, u"2,500"_s);
        g->setCellText(4, grid::Name, u"stray"_s); // a row without a code counts as empty
        g->setCellText(5, grid::Code, u"6758"_s);
        g->setCellText(5, grid::BuyTarget, u"900"_s);
        actionOf(form, u"menu3"_s)->trigger();
        QCOMPARE(g->cellText(1, grid::Code), u"1301"_s);
        QCOMPARE(g->cellText(2, grid::Code), u"7203"_s);
        QCOMPARE(g->cellText(2, grid::SellTarget), u"2,500"_s);
        QCOMPARE(g->cellText(3, grid::Code), u"6758"_s);
        QCOMPARE(g->cellText(3, grid::BuyTarget), u"900"_s);
        for (int r = 4; r <= 5; ++r)
            for (int c = grid::Code; c <= grid::Time; ++c)
                QVERIFY2(g->cellText(r, c).isEmpty(), qPrintable(u"row %1 col %2"_s.arg(r).arg(c)));
        QVERIFY(timerOf(form)->isActive());
        QVERIFY(statusBarIsRunning(form));
    }

    void stopKeepsTheCaption()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        gridOf(form)->setCellText(1, grid::Code, u"7203"_s);
        actionOf(form, u"menu3"_s)->trigger();
        drain(fakes, form);
        actionOf(form, u"menu4"_s)->trigger();
        QVERIFY(!timerOf(form)->isActive());
        QVERIFY(statusBarIsBlack(form));
        QCOMPARE(labelOf(form, u"Label3"_s)->text(), u" リアルタイム株価表示中"_s);
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
        gridOf(form)->setCellText(1, grid::Code, u"7203"_s);
        gridOf(form)->setCellText(3, grid::Code, u"6758"_s);
        timerOf(form)->start();
        tick(form);
        QVERIFY(fakes.http.held() > 0); // the tick waits for the network
        // A start queued behind the tick: the stop cancels it.
        actionOf(form, u"menu3"_s)->trigger();
        switch (kind) {
        case StopKind::Command:
            actionOf(form, u"menu4"_s)->trigger();
            break;
        case StopKind::GridClick:
            Q_EMIT gridOf(form)->clicked();
            break;
        case StopKind::Help:
            actionOf(form, u"menu8"_s)->trigger();
            break;
        case StopKind::Settings:
            actionOf(form, u"menu1"_s)->trigger();
            break;
        case StopKind::MarketChart:
            actionOf(form, u"menu7"_s)->trigger();
            break;
        }
        QVERIFY(!timerOf(form)->isActive());
        drain(fakes, form);
        QVERIFY(!timerOf(form)->isActive());
        QVERIFY(statusBarIsBlack(form));
        // Not packed (settings empties the grid).
        if (kind != StopKind::Settings)
            QCOMPARE(gridOf(form)->cellText(3, grid::Code), u"6758"_s);
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
        QuoteGrid* grid = gridOf(form);
        grid->setCellText(1, grid::Code, u"7203"_s);
        grid->setCellText(2, grid::Code, u"6758"_s);
        grid->setCellText(5, grid::Code, u"9984"_s);
        timerOf(form)->start();
        tick(form);
        actionOf(form, u"menu3"_s)->trigger();
        bool packedUnderTheBox = false;
        fakes.dialogs.whileOpen = [&] {
            drain(fakes, form);
            packedUnderTheBox = grid->cellText(3, grid::Code) == u"1234"_s;
        };
        grid->setCurrent(4, grid::Code);
        Q_EMIT gridOf(form)->focusReceived();
        QTest::keyClicks(boxOf(form), u"1234"_s);
        QTest::keyClick(boxOf(form), Qt::Key_Return);
        QCOMPARE(fakes.dialogs.shown.size(), 1);
        QVERIFY(!packedUnderTheBox);
        fakes.dialogs.whileOpen = {};
        QTest::qWait(10); // the start runs once the box is closed
        drain(fakes, form);
        QStringList codes;
        for (int r = 1; r <= 5; ++r)
            codes << grid->cellText(r, grid::Code);
        QCOMPARE(codes, QStringList({u"7203"_s, u"6758"_s, u"9984"_s, QString(), QString()}));
        QVERIFY(timerOf(form)->isActive());
    }

    void tickStartsEveryRequestAtOnceAndAsksOnlyOnce()
    {
        FakeServices fakes;
        fakes.http.setHolding(true);
        Form1 form(fakes.services());
        const QStringList codes = {u"7203"_s, u"6758"_s, u"9984"_s};
        for (int r = 0; r < codes.size(); ++r)
            gridOf(form)->setCellText(r + 1, grid::Code, codes[r]);
        timerOf(form)->start();
        tick(form);
        // Three quote pages, three thumbnails, the index chart and the Nikkei page.
        QCOMPARE(fakes.http.requests.size(), 8);
        drain(fakes, form);
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
        actionOf(form, u"en"_s)->trigger();    // dollar-yen window, leaves the cycle running
        actionOf(form, u"menu1"_s)->trigger(); // settings window
        QTRY_VERIFY(windowOpen(u"Form12"_s));
        QVERIFY(windowOpen(u"Form6"_s));
        timerOf(form)->start();
        tick(form);
        QVERIFY(!windowOpen(u"Form12"_s));
        QVERIFY(!windowOpen(u"Form6"_s));
        drain(fakes, form);
    }
};

QTEST_MAIN(TestCycle)
#include "tst_cycle.moc"
