#include "marketfixture.h"

#include "mainwindow/quotegrid.h"

#include <QApplication>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace tickora::bench {

using namespace Qt::StringLiterals;

const QStringList Codes = {u"7203"_s, u"6758"_s, u"9984"_s, u"8306"_s, u"9432"_s, u"6501"_s,
                           u"7267"_s, u"4502"_s, u"8058"_s, u"6954"_s, u"6861"_s, u"9983"_s};

namespace {

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

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

} // namespace

void ensureApplication()
{
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tickora-bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives for the whole run
}

MarketProcess::MarketProcess(const QStringList& args, int latencyMs)
{
    QString path = qEnvironmentVariable("TICKORA_MARKET_BIN", QString::fromUtf8(TICKORA_MARKET_BIN));
    if (const qsizetype i = args.indexOf(u"--market"_s); i >= 0 && i + 1 < args.size())
        path = args[i + 1];
    const quint16 port = freePort();
    m_process.setProgram(path);
    m_process.setArguments(
        {u"--port"_s, QString::number(port), u"--latency-ms"_s, QString::number(latencyMs)});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start();
    m_ok = m_process.waitForStarted(5000) && waitUntilServing(m_process, port);
    if (!m_ok)
        std::fprintf(stderr, "  %s does not serve on 127.0.0.1:%u; is the simulated market built?\n",
                     qPrintable(path), unsigned(port));
    m_base = QUrl(u"http://127.0.0.1:%1"_s.arg(port));
}

MarketProcess::~MarketProcess()
{
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QByteArray BombingHttpClient::bomb()
{
    return QByteArray("GIF89a\x88\x13\x88\x13\x80\0\0\0\0\0\xFF\xFF\xFF"
                      "\x2C\0\0\0\0\x88\x13\x88\x13\0\x02\x02\x44\x01\0\x3B",
                      35);
}

void BombingHttpClient::get(const HttpRequest& request, QObject* context, Done done)
{
    const QString path = request.url.path();
    const bool chart =
        !path.startsWith(u"/stocks/detail"_s) && !path.startsWith(u"/quote/"_s) && path != u"/nkave"_s;
    m_inner.get(request, context, [chart, done = std::move(done)](const HttpResponse& response) {
        if (!done)
            return;
        if (!chart) {
            done(response);
            return;
        }
        HttpResponse r = response;
        r.status = 200;
        r.error.clear();
        r.body = bomb();
        r.contentType = "image/gif";
        done(r);
    });
}

void CountingHttpClient::get(const HttpRequest& request, QObject* context, Done done)
{
    ++(request.url.path().startsWith(u"/v8/finance/chart/"_s) ? series : others);
    m_inner.get(request, context, std::move(done));
}

BenchWindow::BenchWindow(const QUrl& base, bool bombs, ChartSource charts)
{
    Services services;
    services.config.dataDir = dataDir.path();
    services.config.charts = charts;
    services.config.seriesBase = base;
    services.config.quoteBase = services.config.chartBase = services.config.nikkeiBase = base;
    services.config.nikkeiChartBase = services.config.marketDataBase = base;
    services.config.brokerBase = services.config.fxBase = base;
    services.http = bombs ? static_cast<HttpClient*>(&bombing) : &counting;
    services.downloader = &downloader;
    services.sound = &sound;
    services.pictures = &pictures;
    services.screen = &screen;
    services.dialogs = &boxes;
    services.clock = &clock;
    config = services.config;
    window = std::make_unique<MainWindow>(services);
    window->show();
    for (int r = 0; r < Codes.size(); ++r)
        grid()->setCellText(r + 1, grid::Code, Codes[r]);
}

StallMeter::StallMeter()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { tick(); });
}

void StallMeter::start()
{
    m_longestWall = m_longestCpu = 0;
    m_clock.start();
    m_lastWall = 0;
    m_lastCpu = threadCpuMs();
    m_timer.start();
}

void StallMeter::stop()
{
    m_timer.stop();
    tick();
}

void StallMeter::tick()
{
    const double wall = double(m_clock.nsecsElapsed()) / 1e6;
    const double cpu = threadCpuMs();
    m_longestWall = std::max(m_longestWall, wall - m_lastWall);
    m_longestCpu = std::max(m_longestCpu, cpu - m_lastCpu);
    m_lastWall = wall;
    m_lastCpu = cpu;
}

void waitFor(const bool& done)
{
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double worst(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

namespace {
long statusKb(const QByteArray& field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
    return 0;
}
} // namespace

long residentKb()
{
    return statusKb("VmRSS:");
}

long peakResidentKb()
{
    return statusKb("VmHWM:");
}

bool resetPeakResident()
{
    // Linux: writing 5 to clear_refs starts the peak over.
    QFile refs(u"/proc/self/clear_refs"_s);
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1 && refs.flush();
}

} // namespace tickora::bench
