#include "server.h"

#include "compression.h"
#include "pages.h"
#include "routes.h"

#include <QDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

int portOf(const sockaddr_storage& a)
{
    if (a.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(a).sin_port);
    if (a.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(a).sin6_port);
    return -1;
}

/// The socket of the connection a request came in on: the one whose local and remote ports are
/// the request's. httplib does not hand it to the handler, but a hang must watch it to notice when
/// the client gives up, and a reset must make the close abortive. -1 when not found.
int findConnectionSocket(const httplib::Request& req)
{
    const QStringList fds =
        QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : fds) {
        bool ok = false;
        const int fd = name.toInt(&ok);
        if (!ok)
            continue;
        sockaddr_storage local{}, peer{};
        socklen_t ll = sizeof local, pl = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &ll) != 0 ||
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &pl) != 0)
            continue;
        if (portOf(local) == req.local_port && portOf(peer) == req.remote_port)
            return fd;
    }
    return -1;
}

/// Whether the peer of a connected socket has closed it or gone away.
bool peerGone(int fd, int waitMs)
{
    pollfd pfd{fd, static_cast<short>(POLLIN | POLLRDHUP), 0};
    const int r = poll(&pfd, 1, waitMs);
    if (r <= 0)
        return false;
    if (pfd.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL))
        return true;
    if (pfd.revents & POLLIN) {
        char c;
        if (recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) == 0)
            return true;
        usleep(waitMs * 1000); // the client sent more; keep ignoring it
    }
    return false;
}
/// The market's own page "/": a link to one address of every family it serves.
QString homePage(int port)
{
    const QString base = u"http://127.0.0.1:"_s + QString::number(port);
    const QString links[] = {
        u"/stocks/detail/?code=7203"_s,
        u"/nkave"_s,
        u"/quote/7203.T"_s,
        u"/quote/998407.O"_s,
        u"/b?s=7203.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s,
        u"/z?s=7203.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=\""_s,
        u"/z?s=998407.O&t=6m&q=c&l=off&z=m&p=m65,m130&a=r,w&c="_s,
        u"/f?s=7203.T"_s,
        u"/t?s=7203.T"_s,
        u"/gifdata/nk_chart_L.gif"_s,
        u"/chart/nka_l.gif"_s,
        u"/Pics/Stock/Day/K001881.GIF"_s,
        u"/rakutensecj/common/analytic.jsp?ric=.DJI&per=1&width=755&height=400&tp=0&sma=1&vol=1"_s,
        u"/asp4gif/japan_gif.asp?code=JPY&exch=CU&type=2&interval=3&upper=0&lower=0&x=360&y=360&barno=100"_s,
        u"/v8/finance/chart/7203.T?range=1d&interval=5m"_s,
        u"/v8/finance/chart/%5EN225?range=6mo&interval=1d"_s,
        u"/v8/finance/chart/%5EDJI?range=1y&interval=1d"_s,
        u"/v8/finance/chart/JPY=X?range=1d&interval=5m"_s,
        u"/_control/status"_s};
    QString s = u"<!DOCTYPE html>\n<html lang=\"ja\"><head><meta "
                u"charset=\"UTF-8\"><title>Tickoraマーケット（模擬市場）</title>"
                u"</head><body><h2>Tickoraマーケット（模擬市場）</h2><p>Tickora を試すための模擬市場です。"
                u"TICKORA_MARKET_URL="_s +
                base + u" として Tickora を起動してください。</p><ul>\n"_s;
    for (const QString& l : links)
        s += u"<li><a href=\""_s + htmlEscape(l) + u"\">"_s + htmlEscape(l) + u"</a></li>\n"_s;
    s += u"</ul></body></html>\n"_s;
    return s;
}

} // namespace

std::optional<FaultMode> FaultMode::parse(const QString& text)
{
    const QString t = text.trimmed().toLower();
    FaultMode m;
    auto number = [&](const QString& prefix, int lo, int hi) -> std::optional<int> {
        bool ok = false;
        const int n = t.mid(prefix.size()).toInt(&ok);
        if (!ok || n < lo || n > hi)
            return std::nullopt;
        return n;
    };
    if (t == u"none"_s || t.isEmpty()) {
        m.kind = Kind::None;
    } else if (t.startsWith(u"status:"_s)) {
        const QStringList parts = t.split(u':');
        bool ok = false;
        const int n = parts.value(1).toInt(&ok);
        if (!ok || parts.size() > 3 || n < 200 || n > 599)
            return std::nullopt;
        m.kind = Kind::Status;
        m.status = n;
        if (parts.size() == 3) {
            const int seconds = parts[2].toInt(&ok);
            if (!ok || seconds < 0 || seconds > 86400)
                return std::nullopt;
            m.retryAfter = seconds;
        }
    } else if (t == u"hang"_s) {
        m.kind = Kind::Hang;
    } else if (t == u"reset"_s) {
        m.kind = Kind::Reset;
    } else if (t == u"garbage"_s) {
        m.kind = Kind::Garbage;
    } else if (t.startsWith(u"huge:"_s)) {
        const auto n = number(u"huge:"_s, 1, 4096);
        if (!n)
            return std::nullopt;
        m.kind = Kind::Huge;
        m.megabytes = *n;
    } else if (t == u"drip"_s) {
        m.kind = Kind::Drip;
    } else {
        return std::nullopt;
    }
    return m;
}

QString FaultMode::toString() const
{
    switch (kind) {
    case Kind::None:
        return u"none"_s;
    case Kind::Status:
        return u"status:"_s + QString::number(status) +
               (retryAfter >= 0 ? u":"_s + QString::number(retryAfter) : QString());
    case Kind::Hang:
        return u"hang"_s;
    case Kind::Reset:
        return u"reset"_s;
    case Kind::Garbage:
        return u"garbage"_s;
    case Kind::Huge:
        return u"huge:"_s + QString::number(megabytes);
    case Kind::Drip:
        return u"drip"_s;
    }
    return {};
}

std::optional<QList<FaultMode>> parseFaultMix(const QString& text)
{
    QList<FaultMode> out;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        const auto m = FaultMode::parse(part);
        if (!m || m->kind == FaultMode::Kind::None)
            return std::nullopt;
        out.append(*m);
    }
    return out;
}

BoundedThreadPool::BoundedThreadPool(size_t threads, size_t maxQueued)
    : m_maxQueued(std::max<size_t>(1, maxQueued))
{
    for (size_t i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

BoundedThreadPool::~BoundedThreadPool()
{
    shutdown();
}

void BoundedThreadPool::enqueue(std::function<void()> job)
{
    std::unique_lock lock(m_mutex);
    m_hasRoom.wait(lock, [this] { return m_jobs.size() < m_maxQueued || m_shutdown; });
    m_jobs.push_back(std::move(job));
    m_hasJob.notify_one();
}

void BoundedThreadPool::shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
    }
    m_hasJob.notify_all();
    m_hasRoom.notify_all();
    for (std::thread& t : m_threads)
        if (t.joinable())
            t.join();
}

size_t BoundedThreadPool::queued() const
{
    std::lock_guard lock(m_mutex);
    return m_jobs.size();
}

void BoundedThreadPool::work()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_hasJob.wait(lock, [this] { return !m_jobs.empty() || m_shutdown; });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        m_hasRoom.notify_one();
        job();
    }
}

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

void MarketServer::setFault(const FaultMode& mode, const QString& pathPrefix)
{
    std::lock_guard lock(m_faultMutex);
    m_fault = mode;
    m_faultPath = pathPrefix;
}

FaultMode MarketServer::fault() const
{
    std::lock_guard lock(m_faultMutex);
    return m_fault;
}

void MarketServer::setFaultRate(double rate, const QList<FaultMode>& mix)
{
    std::lock_guard lock(m_faultMutex);
    m_faultRate = std::clamp(rate, 0.0, 1.0);
    m_faultMix = mix;
    if (m_faultMix.isEmpty())
        m_faultMix = *parseFaultMix(u"status:500,status:503,status:404,status:304,reset,garbage"_s);
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

std::optional<FaultMode> MarketServer::faultFor(const QString& path)
{
    std::lock_guard lock(m_faultMutex);
    if (!path.startsWith(m_faultPath))
        return std::nullopt;
    if (m_fault.kind != FaultMode::Kind::None)
        return m_fault;
    if (m_faultRate > 0 && !m_faultMix.isEmpty() && m_faultRng.uniform() < m_faultRate)
        return m_faultMix[m_faultRng.below(int(m_faultMix.size()))];
    return std::nullopt;
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

void MarketServer::applyFault(const FaultMode& mode, const httplib::Request& req, httplib::Response& res)
{
    using Kind = FaultMode::Kind;
    switch (mode.kind) {
    case Kind::None:
        answer(req, res);
        return;
    case Kind::Status:
        answerWithStatus(mode, res);
        return;
    case Kind::Hang:
        holdWithoutAnswer(req);
        return;
    case Kind::Garbage:
        answerWithGarbage(req, res);
        return;
    case Kind::Reset:
        resetMidBody(req, res);
        return;
    case Kind::Huge:
        answerHuge(mode.megabytes, req, res);
        return;
    case Kind::Drip:
        drip(req, res);
        return;
    }
}

void MarketServer::answerWithStatus(const FaultMode& mode, httplib::Response& res)
{
    const int status = mode.status;
    res.status = status;
    if (mode.retryAfter >= 0)
        res.set_header("Retry-After", std::to_string(mode.retryAfter));
    if (status != 204 && status != 304)
        res.set_content(utf8(u"<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\"><title>"_s +
                             QString::number(status) + u"</title></head><body><p>エラーが発生しました（"_s +
                             QString::number(status) +
                             u"）。しばらくしてから再度お試しください。</p></body></html>\n"_s),
                        HtmlType);
}

void MarketServer::holdWithoutAnswer(const httplib::Request& req)
{
    // No answer at all: hold the connection until the client gives up (or the server stops),
    // then close it without a word.
    ++m_held;
    const int fd = findConnectionSocket(req);
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(30);
    while (!m_stopping && std::chrono::steady_clock::now() < end) {
        if (fd >= 0 ? peerGone(fd, 100) : !sleepUnlessStopping(100))
            break;
    }
    if (fd >= 0)
        ::shutdown(fd, SHUT_RDWR);
    --m_held;
}

void MarketServer::answerWithGarbage(const httplib::Request& req, httplib::Response& res)
{
    answer(req, res);
    const std::string type = res.get_header_value("Content-Type");
    std::string bytes;
    {
        std::lock_guard lock(m_faultMutex);
        bytes.resize(4096 + m_faultRng.below(60000));
        for (char& c : bytes)
            c = static_cast<char>(m_faultRng.next() & 0xff);
    }
    res.status = 200;
    res.set_content(std::move(bytes), type.c_str());
}

void MarketServer::resetMidBody(const httplib::Request& req, httplib::Response& res)
{
    // Headers and half the body, then an abortive close (RST).
    answer(req, res);
    auto body = std::make_shared<std::string>(res.body);
    const std::string type = res.get_header_value("Content-Type");
    const int fd = findConnectionSocket(req);
    res.body.clear();
    res.set_content_provider(body->size(), type.c_str(),
                             [this, body, fd](size_t, size_t, httplib::DataSink& sink) {
                                 sink.write(body->data(), std::max<size_t>(1, body->size() / 2));
                                 sleepUnlessStopping(100);
                                 if (fd >= 0) {
                                     const linger l{1, 0};
                                     setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
                                 }
                                 return false;
                             });
}

void MarketServer::answerHuge(int megabytes, const httplib::Request& req, httplib::Response& res)
{
    answer(req, res);
    const std::string type = res.get_header_value("Content-Type");
    res.body.clear();
    auto filler = std::make_shared<std::string>();
    const std::string line =
        "<p class=\"pad\">............................................................</p>\n";
    while (filler->size() < 64 * 1024)
        *filler += line;
    res.set_content_provider(static_cast<size_t>(megabytes) << 20, type.c_str(),
                             [this, filler](size_t offset, size_t length, httplib::DataSink& sink) {
                                 if (m_stopping)
                                     return false;
                                 const size_t start = offset % filler->size();
                                 const size_t n = std::min(length, filler->size() - start);
                                 return sink.write(filler->data() + start, n);
                             });
}

void MarketServer::drip(const httplib::Request& req, httplib::Response& res)
{
    // The whole answer, one byte a second.
    answer(req, res);
    auto body = std::make_shared<std::string>(res.body);
    const std::string type = res.get_header_value("Content-Type");
    res.body.clear();
    ++m_held;
    res.set_content_provider(
        body->size(), type.c_str(),
        [this, body](size_t offset, size_t, httplib::DataSink& sink) {
            if (m_stopping || !sink.write(body->data() + offset, 1))
                return false;
            return sleepUnlessStopping(1000);
        },
        [this](bool) { --m_held; });
}

} // namespace tickora::market
