#pragma once

#include "faultmode.h"
#include "simulation.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace tickora::market {

/// The largest request body the market reads; it serves GETs, so any body is a stray client's.
inline constexpr size_t MaxRequestBody = 16 * 1024;
/// Connections accepted but not yet taken up by a worker, at most.
inline constexpr size_t MaxQueuedConnections = 256;

/// The form of today's stock pages: the streamed data of 2026, or the page state of 2025.
enum class StockPageForm
{
    Streamed,
    State
};

/// The form of today's Nikkei page: the page state it has kept, or the streamed data of the stock pages.
enum class IndexPageForm
{
    State,
    Streamed
};

struct ServerOptions
{
    std::uint64_t seed = 1;
    int latencyMs = 0;
    FaultMode fault;
    QString faultPath;         ///< the fault applies to paths starting with this (empty: every path)
    double faultRate = 0;      ///< fraction of other requests that get a fault drawn from faultMix
    QList<FaultMode> faultMix; ///< empty: the quick modes (500, 503, 404, 304, reset, garbage)
    QDate firstDay; ///< first simulated trading day (invalid: today in Japan, or the next trading day)
    int startMinute = 9 * 60; ///< minute of the day the first quote of each stock shows
    StockPageForm stockPages = StockPageForm::Streamed; ///< the form of /quote/<code>.T
    IndexPageForm indexPages = IndexPageForm::State;    ///< the form of /quote/998407.O
    TimeForm timeForm = TimeForm::Short;                ///< how today's pages write the quote's time
};

/// The simulated market's HTTP server on loopback. Serves the stock-detail pages, the Nikkei page
/// and every chart image, applies the latency and the fault mode, and offers control endpoints
/// under /_control/ (never delayed or faulted): fault?mode=M[&path=P], latency?ms=N,
/// fault-rate?p=P[&mix=M,M], time-form?form=short|seconds|dated,
/// quote-page?code=C&page=normal|unknown|other:CODE, status.
class MarketServer
{
public:
    MarketServer(QList<Listing> listings, ServerOptions options);
    ~MarketServer();
    MarketServer(const MarketServer&) = delete;
    MarketServer& operator=(const MarketServer&) = delete;

    /// Binds to 127.0.0.1 on `port` (0: any free port). Returns the port, or -1 on failure.
    int bind(int port = 0);
    /// Prints one line per answered request on standard error; call before run().
    void enableLog();
    /// Serves until stop(); call after bind().
    void run();
    /// bind() and run() on a thread of its own; returns the port or -1.
    int startInBackground(int port = 0);
    /// Stops serving and ends every hanging or dripping answer. Safe to call twice.
    void stop();

    int port() const { return m_port; }
    Market& market() { return m_market; }

    void setFault(const FaultMode& mode, const QString& pathPrefix = {});
    FaultMode fault() const;
    void setLatency(int ms) { m_latencyMs = std::max(0, ms); }
    void setFaultRate(double rate, const QList<FaultMode>& mix = {});
    /// Answers currently held back by a hang or a drip.
    int heldAnswers() const { return m_held.load(); }
    /// How today's pages write the quote's time from now on.
    void setTimeForm(TimeForm form) { m_timeForm = int(form); }
    TimeForm timeForm() const { return TimeForm(m_timeForm.load()); }
    /// What /quote/<code>.T answers from now on: "normal" (or empty), "unknown" (a page in a form no
    /// reader knows) or "other:CODE" (a page whose board names CODE). For 998407.O only "other:CODE".
    void setQuotePage(const QString& code, const QString& page);
    QString quotePageOf(const QString& code) const;
    /// Requests answered so far, control requests excluded.
    long long requestCount() const { return m_requests.load(); }

private:
    void installRoutes();
    void handle(const httplib::Request& req, httplib::Response& res);
    void handleControl(const httplib::Request& req, httplib::Response& res);
    /// Sends a text, page or JSON answer compressed with gzip when the request accepts it.
    void compressIfAsked(const httplib::Request& req, httplib::Response& res);
    /// Fills `res` with the normal answer for a request.
    void answer(const httplib::Request& req, httplib::Response& res);
    // One family of paths each (a file each); false when the path is not theirs.
    bool serveStockPage(const QString& path, const httplib::Request& req, httplib::Response& res);
    bool serveIndexPage(const QString& path, httplib::Response& res);
    bool serveSeries(const QString& path, const httplib::Request& req, httplib::Response& res);
    bool serveChart(const QString& path, const httplib::Request& req, httplib::Response& res);
    /// The chart JSON of a symbol: a stock "NNNN.T", "^N225", "^DJI" or "JPY=X".
    void answerSeries(const QString& symbol, const httplib::Request& req, httplib::Response& res);
    void applyFault(const FaultMode& mode, const httplib::Request& req, httplib::Response& res);
    // One answer per fault mode.
    void answerWithStatus(const FaultMode& mode, httplib::Response& res);
    void holdWithoutAnswer(const httplib::Request& req);
    void answerWithGarbage(const httplib::Request& req, httplib::Response& res);
    void resetMidBody(const httplib::Request& req, httplib::Response& res);
    void answerHuge(int megabytes, const httplib::Request& req, httplib::Response& res);
    void drip(const httplib::Request& req, httplib::Response& res);
    std::optional<FaultMode> faultFor(const QString& path);
    bool sleepUnlessStopping(int ms) const;
    QByteArray chartPng(const QString& path, const httplib::Request& req);

    Market m_market;
    const StockPageForm m_stockPages;
    const IndexPageForm m_indexPages;
    std::atomic<int> m_timeForm{0};
    mutable std::mutex m_quotePagesMutex;
    QHash<QString, QString> m_quotePages; ///< by code: the page to answer instead of the normal one
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = -1;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_latencyMs{0};
    std::atomic<int> m_held{0};
    std::atomic<long long> m_requests{0};

    mutable std::mutex m_faultMutex;
    FaultMode m_fault;
    QString m_faultPath;
    double m_faultRate = 0;
    QList<FaultMode> m_faultMix;
    Rng m_faultRng;
    std::mutex m_drawMutex;
};

} // namespace tickora::market
