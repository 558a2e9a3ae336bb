// The fault modes the market answers with on purpose: which request gets one, and one answer per mode.

#include "server.h"

#include "routes.h"

#include <QDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

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

} // namespace

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
