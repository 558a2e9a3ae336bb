// The chart routines against a host that records what each slot, area and window shows.
#include "mainwindow/chartroutines.h"
#include "support/chartimages.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/sheet.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimeZone>

#include <map>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;
using Window = ChartRoutinesHost::Window;

namespace {

class RecordingHost final : public ChartRoutinesHost
{
public:
    MemorySheet cells;
    int rows = 0, pixelsY = 1080;
    double ratio = 1; ///< the screen's device pixels per unit
    QString code;
    std::array<QString, 12> captions;
    std::array<QImage, 12> thumbs;
    QImage market;
    std::map<Window, QImage> shown;
    std::map<Window, QString> titles;
    QString yearLine, line;
    QDateTime clock{QDate(2013, 3, 5), QTime(10, 0), japanZone()}; // Japan time
    ServiceBackoff holds;
    QList<QDateTime> held;
    QList<std::pair<int, bool>> seriesAnswers;

    /// Fills a row per code, each traded at 9:30 at a price near its previous close.
    void fill(const QStringList& codes)
    {
        for (int r = 0; r < codes.size(); ++r) {
            tickora::test::fillRow(cells, r + 1, codes[r], u"name "_s + codes[r]);
            cells.setCellText(r + 1, grid::Price, u"1,0%1"_s.arg(r + 10));
            cells.setCellText(r + 1, grid::Time, u"9:30"_s);
            cells.setCellText(r + 1, grid::PrevClose, u"1,000"_s);
        }
        rows = int(codes.size());
    }

    const QuoteSheet& sheet() const override { return cells; }
    int watchCount() const override { return rows; }
    int screenPixelsY() const override { return pixelsY; }
    double devicePixelRatio() const override { return ratio; }
    void chartCodeChosen(const QString& c) override { code = c; }
    QString shortName(int index) const override { return u"short %1"_s.arg(index); }
    QString thumbCaption(int k) const override { return captions.at(k); }
    void setThumbCaption(int k, const QString& text) override { captions[k] = text; }
    QImage showThumb(int k, const QImage& picture) override { return thumbs[k] = picture; }
    void showMarketChart(const QImage& picture) override { market = picture; }
    void setMarketTitle(const QString&) override {}
    void closeWindow(Window window) override { shown.erase(window); }
    void setWindowTitle(Window window, const QString& title) override { titles[window] = title; }
    void showInWindow(Window window, const QImage& picture) override { shown[window] = picture; }
    void setYearChartLine(const QString& text) override { yearLine = text; }
    QString marketLine() const override { return line; }
    QDateTime now() const override { return clock; }
    QDateTime tradingMoment() const override { return clock; }
    ServiceBackoff& backoff() override { return holds; }
    void serviceHeld(const QDateTime& until) override { held.append(until); }
    void seriesAnswered(int status, bool holdStarted) override
    {
        seriesAnswers.append({status, holdStarted});
    }
};

/// A chart JSON answer: the day from 9:00 to 9:25 in 5-minute bars, or a year of days before `day`.
HttpResponse seriesAnswer(const QString& symbol, bool intraday, QDate day)
{
    PriceSeries s;
    s.symbol = symbol;
    s.gmtOffset = TokyoGmtOffset;
    s.previousClose = 1000;
    for (int i = 0; i < (intraday ? 6 : 250); ++i) {
        const QDateTime at = intraday ? QDateTime(day, QTime(9, 5 * i), QTimeZone::utc())
                                      : QDateTime(day.addDays(i - 250), QTime(0, 0), QTimeZone::utc());
        const qint64 t = at.toSecsSinceEpoch() - TokyoGmtOffset; // Tokyo time
        const double p = 1000 + (i % 7) * 3;
        s.bars.append({t, p, p + 2, p - 2, p + 1, 1000});
    }
    return okResponse(chartJsonFromSeries(s));
}

} // namespace

class TestChartRoutines : public QObject
{
    Q_OBJECT
    std::unique_ptr<FakeServices> m_fakes;
    QStringList m_failing; ///< address parts answered with m_failure
    HttpResponse m_failure;
    RecordingHost m_host;

    static bool isSeries(const HttpRequest& r) { return r.url.path().startsWith(u"/v8/finance/chart/"_s); }
    static QColor colourOf(const QImage& image) { return image.isNull() ? QColor() : image.pixelColor(0, 0); }
    /// Each address answers with its own colour, so a picture tells which address it came from.
    static QColor colourFor(const QString& url) { return QColor(QRgb(qHash(url))); }

    Services services(bool drawn) const
    {
        Services s = m_fakes->services();
        s.config.charts = drawn ? ChartSource::Drawn : ChartSource::Images;
        return s;
    }
    int seriesRequests() const { return int(std::ranges::count_if(m_fakes->http.requests, isSeries)); }
    bool run(const std::function<void(ChartRoutines::Then)>& routine)
    {
        int calls = 0;
        routine([&calls] { ++calls; });
        return QTest::qWaitFor([&] { return calls > 0; }, 2000) && calls == 1;
    }

private Q_SLOTS:
    void init()
    {
        m_fakes = std::make_unique<FakeServices>();
        m_host = RecordingHost();
        m_failing.clear();
        m_failure = HttpResponse{500, "<html>error</html>", {}, {}};
        m_fakes->http.setHandler([this](const HttpRequest& r) {
            for (const QString& needle : std::as_const(m_failing))
                if (r.url.toString().contains(needle))
                    return m_failure;
            if (!isSeries(r))
                return okResponse(chartPng(QSize(120, 80), colourFor(r.url.toString())));
            const QString symbol = QUrl::fromPercentEncoding(r.url.path().mid(18).toUtf8());
            return seriesAnswer(symbol, r.url.query().contains(u"range=1d"_s), m_host.clock.date());
        });
    }

    // Thumbnails in row order and the later of two clicks' charts, whatever answer comes last.
    void thumbnailsAndClicksWhileAnswersComeOutOfOrder()
    {
        ManualHttpClient http;
        HttpDownloader downloader(http);
        Services s = m_fakes->services();
        s.http = &http;
        s.downloader = &downloader;
        ChartRoutines charts(s, m_host);
        const QStringList codes = {u"7203"_s, u"72a3"_s, u"6758"_s, u"9984"_s};
        m_host.fill(codes);
        m_host.captions[4] = u"kept"_s; // beyond the watched rows
        for (const Window market : {Window::NikkeiSixMonth, Window::AdvanceDecline, Window::Dow})
            m_host.shown[market] = QImage(1, 1, QImage::Format_RGB32);
        int calls = 0;
        charts.refreshThumbnails([&calls] { ++calls; });
        QCOMPARE(http.unanswered(), 3);    // every row with a chart at once
        QCOMPARE(m_host.shown.size(), 1u); // the Nikkei's six months and the ratio close, the Dow stays
        QVERIFY(m_host.captions[4] == u"kept"_s && m_host.code == u"9984"_s);
        auto body = [](const QString& code) { return chartPng(QSize(40, 30), colourFor(code)); };
        const QString file = m_fakes->config.dataFile(u"yahoo.jpg"_s);
        QVERIFY(http.answer(u"9984"_s, okResponse(body(u"9984"_s))));
        QVERIFY(http.answer(u"6758"_s, okResponse(body(u"6758"_s))));
        QVERIFY(m_host.thumbs[2].isNull() && !QFile::exists(file) && calls == 0); // row 1 is not in yet
        QVERIFY(http.answer(u"7203"_s, okResponse(body(u"7203"_s))));
        QCOMPARE(calls, 1);
        for (int k : {0, 2, 3})
            QCOMPARE(colourOf(m_host.thumbs[k]), colourFor(codes[k]));
        QCOMPARE(readFile(file), body(u"9984"_s)); // the shared file ends with the last row's chart
        auto answerLast = [&](const HttpResponse& r) {
            http.pending.back().answered = true;
            http.pending.back().done(r);
        };
        // A failed answer shows the slot's own last chart, not the file's, and never another code's.
        m_host.fill({u"7203"_s});
        for (const HttpResponse& failed :
             {HttpResponse{500, "<html>error</html>", {}, {}}, okResponse(gifBomb())}) {
            charts.refreshThumbnails({});
            answerLast(failed);
            QCOMPARE(colourOf(m_host.thumbs[0]), colourFor(u"7203"_s));
        }
        m_host.fill({u"9984"_s});
        charts.refreshThumbnails({});
        answerLast(HttpResponse{500, {}, {}, {}});
        QVERIFY(m_host.thumbs[0].isNull());
        // Of two refreshes in flight, the older one's later answer changes nothing.
        charts.refreshThumbnails([&calls] { ++calls; });
        charts.refreshThumbnails({});
        answerLast(okResponse(body(u"new"_s)));
        QVERIFY(http.answer(u"9984"_s, okResponse(body(u"old"_s))));
        QCOMPARE(calls, 2);
        QCOMPARE(colourOf(m_host.thumbs[0]), colourFor(u"new"_s));
        // A click on a row whose code has no chart, or on an empty caption, opens nothing.
        m_host = RecordingHost();
        m_host.fill({u"7203"_s, u"6758"_s, u"72a3"_s, u"9984"_s});
        m_host.captions = {u"a"_s, u"b"_s, u"c"_s};
        charts.thumbnailClicked(2);
        charts.captionClicked(2);
        charts.captionClicked(3);
        charts.thumbnailClicked(12), charts.captionClicked(12); // no such slot
        QVERIFY(m_host.titles.empty() && m_host.code.isEmpty() && http.unanswered() == 0);
        for (int k = 0; k < 2; ++k)
            charts.thumbnailClicked(k), charts.captionClicked(k);
        for (const QString& code : {u"6758"_s, u"6758"_s, u"7203"_s, u"7203"_s})
            QVERIFY(http.answer(code, okResponse(chartPng(QSize(40, 30), colourFor(code)))));
        QCOMPARE(colourOf(m_host.shown.at(Window::Year)), colourFor(u"6758"_s));
        QCOMPARE(colourOf(m_host.shown.at(Window::SixMonth)), colourFor(u"6758"_s));
        QCOMPARE(m_host.yearLine, u"short 1"_s);
    }

    // A failed chart shows its file only when it holds that chart; drawn year series are kept a day.
    void failedChart()
    {
        for (bool drawn : {false, true}) {
            init();
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
            QVERIFY(run([&](auto then) { charts.showYearChart(u"7203"_s, then); }) &&
                    seriesRequests() == drawn);
            ChartRoutines afterDamage(s, m_host);
            QVERIFY(run([&](auto then) { afterDamage.showYearChart(u"7203"_s, then); }));
            QCOMPARE(seriesRequests(), drawn ? 2 : 0);
            QCOMPARE(readChartJson(readFile(today)).has_value(), drawn);
            if (drawn) { // a kept file of the reader's full size still serves
                QVERIFY(writeFile(today, readFile(today).rightJustified(DefaultChartJsonLimit, ' ')));
                ChartRoutines atLimit(s, m_host);
                QVERIFY(run([&](auto then) { atLimit.showYearChart(u"7203"_s, then); }) &&
                        seriesRequests() == 2);
            }
            m_host.clock = m_host.clock.addDays(1);
            m_failing = {u"7203"_s, u"6758"_s, u"998407"_s, u"N225"_s};
            QVERIFY(run([&](auto then) { charts.showYearChart(u"7203"_s, then); }));
            QCOMPARE(m_host.shown.at(Window::Year), year);
            QVERIFY(run([&](auto then) { charts.showYearChart(u"6758"_s, then); }));
            QCOMPARE(m_host.shown.at(Window::Year),
                     drawn ? drawEmptyChart(ChartKind::Year, drawnsize::Year, u"6758  1年"_s).image
                           : QImage());
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
    }

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
        QStringList left;  // of the Nikkei's six months (N) and the ratio (R), what each routine leaves open
        const QImage earlier(1, 1, QImage::Format_RGB32);
        for (auto routine : {&ChartRoutines::showNikkeiSixMonthChart, &ChartRoutines::showDowChart,
                             &ChartRoutines::showDollarYenChart, &ChartRoutines::showNyNikkeiChart,
                             &ChartRoutines::refreshIndexChart, &ChartRoutines::showAdvanceDeclineChart}) {
            m_host.shown[Window::NikkeiSixMonth] = m_host.shown[Window::AdvanceDecline] = earlier;
            QVERIFY(run([&](auto then) { (charts.*routine)(then); }));
            if (routine == &ChartRoutines::showNyNikkeiChart)
                comparison = m_host.market;
            left << QString(m_host.shown[Window::NikkeiSixMonth] == earlier ? u"N"_s : u""_s) +
                        (m_host.shown[Window::AdvanceDecline] == earlier ? u"R"_s : u""_s);
        }
        QCOMPARE(left, QStringList({u""_s, u"NR"_s, u"NR"_s, u"NR"_s, u""_s, u""_s}));
        // The Dow's and the comparison's pictures show the last three months of the year asked for.
        const auto year = [&](const QString& symbol) {
            return *readChartJson(seriesAnswer(symbol, false, m_host.clock.date()).body);
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
        PriceSeries day = *readChartJson(seriesAnswer(u"^N225"_s, true, m_host.clock.date()).body);
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

QTEST_MAIN(TestChartRoutines)
#include "tst_chartroutines.moc"
