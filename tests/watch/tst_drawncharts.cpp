// The chart routines with drawn charts: day charts, series asked for, pixel ratio, the index line.
#include "chartroutinesfixture.h"

using namespace tickora;
using namespace tickora::test;

class TestDrawnCharts : public ChartRoutinesFixture
{
    Q_OBJECT
private Q_SLOTS:
    void init() { setUp(); }

    // Drawn day charts: a series a day, then grid prices and the Nikkei line in session; 429 holds.
    void drawnDayCharts_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("pixelsY");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QDate>("day");
        const QDate tuesday(2013, 3, 5);
        QTest::newRow("series") << 200 << 1080 << QTime(10, 0) << tuesday;
        QTest::newRow("large thumbnails, at the close") << 404 << 801 << QTime(15, 30, 59) << tuesday;
        QTest::newRow("small thumbnails, after the close") << 404 << 800 << QTime(15, 31) << tuesday;
        QTest::newRow("before the open") << 404 << 1080 << QTime(8, 59) << tuesday;
        QTest::newRow("429, at the open") << 429 << 1080 << QTime(9, 0) << tuesday;
        QTest::newRow("morning's last minute") << 404 << 1080 << QTime(11, 30, 59) << tuesday;
        QTest::newRow("lunch break") << 404 << 1080 << QTime(11, 31) << tuesday;
        QTest::newRow("afternoon") << 404 << 1080 << QTime(12, 30) << tuesday;
        QTest::newRow("a Sunday") << 404 << 1080 << QTime(10, 0) << QDate(2013, 3, 3);
    }
    void drawnDayCharts()
    {
        QFETCH(int, status);
        QFETCH(int, pixelsY);
        QFETCH(QTime, time);
        QFETCH(QDate, day);
        // The day charts span the exchange's day with the lunch break as a gap.
        const ChartOptions o = intradayChartOptions(u"日経平均"_s);
        QCOMPARE(QList<int>({o.sessionStartMinute, o.breakStartMinute, o.breakEndMinute, o.sessionEndMinute}),
                 QList<int>({9 * 60, 11 * 60 + 30, 12 * 60 + 30, 15 * 60 + 30}));
        QCOMPARE(o.title, u"日経平均"_s);
        const bool lineTaken = day.dayOfWeek() < 6 && time >= QTime(9, 0) && time < QTime(15, 31) &&
                               (time < QTime(11, 31) || time >= QTime(12, 30));
        const bool held = status == 429;
        const Services s = services(true);
        ChartRoutines charts(s, m_host);
        if (status != 200)
            m_failing = {u"/v8/"_s};
        m_failure = HttpResponse{status, {}, {}, {{"Retry-After", "120"}}, {}};
        m_host.pixelsY = pixelsY;
        m_host.clock = QDateTime(day, time, japanZone());
        m_host.line = u"日経平均 12,000.50 (+20.25) "_s;
        m_host.fill({u"1301"_s, u"1302"_s});
        m_host.rows = 3; // the third row is empty, its slot still shows an earlier chart
        m_host.thumbs[2] = QImage(4, 4, QImage::Format_RGB32);
        m_host.captions[3] = u"kept"_s; // beyond the watched rows
        m_host.cells.setCellText(1, grid::Price, u"---"_s);
        auto tick = [&] {
            const bool done = run([&](auto then) { charts.refreshThumbnails(then); }) &&
                              run([&](auto then) { charts.refreshIndexChart(then); });
            charts.indexLineRefreshed(); // the Nikkei line's step comes after the index chart
            return done;
        };
        QVERIFY(tick());
        QCOMPARE(m_host.code, u"1302"_s);         // the last watched code is the one a chart is shown for
        QCOMPARE(seriesRequests(), held ? 2 : 3); // the thumbnails' all at once, before the first answer
        QCOMPARE(m_host.held, held ? QList<QDateTime>({m_host.clock.addSecs(120)}) : QList<QDateTime>());
        // Each answer is told, a hold started by the first 429 only.
        QCOMPARE(m_host.seriesAnswers.value(0), std::pair(status, held));
        QCOMPARE(m_host.seriesAnswers.value(1), std::pair(held ? 429 : status, false));
        const QSize size = pixelsY > 800 ? drawnsize::LargeThumbnail : drawnsize::SmallThumbnail;
        QCOMPARE(m_host.thumbs[0] == drawEmptyChart(ChartKind::Intraday, size, u"1301"_s).image,
                 status != 200);
        QVERIFY(m_host.thumbs[1] != drawEmptyChart(ChartKind::Intraday, size, u"1302"_s).image &&
                m_host.thumbs[2].isNull() && m_host.captions[3] == u"kept"_s);
        QCOMPARE(m_host.market !=
                     drawEmptyChart(ChartKind::Intraday, drawnsize::IndexChart, u"日経平均"_s).image,
                 lineTaken);
        QCOMPARE(m_fakes->pictures.load(m_fakes->config.dataFile(u"yahoo.jpg"_s)), m_host.thumbs[1]);
        QCOMPARE(m_fakes->pictures.load(m_fakes->config.dataFile(u"rel.jpg"_s)), m_host.market);
        QVERIFY(run([&](auto then) { charts.showYearChart(u"1301"_s, then); }));
        QCOMPARE(seriesRequests(), held ? 2 : 4);
        // Once the hold is over, the refused series are asked for again, once; the next day, all of them.
        m_failing.clear();
        m_host.clock = m_host.clock.addSecs(121);
        QVERIFY(tick() && tick());
        QCOMPARE(seriesRequests(), held ? 5 : 4);
        m_host.clock = m_host.clock.addDays(1);
        QVERIFY(tick() && tick());
        QCOMPARE(seriesRequests(), held ? 8 : 7);
    }

    // The series each drawn routine asks for, always with a cap.
    void drawnSeriesRequests()
    {
        const Services s = services(true);
        ChartRoutines charts(s, m_host);
        QVERIFY(run([&](auto then) { charts.showSixMonthChart(u"7203"_s, then); }));
        QImage comparison; // the market chart is drawn over by the index chart that follows
        // Of the Nikkei's six months and the ratio, which window each routine leaves open.
        QList<std::pair<bool, bool>> left;
        const QImage earlier(1, 1, QImage::Format_RGB32);
        for (auto routine : {&ChartRoutines::showNikkeiSixMonthChart, &ChartRoutines::showDowChart,
                             &ChartRoutines::showDollarYenChart, &ChartRoutines::showNyNikkeiChart,
                             &ChartRoutines::refreshIndexChart, &ChartRoutines::showAdvanceDeclineChart}) {
            m_host.shown[Window::NikkeiSixMonth] = m_host.shown[Window::AdvanceDecline] = earlier;
            QVERIFY(run([&](auto then) { (charts.*routine)(then); }));
            if (routine == &ChartRoutines::showNyNikkeiChart)
                comparison = m_host.market;
            left.append({m_host.shown[Window::NikkeiSixMonth] == earlier,
                         m_host.shown[Window::AdvanceDecline] == earlier});
        }
        const std::pair<bool, bool> none{false, false}, both{true, true};
        QCOMPARE(left, (QList<std::pair<bool, bool>>{none, both, both, both, none, none}));
        // The Dow's and the comparison's pictures show the last three months of the year asked for.
        const auto year = [&](const QString& symbol) {
            return *readChartJson(seriesJson(symbol, false, m_host.clock.date()));
        };
        ChartOptions o{u"NYダウ工業株30種平均 (^DJI)  3ヶ月"_s, 2};
        o.windowDays = 92;
        QCOMPARE(m_host.shown[Window::Dow], drawLineChart(year(u"^DJI"_s), drawnsize::Dow, o).image);
        o.title = u"ＮＹダウ・日経平均 3ヶ月"_s;
        o.decimals = 1;
        QCOMPARE(comparison,
                 drawComparisonChart(year(u"^DJI"_s), year(u"^N225"_s), drawnsize::IndexChart, o).image);
        QStringList symbols;
        for (const HttpRequest& r : std::as_const(m_fakes->http.requests))
            if (isSeries(r))
                symbols << QUrl::fromPercentEncoding(r.url.path().mid(18).toUtf8()) + u' ' + r.url.query() +
                               (r.maxBodyBytes > 0 ? u""_s : u" uncapped"_s);
        // The Nikkei's year is asked once for both of its charts, the Dow's for its two.
        QCOMPARE(symbols, QStringList({u"7203.T range=1y&interval=1d"_s, u"^N225 range=1y&interval=1d"_s,
                                       u"^DJI range=1y&interval=1d"_s, u"JPY=X range=1d&interval=5m"_s,
                                       u"^N225 range=1d&interval=5m"_s}));
    }

    // Drawn charts are shown at the screen's pixel ratio, with or without a series; the files keep
    // the charts' sizes in pixels.
    void drawnAtTheScreensRatio_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<bool>("series");
        QTest::newRow("1") << 1.0 << true;
        QTest::newRow("2") << 2.0 << true;
        QTest::newRow("1.5") << 1.5 << true;
        QTest::newRow("2, no series") << 2.0 << false;
    }
    void drawnAtTheScreensRatio()
    {
        QFETCH(double, ratio);
        QFETCH(bool, series);
        const Services s = services(true);
        ChartRoutines charts(s, m_host);
        m_host.ratio = ratio;
        m_host.fill({u"1301"_s});
        m_host.line = u"日経平均 1,020.25 (10:00) +20.25"_s;
        if (!series)
            m_failing = {u"/v8/"_s};
        QVERIFY(run([&](auto then) { charts.refreshThumbnails(then); }));
        QVERIFY(run([&](auto then) { charts.refreshIndexChart(then); }));
        charts.indexLineRefreshed();
        QVERIFY(run([&](auto then) { charts.showDollarYenChart(then); }));
        const std::tuple<const char*, QImage, QSize, QString> pictures[] = {
            {"thumbnail", m_host.thumbs[0], drawnsize::LargeThumbnail, u"yahoo.jpg"_s},
            {"index chart", m_host.market, drawnsize::IndexChart, u"rel.jpg"_s},
            {"dollar-yen", m_host.shown[Window::DollarYen], drawnsize::DollarYen,
             QFileInfo(dollarYenChart(m_fakes->config).file).fileName()}};
        for (const auto& [name, shown, size, file] : pictures) {
            QVERIFY2(shown.devicePixelRatio() == ratio && shown.size() == (QSizeF(size) * ratio).toSize(),
                     name);
            const QImage kept = m_fakes->pictures.load(m_fakes->config.dataFile(file));
            QVERIFY2(kept.isNull() ? !series : kept.size() == size, name); // no series: maybe no picture
            if (!kept.isNull() && ratio == 1)
                QVERIFY2(kept == shown, name);
        }
        QCOMPARE(charts.thumbnailSize(), drawnsize::LargeThumbnail);
        m_host.pixelsY = 800;
        QCOMPARE(charts.thumbnailSize(), drawnsize::SmallThumbnail);
        QCOMPARE(ChartRoutines(services(false), m_host).thumbnailSize(), QSize());
    }

    // The index chart tells the Nikkei line's price and change once the line is refreshed, whatever
    // previous close the day's series had; a line without a change leaves the series' own.
    void indexChartAgreesWithTheLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("previousClose");
        QTest::addColumn<QString>("lastText");
        QTest::newRow("time, then a rise") << u"日経平均 22,155.52 (10:00) +130.44"_s << 22155.52 << 22025.08
                                           << u"22,155.52 +130.44 (+0.59%)"_s;
        QTest::newRow("time, then a fall") << u"日経平均 22,149.56 (10:00) -234.25"_s << 22149.56 << 22383.81
                                           << u"22,149.56 -234.25 (-1.05%)"_s;
        QTest::newRow("change in brackets")
            << u"日経平均 1,020.25 (+20.25) "_s << 1020.25 << 1000.0 << u"1,020.25 +20.25 (+2.03%)"_s;
        QTest::newRow("no change") << u"日経平均 1,012.50 (10:00) "_s << 1012.5 << 1000.0
                                   << u"1,012.50 +12.50 (+1.25%)"_s;
    }
    void indexChartAgreesWithTheLine()
    {
        QFETCH(QString, line);
        QFETCH(double, value);
        QFETCH(double, previousClose);
        QFETCH(QString, lastText);
        const Services s = services(true);
        ChartRoutines charts(s, m_host);
        m_host.line = u"日経平均 999.00 (15:30) -1.00"_s; // the day before's, until the line's step
        QVERIFY(run([&](auto then) { charts.refreshIndexChart(then); }));
        PriceSeries day = *readChartJson(seriesJson(u"^N225"_s, true, m_host.clock.date()));
        QCOMPARE(day.previousClose, 1000.0); // the series' own, not the line's
        const ChartOptions o = intradayChartOptions(u"日経平均"_s);
        QCOMPARE(m_host.market, drawIntradayChart(day, drawnsize::IndexChart, o).image);
        m_host.line = line;
        charts.indexLineRefreshed();
        day.bars.append({m_host.clock.toSecsSinceEpoch(), value, value, value, value, 0});
        day.previousClose = previousClose;
        const DrawnChart expected = drawIntradayChart(day, drawnsize::IndexChart, o);
        QCOMPARE(expected.lastText, lastText);
        QCOMPARE(m_host.market, expected.image);
        QCOMPARE(m_fakes->pictures.load(m_fakes->config.dataFile(u"rel.jpg"_s)), expected.image);
    }
};

QTEST_MAIN(TestDrawnCharts)
#include "tst_drawncharts.moc"
