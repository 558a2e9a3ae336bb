#pragma once

#include "httpclient.h"

#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QPointer>

#include <memory>
#include <optional>
#include <vector>

namespace tickora {

/// Where an answer of `status` with the Location header value `location` sends its request: only
/// a 3xx status (but 304, "not modified") with a valid Location is a redirect; any other answer
/// is whole, whatever headers it carries.
std::optional<QUrl> redirectTarget(int status, const QByteArray& location);

/// Whether a request that has reached `from` may follow a redirect to `to`: only to the host it
/// was sent to (`origin`), with the same scheme and port, or as an upgrade from http to https.
bool isRedirectAllowed(const QUrl& origin, const QUrl& from, const QUrl& to);

/// HttpClient on QNetworkAccessManager. Requests are spread over a few managers so that more
/// than six of them can be in flight to one host at once. At most MaxRedirects redirects are
/// followed, each only as isRedirectAllowed says; any other redirect fails the request. TLS
/// certificates are always verified. Answers may come compressed (gzip or deflate) and are
/// inflated as they arrive. A request that is not done within the transfer time-out, or whose
/// body (inflated) passes the size cap, fails without a status; the body held never passes it.
class QtHttpClient : public HttpClient
{
public:
    static constexpr int MaxRedirects = 5;
    struct Limits
    {
        int transferTimeoutMs = 15000; ///< limit for the whole exchange, from the request on
        qint64 maxBodyBytes = 16 * 1024 * 1024;
        int managers = 5; // six connections each: a whole tick (26 requests) in flight at once
        QByteArray userAgent = "Tickora"; ///< names the program in every request
    };

    QtHttpClient() : QtHttpClient(Limits{}) {}
    explicit QtHttpClient(Limits limits);
    ~QtHttpClient() override;

    void get(const HttpRequest& request, QObject* context, Done done) override;

private:
    /// One request on its way, across the redirects it follows.
    struct Exchange
    {
        HttpRequest request; ///< as asked; its address is the redirects' origin
        QUrl url;            ///< where this hop goes
        int hops = 0;
        QDeadlineTimer deadline;
        QPointer<QObject> context;
        bool hasContext = false;
        Done done;
    };
    void send(Exchange exchange);
    /// Hands the finished reply's answer (or `abortError`, when the client cut it off) to the
    /// exchange's callback, or sends the exchange on to where an allowed redirect points.
    void finish(QNetworkReply& reply, const QString& abortError, const QByteArray& body, Exchange exchange);

    Limits m_limits;
    std::vector<std::unique_ptr<QNetworkAccessManager>> m_managers;
    size_t m_next = 0;
};

} // namespace tickora
