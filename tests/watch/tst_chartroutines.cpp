// The chart routines with either strategy: what a failed chart shows.
#include "chartroutinesfixture.h"
#include "platform/datafolder.h"

using namespace tickora;
using namespace tickora::test;

class TestChartRoutines : public ChartRoutinesFixture
{
    Q_OBJECT
private Q_SLOTS:
    void init() { setUp(); }

    // A failed chart shows its file only when it holds that chart; drawn year series are kept a day.
    void failedChart_data()
    {
        QTest::addColumn<bool>("drawn");
        QTest::newRow("downloaded images") << false;
        QTest::newRow("drawn charts") << true;
    }
    void failedChart()
    {
        QFETCH(bool, drawn);
        const Services s = services(drawn);
        ChartRoutines charts(s, m_host);
        QVERIFY(run([&](auto then) { charts.refreshThumbnails(then); })); // ends with no rows to show
        QVERIFY(writeFile(m_fakes->config.dataFile(u"Mchart.jpg"_s), chartPng(QSize(50, 50), Qt::blue)));
        QVERIFY(run([&](auto then) { charts.showYearChart(u"7203"_s, then); }));
        const QImage year = m_host.shown.at(Window::Year);
        QVERIFY(year != drawEmptyChart(ChartKind::Year, drawnsize::Year, u"7203  1年"_s).image);
        ChartRoutines later(s, m_host);
        QVERIFY(run([&](auto then) { later.showYearChart(u"7203"_s, then); }));
        // A kept file that no longer reads is asked for again and written anew.
        const QString today = yearSeriesFile(s.config, u"7203.T"_s, m_host.clock.date());
        QVERIFY(yearSeriesFile(s.config, u"^N/2.T-x"_s, {2013, 3, 5})
                    .endsWith(u"/series/_N_2.T-x-1y-20130305.json"_s));
        QVERIFY(!drawn || writeFile(today, "{\"chart\":"));
        // The day's series is served from memory, so the damage is not yet seen.
        QVERIFY(run([&](auto then) { charts.showYearChart(u"7203"_s, then); }) && seriesRequests() == drawn);
        ChartRoutines afterDamage(s, m_host);
        QVERIFY(run([&](auto then) { afterDamage.showYearChart(u"7203"_s, then); }));
        QCOMPARE(seriesRequests(), drawn ? 2 : 0);
        QCOMPARE(readChartJson(readFile(today)).has_value(), drawn);
        if (drawn) { // a kept file of the reader's full size still serves
            QVERIFY(writeFile(today, readFile(today).rightJustified(DefaultChartJsonLimit, ' ')));
            ChartRoutines atLimit(s, m_host);
            QVERIFY(run([&](auto then) { atLimit.showYearChart(u"7203"_s, then); }) && seriesRequests() == 2);
        }
        m_host.clock = m_host.clock.addDays(1);
        m_failing = {u"7203"_s, u"6758"_s, u"998407"_s, u"N225"_s};
        QVERIFY(run([&](auto then) { charts.showYearChart(u"7203"_s, then); }));
        QCOMPARE(m_host.shown.at(Window::Year), year);
        QVERIFY(run([&](auto then) { charts.showYearChart(u"6758"_s, then); }));
        QCOMPARE(m_host.shown.at(Window::Year),
                 drawn ? drawEmptyChart(ChartKind::Year, drawnsize::Year, u"6758  1年"_s).image : QImage());
        QVERIFY(run([&](auto then) { charts.showSixMonthChart(u"6758"_s, then); }));
        QCOMPARE(m_host.shown.at(Window::SixMonth).size(), drawn ? drawnsize::SixMonth : QSize(0, 0));
        // A file that only ever holds the Nikkei's 6 months is shown though this run never wrote it.
        QVERIFY(run([&](auto then) { charts.showNikkeiSixMonthChart(then); }));
        QCOMPARE(colourOf(m_host.shown.at(Window::NikkeiSixMonth)), QColor(Qt::blue));
        // A good series on the new day replaces the earlier day's file.
        m_failing.clear();
        QVERIFY(run([&](auto then) { charts.showYearChart(u"7203"_s, then); }));
        QCOMPARE(QFile::exists(yearSeriesFile(s.config, u"7203.T"_s, m_host.clock.date())), drawn);
        QVERIFY(!QFile::exists(today));
    }

    // Without a downloader a chart file is not shown unless it is known to hold the chart asked for.
    void imageChartsWithoutADownloader()
    {
        Services s = services(false);
        s.downloader = nullptr;
        ChartRoutines charts(s, m_host);
        for (const QString& file : {DataFolder::yearChartPicture(), DataFolder::nikkeiSixMonthPicture()})
            QVERIFY(writeFile(m_fakes->config.dataFile(file), chartPng(QSize(50, 50), Qt::blue)));
        QVERIFY(run([&](auto then) { charts.showYearChart(u"7203"_s, then); }));
        QVERIFY(m_host.shown.at(Window::Year).isNull());
        // The Nikkei's six months file holds no other chart, so it is shown.
        QVERIFY(run([&](auto then) { charts.showNikkeiSixMonthChart(then); }));
        QCOMPARE(colourOf(m_host.shown.at(Window::NikkeiSixMonth)), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestChartRoutines)
#include "tst_chartroutines.moc"
