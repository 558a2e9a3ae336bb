// A whole quote refresh pass on the real main window against the simulated market, which
// answers every request after 100 ms: how long the pass takes, the longest time the event loop
// stood still meanwhile, and how long the same twelve pages take fetched one after another.
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"
#include "platform/pictures.h"
#include "platform/qthttpclient.h"
#include "platform/screen.h"
#include "quotes/quotefetch.h"
#include "quotes/refreshpass.h"
#include "sections.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace tickora::bench {

namespace {

using namespace Qt::StringLiterals;

const QStringList Codes = {u"7203"_s, u"6758"_s, u"9984"_s, u"8306"_s, u"9432"_s, u"6501"_s,
                           u"7267"_s, u"4502"_s, u"8058"_s, u"6954"_s, u"6861"_s, u"9983"_s};
constexpr int LatencyMs = 100;
constexpr int Runs = 10;

class QuietSound : public SoundPlayer
{
public:
    void play(const QString&) override {}
    void beep() override {}
};

/// Counts boxes instead of showing them; the bench never waits for a person.
class CountedBoxes : public Dialogs
{
public:
    void message(QWidget*, const QString&, const QString&, Icon) override { ++messages; }
    bool question(QWidget*, const QString&, const QString&) override { return false; }
    int messages = 0;
};

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

/// The longest gap between turns of the event loop while it runs, seen by a 1 ms timer: as wall
/// time, and as the processor time the thread spent in that gap (on a busy machine the wall gap
/// also holds the time other processes had the processor).
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { tick(); });
    }
    void start()
    {
        m_longestWall = m_longestCpu = 0;
        m_clock.start();
        m_lastWall = 0;
        m_lastCpu = threadCpuMs();
        m_timer.start();
    }
    void stop()
    {
        m_timer.stop();
        tick();
    }
    double longestWallMs() const { return m_longestWall; }
    double longestCpuMs() const { return m_longestCpu; }

private:
    void tick()
    {
        const double wall = double(m_clock.nsecsElapsed()) / 1e6;
        const double cpu = threadCpuMs();
        m_longestWall = std::max(m_longestWall, wall - m_lastWall);
        m_longestCpu = std::max(m_longestCpu, cpu - m_lastCpu);
        m_lastWall = wall;
        m_lastCpu = cpu;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_lastWall = 0, m_lastCpu = 0;
    double m_longestWall = 0, m_longestCpu = 0;
};

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    return probe.serverPort();
}

bool waitUntilServing(QProcess& market, quint16 port)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        if (market.state() == QProcess::NotRunning)
            return false;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(50);
    }
    return false;
}

double runPass(Form1& w, StallMeter* meter)
{
    bool done = false;
    QElapsedTimer clock;
    if (meter)
        meter->start();
    clock.start();
    w.refreshQuotes([&] { done = true; });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
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
        fetchQuotePage(http, base, Codes[row - 1], nullptr, [&](const PageFetch& r) {
            if (r.ok)
                writeQuoteRow(sheet, row, parseQuotePage(r.text));
            next();
        });
    };
    next();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int runPass(const QStringList& args)
{
    QString marketPath = qEnvironmentVariable("TICKORA_MARKET_BIN", QStringLiteral(TICKORA_MARKET_BIN));
    if (const qsizetype i = args.indexOf(u"--market"_s); i >= 0 && i + 1 < args.size())
        marketPath = args[i + 1];

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tickora-bench";
    static char* argv[] = {name, nullptr};
    auto app = QApplication::instance() ? nullptr : std::make_unique<QApplication>(argc, argv);

    const quint16 port = freePort();
    QProcess market;
    market.setProgram(marketPath);
    market.setArguments({u"--port"_s, QString::number(port), u"--latency-ms"_s, QString::number(LatencyMs)});
    market.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    market.setStandardOutputFile(QProcess::nullDevice());
    market.start();
    if (!market.waitForStarted(5000) || !waitUntilServing(market, port)) {
        std::fprintf(stderr, "  %s does not serve on 127.0.0.1:%u; is the simulated market built?\n",
                     qPrintable(marketPath), unsigned(port));
        market.kill();
        market.waitForFinished(2000);
        return 1;
    }
    const QUrl base(u"http://127.0.0.1:%1"_s.arg(port));

    QTemporaryDir dataDir;
    QtHttpClient http;
    HttpDownloader downloader(http);
    QuietSound sound;
    QtPictures pictures;
    QtScreen screen;
    CountedBoxes boxes;
    SystemClock clock;
    Services services;
    services.config.dataDir = dataDir.path();
    services.config.quoteBase = services.config.chartBase = services.config.nikkeiBase = base;
    services.config.nikkeiChartBase = services.config.marketDataBase = base;
    services.config.brokerBase = services.config.fxBase = base;
    services.http = &http;
    services.downloader = &downloader;
    services.sound = &sound;
    services.pictures = &pictures;
    services.screen = &screen;
    services.dialogs = &boxes;
    services.clock = &clock;

    Form1 w(services);
    w.show();
    for (int r = 0; r < Codes.size(); ++r)
        w.MSFlexGrid1->setCellText(r + 1, grid::Code, Codes[r]);

    runPass(w, nullptr); // connections opened, caches warm
    std::vector<double> passMs, stallMs, busyMs, serialMs;
    StallMeter meter;
    for (int i = 0; i < Runs; ++i) {
        passMs.push_back(runPass(w, &meter));
        stallMs.push_back(meter.longestWallMs());
        busyMs.push_back(meter.longestCpuMs());
    }
    int filled = 0;
    for (int r = 1; r <= Codes.size(); ++r)
        filled += w.MSFlexGrid1->cellText(r, grid::Price).isEmpty() ? 0 : 1;
    for (int i = 0; i < 3; ++i)
        serialMs.push_back(runOneAfterAnother(http, base, *w.MSFlexGrid1));
    w.Timer1->stop();

    std::printf("  %lld codes, server latency %d ms per request, %d passes\n",
                static_cast<long long>(Codes.size()), LatencyMs, Runs);
    std::printf("  pass, requests together:   median %7.1f ms   worst %7.1f ms\n", median(passMs),
                *std::max_element(passMs.begin(), passMs.end()));
    std::printf("  largest event-loop stall:  median %7.1f ms   worst %7.1f ms\n", median(stallMs),
                *std::max_element(stallMs.begin(), stallMs.end()));
    std::printf("    of it processor time:    median %7.1f ms   worst %7.1f ms\n", median(busyMs),
                *std::max_element(busyMs.begin(), busyMs.end()));
    std::printf("  one request after another: median %7.1f ms\n", median(serialMs));
    std::printf("  each pass (ms):");
    for (double ms : passMs)
        std::printf(" %.0f", ms);
    std::printf("\n");
    std::printf("  rows filled by the last pass: %d of %lld; failure messages: %d\n", filled,
                static_cast<long long>(Codes.size()), boxes.messages);

    market.terminate();
    if (!market.waitForFinished(3000)) {
        market.kill();
        market.waitForFinished(2000);
    }
    return 0;
}

} // namespace tickora::bench
