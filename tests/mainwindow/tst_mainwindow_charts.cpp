// The main window on fakes: thumbnails, the index chart and the chart windows.
#include "windowpages.h"

#include <QPointer>
#include <QRegularExpression>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestMainWindowCharts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Drawn charts: asked once per symbol and range, no images; windows name their row; slots start large.
    void drawnChartsFillTheWindow()
    {
        Window w;
        w.fakes.config.charts = ChartSource::Drawn;
        serveOldPages(w);
        const auto slot = [](ThumbCaption* c) { return std::pair(c->pos(), c->slotWidth()); };
        const auto before = slot(w.make().findChild<ThumbCaption*>(u"thumbnailCaption5"_s));
        for (const QString& symbol : {u"7203.T"_s, u"6758.T"_s, u"%5EN225"_s})
            for (const bool intraday : {true, false})
                w.fakes.http.serve(u"chart/%1?range=%2"_s.arg(symbol, intraday ? u"1d"_s : u"1y"_s),
                                   seriesJson(symbol, intraday, w.fakes.clock.date), 200, "application/json");
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}, {2, 1, u"6758"_s}}));
        w.tick();
        w.drain();
        for (const QString& name : {u"thumbnail0"_s, u"thumbnail1"_s, u"indexChart"_s})
            QVERIFY2(w.child<PictureBox>(name)->hasPicture(), qPrintable(name));
        QCOMPARE(w.child<PictureBox>(u"thumbnail0"_s)->frameStyle(), QFrame::Box | QFrame::Plain);
        QCOMPARE(slot(w.child<ThumbCaption>(u"thumbnailCaption5"_s)), before);
        // Every slot stands at its place, large on this screen, small on a screen of 800 lines.
        Window small;
        small.fakes.screen.size = QSize(1280, 800);
        serveOldPages(small);
        QVERIFY(start(small, Cells{{1, 1, u"7203"_s}}));
        QStringList places;
        for (Window* window : {&w, &small})
            for (const QString& name : {u"thumbnail0"_s, u"thumbnail6"_s, u"thumbnail11"_s})
                places << u"%1,%2"_s.arg(window->child<PictureBox>(name)->x())
                              .arg(window->child<PictureBox>(name)->y());
        QCOMPARE(places, QStringList({u"17,292"_s, u"623,492"_s, u"927,692"_s, u"57,292"_s, u"477,433"_s,
                                      u"687,576"_s}));
        QCOMPARE(w.child<PictureBox>(u"thumbnail1"_s)->accessibleName(), u"チャート 2"_s);
        Q_EMIT w.child<PictureBox>(u"thumbnail1"_s)->clicked();
        QPointer<QWidget> year;
        QTRY_VERIFY((year = w.form->findChild<QWidget*>(u"stockYearChart"_s)));
        QTRY_VERIFY(year->findChild<PictureBox*>(u"chartPicture"_s)->hasPicture());
        QCOMPARE(year->findChild<QLabel*>(u"chartNote"_s)->text() + u'|' + year->windowTitle(),
                 u"ソニー|REAL CHART  ソニー(株)"_s);
        QVERIFY(start(w) && !(year && year->isVisible()));             // a start closes it
        for (const QString& slot : {u"thumbnail1"_s, u"thumbnail0"_s}) // the first slot opens its row's too
            Q_EMIT w.child<PictureBox>(slot)->clicked();
        QStringList series;
        for (const HttpRequest& r : std::as_const(w.fakes.http.requests)) {
            const QString path = r.url.path();
            QVERIFY2(!QRegularExpression(u"^/([ftb]|gifdata)"_s).match(path).hasMatch(), qPrintable(path));
            if (path.startsWith(u"/v8/finance/chart/"_s))
                series << path.mid(18) + u' ' + r.url.query();
        }
        series.sort();
        QCOMPARE(series, QStringList({u"6758.T range=1d&interval=5m"_s, u"6758.T range=1y&interval=1d"_s,
                                      u"7203.T range=1d&interval=5m"_s, u"7203.T range=1y&interval=1d"_s,
                                      u"^N225 range=1d&interval=5m"_s}));
        // A tick closes the row's year and six months (from its caption), the market charts and the
        // settings, and keeps the current cell.
        Q_EMIT w.child<ThumbCaption>(u"thumbnailCaption0"_s)->clicked();
        for (const QString& opening :
             {u"nikkeiHalfYearCommand"_s, u"dowCommand"_s, u"dollarYenCommand"_s, u"settingsCommand"_s})
            w.trigger(opening);
        QList<QPointer<QWidget>> windows{settingsWindows().value(0)};
        for (const QString& name : {u"stockYearChart"_s, u"stockHalfYearChart"_s, u"nikkeiHalfYearChart"_s,
                                    u"dowChart"_s, u"dollarYenChart"_s}) {
            QTRY_VERIFY(w.form->findChild<QWidget*>(name) && w.form->findChild<QWidget*>(name)->isVisible());
            windows << w.form->findChild<QWidget*>(name);
        }
        for (const QString& name :
             {u"nikkeiHalfYearChart"_s, u"dollarYenChart"_s}) // where the market's chart windows stand
            QCOMPARE(w.form->findChild<QWidget*>(name)->pos(), QPoint(633, 33));
        w.grid()->setCurrent(3, grid::Price);
        w.tick();
        for (const QPointer<QWidget>& window : windows)
            QVERIFY(!window || !window->isVisible());
        w.drain();
        QCOMPARE(w.grid()->col(), int(grid::Price));
    }

    // Esc and Ctrl+W close a chart window; other keys leave it open.
    void chartWindowsCloseOnKeys_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Esc, the Dow")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(Qt::Key_Escape) << true;
        QTest::newRow("Ctrl+W, the Dow")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(u"Ctrl+W"_s) << true;
        QTest::newRow("Esc, dollar-yen")
            << u"dollarYenCommand"_s << u"dollarYenChart"_s << QKeySequence(Qt::Key_Escape) << true;
        QTest::newRow("Ctrl+W, Nikkei 6 months")
            << u"nikkeiHalfYearCommand"_s << u"nikkeiHalfYearChart"_s << QKeySequence(u"Ctrl+W"_s) << true;
        QTest::newRow("Ctrl+W, ratio")
            << u"advanceDeclineCommand"_s << u"advanceDeclineChart"_s << QKeySequence(u"Ctrl+W"_s) << true;
        QTest::newRow("the platform's close keys, the Dow")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(u"Ctrl+F4"_s) << true;
        QTest::newRow("W alone keeps it")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(u"W"_s) << false;
        QTest::newRow("Enter keeps it")
            << u"dowCommand"_s << u"dowChart"_s << QKeySequence(Qt::Key_Return) << false;
    }
    void chartWindowsCloseOnKeys()
    {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QFETCH(QKeySequence, keys);
        QFETCH(bool, closes);
        Window w;
        w.make();
        w.trigger(command);
        QPointer<QWidget> chart;
        QTRY_VERIFY((chart = w.form->findChild<QWidget*>(window)) && chart->isVisible());
        w.drain();
        QTest::keySequence(chart, keys);
        if (closes)
            QTRY_VERIFY(chart.isNull());
        else
            QVERIFY(chart && chart->isVisible());
    }

    // Drawn: the index chart beside the grid tells the Nikkei line's price and change as the line
    // shows them after the refresh, even when the day's series cannot be had.
    void drawnIndexChartTakesTheRefreshedLine()
    {
        Window w;
        w.fakes.config.charts = ChartSource::Drawn;
        serveOldPages(w);
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}}));
        w.drain();
        QVERIFY(w.label(u"nikkeiLine"_s)->text().startsWith(u"日経平均 12,283.62 (+193.16)"_s));
        PriceSeries day;
        day.symbol = u"^N225"_s;
        day.gmtOffset = TokyoGmtOffset;
        day.previousClose = 12283.62 - 193.16;
        const double value = 12283.62;
        day.bars.append({w.fakes.clock.now().toSecsSinceEpoch(), value, value, value, value, 0});
        ChartOptions o = intradayChartOptions(u"日経平均"_s);
        const DrawnChart expected = drawIntradayChart(day, drawnsize::IndexChart, o);
        QCOMPARE(expected.lastText, u"12,283.62 +193.16 (+1.60%)"_s);
        o.devicePixelRatio = w.form->devicePixelRatioF();
        QCOMPARE(w.child<PictureBox>(u"indexChart"_s)->picture(),
                 drawIntradayChart(day, drawnsize::IndexChart, o).image);
        QCOMPARE(QtPictures().load(w.fakes.config.dataFile(u"rel.jpg"_s)), expected.image);
    }

    // Drawn thumbnails, empty or filled, all have one size, border included.
    void drawnThumbnailsShareOneSize_data()
    {
        QTest::addColumn<int>("height"); ///< the screen's height in pixels
        QTest::newRow("large layout") << 1080;
        QTest::newRow("small layout") << 800;
    }
    void drawnThumbnailsShareOneSize()
    {
        QFETCH(int, height);
        Window w;
        w.fakes.config.charts = ChartSource::Drawn;
        w.fakes.screen.size = QSize(1280, height);
        serveOldPages(w);
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}, {2, 1, u"6758"_s}}));
        w.drain();
        const QSize drawn = height > 800 ? drawnsize::LargeThumbnail : drawnsize::SmallThumbnail;
        QStringList sizes;
        for (int k = 0; k < 12; ++k) {
            const PictureBox* thumb = w.child<PictureBox>(u"thumbnail%1"_s.arg(k));
            QCOMPARE(thumb->hasPicture(), k < 2);
            sizes << u"%1x%2"_s.arg(thumb->width()).arg(thumb->height());
        }
        QCOMPARE(sizes, QStringList(12, u"%1x%2"_s.arg(drawn.width() + 2).arg(drawn.height() + 2)));
    }
};

QTEST_MAIN(TestMainWindowCharts)
#include "tst_mainwindow_charts.moc"
