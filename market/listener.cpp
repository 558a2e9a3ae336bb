// The market's listener: the HTTP server on loopback, its workers, and the dispatch of each request
// to the latency, a fault or the family of paths that answers it.

#include "server.h"

#include "compression.h"
#include "homepage.h"
#include "routes.h"
#include "textformats.h"
#include "threadpool.h"

#include <chrono>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

// cpp-httplib's task queue on a BoundedThreadPool.
class BoundedTaskQueue : public httplib::TaskQueue
{
public:
    BoundedTaskQueue(size_t threads, size_t maxQueued) : m_pool(threads, maxQueued) {}
    void enqueue(std::function<void()> fn) override { m_pool.enqueue(std::move(fn)); }
    void shutdown() override { m_pool.shutdown(); }

private:
    BoundedThreadPool m_pool;
};

} // namespace

MarketServer::MarketServer(QList<Listing> listings, ServerOptions options)
    : m_market(std::move(listings), options.seed, options.firstDay.isValid() ? options.firstDay : [] {
          // Today in Japan, or the next trading day when the exchange is closed today.
          const QDate d = japanTime(QDateTime::currentDateTime()).date();
          return isExchangeClosed(d) ? nextTradingDay(d) : d;
      }(), sessionStepAt(options.startMinute)),
      m_stockPages(options.stockPages), m_indexPages(options.indexPages), m_timeForm(int(options.timeForm)),
      m_server(std::make_unique<httplib::Server>()), m_faultRng(mixSeed(options.seed, u"faults"))
{
    m_latencyMs = std::max(0, options.latencyMs);
    m_fault = options.fault;
    m_faultPath = options.faultPath;
    setFaultRate(options.faultRate, options.faultMix);
    // Enough workers that many delayed requests are answered side by side; a bounded queue and
    // body size, so that a stray client cannot make the market grow.
    m_server->new_task_queue = [] { return new BoundedTaskQueue(64, MaxQueuedConnections); };
    m_server->set_payload_max_length(MaxRequestBody);
    // A compressed body goes out after its headers in a write of its own: without this the
    // system holds it back until the client acknowledges the headers, tens of milliseconds.
    m_server->set_tcp_nodelay(true);
    installRoutes();
}

MarketServer::~MarketServer()
{
    stop();
}

void MarketServer::installRoutes()
{
    m_server->Get(R"(.*)", [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); });
    // Every answer tells the moment the market simulates, once the request has moved it.
    m_server->set_post_routing_handler([this](const httplib::Request&, httplib::Response& res) {
        res.set_header("X-Tickora-Simulated-Time", m_market.moment().toString(Qt::ISODate).toStdString());
    });
}

int MarketServer::bind(int port)
{
    if (port == 0)
        m_port = m_server->bind_to_any_port("127.0.0.1");
    else
        m_port = m_server->bind_to_port("127.0.0.1", port) ? port : -1;
    return m_port;
}

void MarketServer::enableLog()
{
    m_server->set_logger([](const httplib::Request& req, const httplib::Response& res) {
        std::fprintf(
            stderr, "%s %s%s%s -> %d\n", req.method.c_str(), req.path.c_str(), req.params.empty() ? "" : "?",
            req.params.empty() ? "" : httplib::detail::params_to_query_str(req.params).c_str(), res.status);
    });
}

void MarketServer::run()
{
    m_server->listen_after_bind();
}

int MarketServer::startInBackground(int port)
{
    if (bind(port) < 0)
        return -1;
    m_thread = std::thread([this] { run(); });
    return m_port;
}

void MarketServer::stop()
{
    m_stopping = true;
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool MarketServer::sleepUnlessStopping(int ms) const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!m_stopping) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(end - now, std::chrono::milliseconds(50)));
    }
    return false;
}

void MarketServer::handle(const httplib::Request& req, httplib::Response& res)
{
    // Every answer says that its prices are made up, so the program can tell its user.
    res.set_header("X-Tickora-Simulated", "1");
    const QString path = QString::fromStdString(req.path);
    if (path.startsWith(u"/_control/"_s)) {
        handleControl(req, res);
        return;
    }
    ++m_requests;
    if (const int ms = m_latencyMs.load(); ms > 0)
        sleepUnlessStopping(ms);
    if (const auto mode = faultFor(path)) {
        applyFault(*mode, req, res);
        return;
    }
    answer(req, res);
    compressIfAsked(req, res);
}

void MarketServer::compressIfAsked(const httplib::Request& req, httplib::Response& res)
{
    const std::string type = res.get_header_value("Content-Type");
    if (res.body.empty() || !isCompressibleType(type) ||
        !acceptsGzip(req.get_header_value("Accept-Encoding")))
        return;
    auto compressed = std::make_shared<std::string>(gzipCompress(res.body));
    res.body.clear();
    res.set_header("Content-Encoding", "gzip");
    res.set_header("Vary", "Accept-Encoding");
    // A body of known length from a provider goes out as it is; httplib compresses only
    // bodies given whole, and then prefers brotli, which is slow at its level.
    res.set_content_provider(compressed->size(), type.c_str(),
                             [compressed](size_t offset, size_t length, httplib::DataSink& sink) {
                                 return sink.write(compressed->data() + offset,
                                                   std::min(length, compressed->size() - offset));
                             });
}

void MarketServer::answer(const httplib::Request& req, httplib::Response& res)
{
    const QString path = QString::fromStdString(req.path);
    if (serveSeries(path, req, res) || serveIndexPage(path, res) || serveStockPage(path, req, res))
        return;
    if (path == u"/"_s) {
        res.set_content(utf8(homePage(m_port)), HtmlType);
        return;
    }
    if (serveChart(path, req, res))
        return;
    res.status = 404;
    res.set_content(
        utf8(u"<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"UTF-8\"><title>404</title></head>"
             u"<body><p>ページが見つかりません: "_s +
             htmlEscape(path) + u"</p></body></html>\n"_s),
        HtmlType);
}

} // namespace tickora::market
