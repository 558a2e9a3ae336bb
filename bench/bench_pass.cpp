// A whole quote refresh pass on the real main window's grid against the simulated market, which
// answers every request after 100 ms: how long the pass takes, the longest time the event loop
// stood still meanwhile, and how long the same twelve pages take fetched one after another.
#include "mainwindow/quotegrid.h"
#include "marketfixture.h"
#include "quotes/quotefetch.h"
#include "quotes/quotepage.h"
#include "quotes/refreshpass.h"
#include "sections.h"

#include <cstdio>

namespace tickora::bench {

namespace {

constexpr int LatencyMs = 100;
constexpr int Runs = 10;

/// The window's grid as a refresh pass sees it, as the window hands it over.
class GridHost : public RefreshPassHost
{
public:
    explicit GridHost(QuoteGrid& grid) : m_grid(grid) {}
    QuoteSheet& sheet() override { return m_grid; }
    void passStarted(int) override {}
    void storeShortName(int, const QString&) override {}
    bool muted() const override { return true; }
    void playChime(Chime) override {}
    void targetReached(const TargetReached&) override {}
    void rowDone(int row) override { m_grid.setCurrent(row, grid::Code); }
    void fetchFailed(int) override {}
    QString listedName(const QString&) override { return {}; }
    void pageRead(const QString&) override {}
    void pageUnread(const QString&, bool) override {}
    void seriesAnswered(int, bool) override {}

private:
    QuoteGrid& m_grid;
};

double runPass(RefreshPass& pass, StallMeter* meter)
{
    bool done = false;
    QElapsedTimer clock;
    if (meter)
        meter->start();
    clock.start();
    pass.request([&] { done = true; });
    waitFor(done);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (meter)
        meter->stop();
    return ms;
}

/// The twelve pages fetched, parsed and written one after another, as a pass that waits for
/// each row's page before asking for the next would do.
double runOneAfterAnother(HttpClient& http, const QUrl& base, QuoteSheet& sheet)
{
    QElapsedTimer clock;
    clock.start();
    int row = 0;
    bool done = false;
    std::function<void()> next = [&] {
        if (row == Codes.size()) {
            done = true;
            return;
        }
        ++row;
        fetchQuotePage(http, base, QuotePages::Today, Codes[row - 1], nullptr, [&](const PageFetch& r) {
            if (r.ok)
                writeQuoteRow(sheet, row, parseQuotePage(r.text));
            next();
        });
    };
    next();
    waitFor(done);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int runPass(const QStringList& args)
{
    ensureApplication();
    MarketProcess market(args, LatencyMs);
    if (!market.running())
        return 1;
    BenchWindow bench(market.base());
    RefreshPass pass(bench.http, {bench.config.quoteBase, bench.config.quotePages},
                     std::make_unique<GridHost>(*bench.grid()));

    runPass(pass, nullptr); // connections opened, caches warm
    std::vector<double> passMs, stallMs, busyMs, serialMs;
    StallMeter meter;
    for (int i = 0; i < Runs; ++i) {
        passMs.push_back(runPass(pass, &meter));
        stallMs.push_back(meter.longestWallMs());
        busyMs.push_back(meter.longestCpuMs());
    }
    int filled = 0;
    for (int r = 1; r <= Codes.size(); ++r)
        filled += bench.grid()->cellText(r, grid::Price).isEmpty() ? 0 : 1;
    for (int i = 0; i < 3; ++i)
        serialMs.push_back(runOneAfterAnother(bench.http, market.base(), *bench.grid()));

    std::printf("  %lld codes, server latency %d ms per request, %d passes\n",
                static_cast<long long>(Codes.size()), LatencyMs, Runs);
    std::printf("  pass, requests together:   median %7.1f ms   worst %7.1f ms\n", median(passMs),
                worst(passMs));
    std::printf("  largest event-loop stall:  median %7.1f ms   worst %7.1f ms\n", median(stallMs),
                worst(stallMs));
    std::printf("    of it processor time:    median %7.1f ms   worst %7.1f ms\n", median(busyMs),
                worst(busyMs));
    std::printf("  one request after another: median %7.1f ms\n", median(serialMs));
    std::printf("  each pass (ms):");
    for (double ms : passMs)
        std::printf(" %.0f", ms);
    std::printf("\n");
    std::printf("  rows filled by the last pass: %d of %lld; failure messages: %d\n", filled,
                static_cast<long long>(Codes.size()), bench.boxes.messages);
    return 0;
}

} // namespace tickora::bench
