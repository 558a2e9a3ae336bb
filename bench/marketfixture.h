#pragma once

// What the sections that run the real main window against the simulated market share: the
// market process on a free port, a main window wired to it with quiet sound and counted boxes, and a
// meter of the event loop's longest stall.

#include "charts/picturebox.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/quotegrid.h"

#include "exchange/tradingcalendar.h"
#include "platform/pictures.h"
#include "platform/qthttpclient.h"
#include "platform/screen.h"
#include <QTimer>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <vector>

using Qt::Literals::StringLiterals::operator""_s;

namespace tickora::bench {

/// The twelve codes the window watches.
extern const QStringList Codes;

/// Makes sure a QApplication exists (offscreen unless a platform is set).
void ensureApplication();

/// tickora-market started on a free loopback port; stopped when destroyed.
class MarketProcess
{
public:
    MarketProcess(const QStringList& args, int latencyMs);
    ~MarketProcess();
    bool running() const { return m_ok; }
    QUrl base() const { return m_base; }

private:
    QProcess m_process;
    QUrl m_base;
    bool m_ok = false;
};

class QuietSound : public SoundPlayer
{
public:
    void play(const QString&) override {}
    void beep() override {}
};

/// Counts boxes instead of showing them; questions are answered No (go on).
class CountedBoxes : public Dialogs
{
public:
    void message(QWidget*, const QString&, const QString&, Icon) override { ++messages; }
    bool question(QWidget*, const QString&, const QString&) override
    {
        ++questions;
        return false;
    }
    int messages = 0;
    int questions = 0;
};

/// Mid-morning of a trading day in Japan, so a tick asks no trading-hours question.
class MorningClock : public Clock
{
public:
    QDateTime now() const override
    {
        return QDateTime(nextTradingDay(QDate::currentDate().addDays(-1)), QTime(10, 30), japanZone());
    }
};

/// Passes requests on, but answers every chart request (anything but a quote or Nikkei page)
/// with a picture bomb: a 35-byte GIF that declares 5000 x 5000 pixels.
class BombingHttpClient : public HttpClient
{
public:
    explicit BombingHttpClient(HttpClient& inner) : m_inner(inner) {}
    void get(const HttpRequest& request, QObject* context, Done done) override;
    static QByteArray bomb();

private:
    HttpClient& m_inner;
};

/// Passes requests on, counting those for price series and all others.
class CountingHttpClient : public HttpClient
{
public:
    explicit CountingHttpClient(HttpClient& inner) : m_inner(inner) {}
    void get(const HttpRequest& request, QObject* context, Done done) override;
    int series = 0;
    int others = 0;

private:
    HttpClient& m_inner;
};

/// The real main window, its services pointed at one base address, with the twelve codes typed;
/// with `bombs`, every chart answer is a picture bomb. Its charts are downloaded pictures unless
/// `charts` says otherwise.
struct BenchWindow
{
    explicit BenchWindow(const QUrl& base, bool bombs = false, ChartSource charts = ChartSource::Images);
    QTemporaryDir dataDir;
    QtHttpClient http;
    CountingHttpClient counting{http};
    BombingHttpClient bombing{http};
    HttpDownloader downloader{http};
    QuietSound sound;
    QtPictures pictures;
    QtScreen screen;
    CountedBoxes boxes;
    MorningClock clock;
    Config config;
    std::unique_ptr<MainWindow> window;
    QuoteGrid* grid() const { return window->findChild<QuoteGrid*>(u"quoteGrid"_s); }
    QTimer* timer() const { return window->findChild<QTimer*>(u"refreshTimer"_s); }
    PictureBox* picture(const QString& name) const { return window->findChild<PictureBox*>(name); }
};

/// The longest gap between turns of the event loop while it runs, seen by a 1 ms timer: as wall
/// time, and as the processor time the thread spent in that gap (on a busy machine the wall gap
/// also holds the time other processes had the processor).
class StallMeter
{
public:
    StallMeter();
    void start();
    void stop();
    double longestWallMs() const { return m_longestWall; }
    double longestCpuMs() const { return m_longestCpu; }

private:
    void tick();
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_lastWall = 0, m_lastCpu = 0;
    double m_longestWall = 0, m_longestCpu = 0;
};

/// Runs the event loop until `done` is true.
void waitFor(const bool& done);
double median(std::vector<double> v);
double worst(const std::vector<double>& v);
/// The process's resident memory in kB (from /proc), 0 where unknown.
long residentKb();
/// The process's peak resident memory in kB since start or the last resetPeakResident().
long peakResidentKb();
/// Starts the peak over from the present resident memory; false where the system cannot.
bool resetPeakResident();

} // namespace tickora::bench
