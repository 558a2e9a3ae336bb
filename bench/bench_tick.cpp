// A whole refresh tick (12 quote pages, 12 thumbnails, the index chart and the Nikkei page) on the
// real main window against the simulated market answering every request after 100 ms; the same
// 26 requests one after another; the memory after 100 ticks; and the time from start-up to a
// drawn window.
#include "charts/chartsources.h"
#include "charts/picturebox.h"
#include "mainwindow/quotegrid.h"
#include "marketfixture.h"
#include "platform/downloader.h"
#include "quotes/quotefetch.h"
#include "sections.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace tickora::bench {

namespace {

using namespace Qt::StringLiterals;

constexpr int LatencyMs = 100;
constexpr int Runs = 10;

/// One tick, from the clock's timeout to its last step, the Nikkei line, written.
double runTick(BenchWindow& bench, StallMeter* meter)
{
    auto* line = bench.window->findChild<QLabel*>(u"nikkeiLine"_s);
    line->clear();
    QElapsedTimer clock;
    if (meter)
        meter->start();
    clock.start();
    bench.timer()->start();
    QMetaObject::invokeMethod(bench.timer(), "timeout");
    while (line->text().isEmpty() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (meter)
        meter->stop();
    return ms;
}

/// The 26 requests of a tick, each asked for when the one before has been answered.
double runOneAfterAnother(HttpClient& http, const Config& config, int screenPixelsY)
{
    QList<HttpRequest> requests;
    for (const QString& code : Codes)
        requests << quotePageRequest(config.quoteBase, config.quotePages, code);
    for (const QString& code : Codes)
        requests << chartRequest(thumbnailChart(config, code, screenPixelsY).url);
    requests << chartRequest(nikkeiIndexChart(config).url);
    requests << pageRequest(nikkeiPageUrl(config));
    QElapsedTimer clock;
    clock.start();
    qsizetype next = 0;
    bool done = false;
    std::function<void()> ask = [&] {
        if (next == requests.size()) {
            done = true;
            return;
        }
        http.get(requests[next++], nullptr, [&](const HttpResponse&) { ask(); });
    };
    ask();
    waitFor(done);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int runTick(const QStringList& args)
{
    ensureApplication();
    MarketProcess market(args, LatencyMs);
    if (!market.running())
        return 1;
    BenchWindow bench(market.base());

    runTick(bench, nullptr); // connections opened, caches warm
    std::vector<double> tickMs, stallMs, busyMs, serialMs;
    StallMeter meter;
    for (int i = 0; i < Runs; ++i) {
        tickMs.push_back(runTick(bench, &meter));
        stallMs.push_back(meter.longestWallMs());
        busyMs.push_back(meter.longestCpuMs());
    }
    for (int i = 0; i < 3; ++i)
        serialMs.push_back(runOneAfterAnother(bench.http, bench.config, bench.screen.sizePixels().height()));
    int thumbs = 0;
    for (int k = 0; k < 12; ++k)
        thumbs += bench.picture(u"thumbnail%1"_s.arg(k))->hasPicture() ? 1 : 0;

    std::printf("  %lld codes (26 requests), server latency %d ms per request, %d ticks\n",
                static_cast<long long>(Codes.size()), LatencyMs, Runs);
    std::printf("  tick, requests together:   median %7.1f ms   worst %7.1f ms\n", median(tickMs),
                worst(tickMs));
    std::printf("  largest event-loop stall:  median %7.1f ms   worst %7.1f ms\n", median(stallMs),
                worst(stallMs));
    std::printf("    of it processor time:    median %7.1f ms   worst %7.1f ms\n", median(busyMs),
                worst(busyMs));
    std::printf("  one request after another: median %7.1f ms\n", median(serialMs));
    std::printf("  thumbnails shown: %d of 12; failure messages: %d\n", thumbs, bench.boxes.messages);

    // Memory: a day of ticks shrunk to 100 back-to-back ticks.
    const long before = residentKb();
    for (int i = 0; i < 100; ++i)
        runTick(bench, nullptr);
    std::printf("  resident memory: %ld kB before, %ld kB after 100 more ticks\n", before, residentKb());
    bench.timer()->stop();
    return 0;
}

int runDrawnTick(const QStringList& args)
{
    ensureApplication();
    MarketProcess market(args, LatencyMs);
    if (!market.running())
        return 1;
    BenchWindow bench(market.base(), false, ChartSource::Drawn);
    auto& counted = bench.counting;
    std::vector<double> tickMs;
    std::vector<int> seriesPerTick, othersPerTick;
    for (int i = 0; i < Runs + 1; ++i) {
        const int series = counted.series, others = counted.others;
        tickMs.push_back(runTick(bench, nullptr));
        seriesPerTick.push_back(counted.series - series);
        othersPerTick.push_back(counted.others - others);
    }
    int thumbs = 0;
    for (int k = 0; k < 12; ++k)
        thumbs += bench.picture(u"thumbnail%1"_s.arg(k))->hasPicture() ? 1 : 0;
    std::printf("  drawn charts, %lld codes, server latency %d ms per request\n",
                static_cast<long long>(Codes.size()), LatencyMs);
    std::printf("  first tick of the day: %d series requests, %d other requests, %7.1f ms\n",
                seriesPerTick.front(), othersPerTick.front(), tickMs.front());
    const std::vector<double> later(tickMs.begin() + 1, tickMs.end());
    int laterSeries = 0, laterOthers = 0;
    for (size_t i = 1; i < seriesPerTick.size(); ++i) {
        laterSeries += seriesPerTick[i];
        laterOthers += othersPerTick[i];
    }
    std::printf("  next %d ticks: %d series requests in all, %.1f other requests per tick,"
                " median %7.1f ms\n",
                Runs, laterSeries, double(laterOthers) / Runs, median(later));
    std::printf("  thumbnails shown: %d of 12, index chart %s; failure messages: %d\n", thumbs,
                bench.picture(u"indexChart"_s)->hasPicture() ? "shown" : "empty", bench.boxes.messages);
    bench.timer()->stop();
    return 0;
}

int runBombs(const QStringList& args)
{
    ensureApplication();
    MarketProcess market(args, 0);
    if (!market.running())
        return 1;
    if (!resetPeakResident())
        std::printf("  (this system cannot start the peak over: both figures are peaks since start)\n");

    // One window, one tick of real charts; then another window whose every chart answer is a
    // 35-byte GIF declaring 5000 x 5000 pixels (100 MB once decoded).
    long normalKb = 0, normalStartKb = 0;
    {
        BenchWindow bench(market.base());
        runTick(bench, nullptr); // connections opened, caches warm
        normalStartKb = residentKb();
        resetPeakResident();
        runTick(bench, nullptr);
        normalKb = peakResidentKb();
        bench.timer()->stop();
    }
    BenchWindow bench(market.base(), true);
    const long bombStartKb = residentKb();
    resetPeakResident();
    StallMeter meter;
    const double ms = runTick(bench, &meter);
    const long bombKb = peakResidentKb();
    int thumbs = 0;
    for (int k = 0; k < 12; ++k)
        thumbs += bench.picture(u"thumbnail%1"_s.arg(k))->hasPicture() ? 1 : 0;
    bench.timer()->stop();

    std::printf("  normal tick:           peak resident %7.1f MB (%.1f MB before it)\n", normalKb / 1024.0,
                normalStartKb / 1024.0);
    std::printf("  tick of picture bombs: peak resident %7.1f MB (%.1f MB before it), %.0f ms,"
                " largest stall %.1f ms\n",
                bombKb / 1024.0, bombStartKb / 1024.0, ms, meter.longestWallMs());
    std::printf("  pictures shown from bombs: %d of 12 thumbnails, index chart %s\n", thumbs,
                bench.picture(u"indexChart"_s)->hasPicture() ? "shown" : "empty");
    return 0;
}

int runStartup(const QStringList&)
{
    // From nothing to the main window drawn for the first time, in this process.
    QElapsedTimer clock;
    clock.start();
    ensureApplication();
    const double appMs = double(clock.nsecsElapsed()) / 1e6;
    BenchWindow bench(QUrl(u"http://127.0.0.1:9"_s));
    bench.window->grab(); // draws every control once
    QCoreApplication::processEvents();
    const double drawnMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("  application ready: %7.1f ms\n", appMs);
    std::printf("  window built and drawn: %7.1f ms after start\n", drawnMs);
    std::printf("  resident memory with the window drawn: %ld kB\n", residentKb());
    return 0;
}

} // namespace tickora::bench
