#include "server.h"

#include "charts.h"
#include "charts/seriesreader.h"
#include "pages.h"
#include "todaypages.h"

#include <httplib.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

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

const char* const HtmlType = "text/html; charset=UTF-8";
const char* const PngType = "image/png";
const char* const TextType = "text/plain; charset=UTF-8";
const char* const JsonType = "application/json; charset=utf-8";

/// The chart JSON service's answer for a request it cannot serve.
std::string chartError(const QString& code, const QString& description)
{
    QJsonObject error{{u"code"_s, code}, {u"description"_s, description}};
    QJsonObject chart{{u"result"_s, QJsonValue::Null}, {u"error"_s, error}};
    return QJsonDocument(QJsonObject{{u"chart"_s, chart}}).toJson(QJsonDocument::Compact).toStdString();
}

QString param(const httplib::Request& req, const char* name)
{
    return QString::fromStdString(req.get_param_value(name));
}

std::string utf8(const QString& s)
{
    return s.toStdString();
}

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

QString indexPage(int port)
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
          QDate d = QDate::currentDate();
          return d.dayOfWeek() > 5 ? nextWeekday(d) : d;
      }(), sessionStepAt(options.startMinute)),
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
    installRoutes();
}

MarketServer::~MarketServer()
{
    stop();
}

void MarketServer::installRoutes()
{
    m_server->Get(R"(.*)", [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); });
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
}

void MarketServer::handleControl(const httplib::Request& req, httplib::Response& res)
{
    const QString path = QString::fromStdString(req.path);
    auto reply = [&](int status, const QString& text) {
        res.status = status;
        res.set_content(utf8(text + u'\n'), TextType);
    };
    if (path == u"/_control/fault"_s) {
        if (req.has_param("mode")) {
            const auto mode = FaultMode::parse(param(req, "mode"));
            if (!mode)
                return reply(400, u"unknown fault mode: "_s + param(req, "mode"));
            setFault(*mode, param(req, "path"));
        }
        std::lock_guard lock(m_faultMutex);
        return reply(200, u"fault="_s + m_fault.toString() + u" path="_s + m_faultPath);
    }
    if (path == u"/_control/latency"_s) {
        if (req.has_param("ms")) {
            bool ok = false;
            const int ms = param(req, "ms").toInt(&ok);
            if (!ok || ms < 0)
                return reply(400, u"bad latency: "_s + param(req, "ms"));
            setLatency(ms);
        }
        return reply(200, u"latency_ms="_s + QString::number(m_latencyMs.load()));
    }
    if (path == u"/_control/fault-rate"_s) {
        bool ok = false;
        const double p = param(req, "p").toDouble(&ok);
        if (!ok || p < 0 || p > 1)
            return reply(400, u"bad fault rate: "_s + param(req, "p"));
        const auto mix = parseFaultMix(param(req, "mix"));
        if (!mix)
            return reply(400, u"bad fault mix: "_s + param(req, "mix"));
        setFaultRate(p, *mix);
        return reply(200, u"fault_rate="_s + QString::number(p));
    }
    if (path == u"/_control/status"_s) {
        std::lock_guard lock(m_faultMutex);
        QStringList mix;
        for (const FaultMode& m : std::as_const(m_faultMix))
            mix.append(m.toString());
        res.set_content(utf8(u"{\"fault\":\""_s + m_fault.toString() + u"\",\"path\":\""_s + m_faultPath +
                             u"\",\"latency_ms\":"_s + QString::number(m_latencyMs.load()) +
                             u",\"fault_rate\":"_s + QString::number(m_faultRate) + u",\"fault_mix\":\""_s +
                             mix.join(u',') + u"\",\"held\":"_s + QString::number(m_held.load()) +
                             u",\"requests\":"_s + QString::number(m_requests.load()) + u"}\n"_s),
                        "application/json");
        return;
    }
    reply(404, u"unknown control: "_s + path);
}

QByteArray MarketServer::chartPng(const QString& path, const httplib::Request& req)
{
    const QString symbol = param(req, "s");
    auto stock = [&](auto draw, QSize size) -> QByteArray {
        const auto series = m_market.stockSeries(symbol);
        std::lock_guard lock(m_drawMutex);
        return encodePng(series ? draw(*series, size) : drawNoDataChart(symbol, size));
    };
    if (path == u"/b"_s)
        return stock([](const ChartSeries& s, QSize z) { return drawYearChart(s, z); }, YearChartSize);
    if (path == u"/z"_s) {
        if (symbol.startsWith(u"998407"_s)) {
            const ChartSeries n = m_market.nikkeiSeries();
            std::lock_guard lock(m_drawMutex);
            return encodePng(drawNikkeiHalfYearChart(n));
        }
        return stock([](const ChartSeries& s, QSize z) { return drawHalfYearChart(s, z); },
                     HalfYearChartSize);
    }
    if (path == u"/f"_s)
        return stock([](const ChartSeries& s, QSize z) { return drawIntradayChart(s, z); },
                     LargeThumbnailSize);
    if (path == u"/t"_s)
        return stock([](const ChartSeries& s, QSize z) { return drawIntradayChart(s, z); },
                     SmallThumbnailSize);
    if (path == u"/gifdata/nk_chart_L.gif"_s) {
        const ChartSeries n = m_market.nikkeiSeries();
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawIntradayChart(n, NikkeiIntradaySize));
    }
    if (path == u"/chart/nka_l.gif"_s) {
        const ChartSeries d = m_market.dowSeries();
        const ChartSeries n = m_market.nikkeiSeries();
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawComparisonChart(d, n));
    }
    if (path == u"/Pics/Stock/Day/K001881.GIF"_s) {
        const ChartSeries n = m_market.nikkeiSeries();
        const QList<double> ratio = m_market.advanceDeclineRatio();
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawAdvanceDeclineChart(n, ratio));
    }
    if (path == u"/rakutensecj/common/analytic.jsp"_s) {
        const QSize size = sizeFromQuery(param(req, "width"), param(req, "height"), DowSize);
        const ChartSeries d = m_market.dowSeries();
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawDowChart(d, size));
    }
    if (path == u"/asp4gif/japan_gif.asp"_s) {
        const QSize size = sizeFromQuery(param(req, "x"), param(req, "y"), UsdJpySize);
        bool ok = false;
        int bars = param(req, "barno").toInt(&ok);
        bars = ok ? std::clamp(bars, 10, 500) : 100;
        const FxSeries fx = m_market.nextUsdJpy(bars);
        std::lock_guard lock(m_drawMutex);
        return encodePng(drawUsdJpyChart(fx, size));
    }
    return {};
}

void MarketServer::answerSeries(const QString& symbol, const httplib::Request& req, httplib::Response& res)
{
    const QString range = param(req, "range");
    const auto span = seriesSpanOf(range);
    if (!span) {
        res.status = 400;
        res.set_content(chartError(u"Bad Request"_s, u"Invalid range: "_s + range), JsonType);
        return;
    }
    std::optional<PriceSeries> series;
    if (symbol == u"^N225"_s) {
        series = seriesOfSpan(m_market.nikkeiSeries(), symbol, *span, TokyoGmtOffset);
    } else if (symbol == u"^DJI"_s) {
        series = seriesOfSpan(m_market.dowSeries(), symbol, *span, NewYorkGmtOffset);
    } else if (symbol == u"JPY=X"_s) {
        series = fxSeriesOfSpan(m_market.nextUsdJpy(1000), *span);
    } else if (symbol.endsWith(u".T"_s)) {
        if (const auto stock = m_market.stockSeries(symbol))
            series = seriesOfSpan(*stock, symbol, *span, TokyoGmtOffset);
    }
    if (!series) {
        res.status = 404;
        res.set_content(chartError(u"Not Found"_s, u"No data found, symbol may be delisted"_s), JsonType);
        return;
    }
    res.set_content(chartJsonFromSeries(*series).toStdString(), JsonType);
}

void MarketServer::answer(const httplib::Request& req, httplib::Response& res)
{
    const QString path = QString::fromStdString(req.path);
    if (path.startsWith(u"/v8/finance/chart/"_s)) {
        // The symbol is one path segment, percent-encoded by careful clients ("%5EN225").
        answerSeries(QUrl::fromPercentEncoding(path.mid(18).toUtf8()), req, res);
        return;
    }
    if (path == u"/stocks/detail/"_s || path == u"/stocks/detail"_s) {
        const QString code = param(req, "code");
        const auto quote = m_market.nextQuote(code);
        res.set_content(utf8(quote ? quotePage(*quote) : notFoundPage(code)), HtmlType);
        return;
    }
    if (path.startsWith(u"/quote/"_s)) {
        // Today's quote pages: /quote/<code>.T for a stock, /quote/998407.O for the Nikkei average.
        // Like the stock-detail page, a code the market does not list gets a normal page saying so.
        const QString symbol = path.mid(7);
        if (symbol == u"998407.O"_s) {
            res.set_content(utf8(todayIndexPage(m_market.nextNikkei(QuoteStateHistoryDays))), HtmlType);
            return;
        }
        const QString code = symbol.endsWith(u".T"_s) ? symbol.chopped(2) : symbol;
        const auto quote =
            symbol.endsWith(u".T"_s) ? m_market.nextQuote(code, QuoteStateHistoryDays) : std::nullopt;
        res.set_content(utf8(quote ? todayQuotePage(*quote) : todayNotFoundPage(code)), HtmlType);
        return;
    }
    if (path == u"/nkave"_s || path == u"/nkave/"_s) {
        res.set_content(utf8(nikkeiPage(m_market.nextNikkei())), HtmlType);
        return;
    }
    if (path == u"/"_s) {
        res.set_content(utf8(indexPage(m_port)), HtmlType);
        return;
    }
    const QByteArray png = chartPng(path, req);
    if (!png.isEmpty()) {
        res.set_content(png.toStdString(), PngType);
        return;
    }
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
