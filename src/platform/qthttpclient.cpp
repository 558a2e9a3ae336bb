#include "qthttpclient.h"

#include "transporterror.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

/// Inflated bytes past which Qt starts checking how far a compressed body inflates.
constexpr qint64 DecompressionCheckBytes = 1024 * 1024;

enum class Abort
{
    None,
    TooLarge,
    TimedOut
};

/// Errors that mean the exchange itself broke (no connection, reset, time-out, broken framing),
/// as opposed to the errors Qt derives from an HTTP status the server did send.
bool isTransportError(QNetworkReply::NetworkError e)
{
    if (e == QNetworkReply::NoError)
        return false;
    return e < QNetworkReply::ContentAccessDenied || e == QNetworkReply::ProtocolFailure ||
           e == QNetworkReply::ProtocolUnknownError;
}

/// The error of a request this client cut off itself; empty for one it let run.
QString abortMessage(Abort abort)
{
    switch (abort) {
    case Abort::TooLarge:
        return u"応答が大きすぎます"_s;
    case Abort::TimedOut:
        return u"時間内に応答がありませんでした"_s;
    case Abort::None:
        break;
    }
    return {};
}

QNetworkRequest makeRequest(const QUrl& url, const HttpRequest& request, const QtHttpClient::Limits& limits,
                            int transferTimeoutMs)
{
    QNetworkRequest req(url);
    for (const auto& [name, value] : request.headers)
        req.setRawHeader(name, value);
    // The services are shared with everyone: every request says which program sends it, and
    // asks for the Japanese pages the cutting rules read.
    if (!req.hasRawHeader("User-Agent"))
        req.setRawHeader("User-Agent", limits.userAgent);
    if (!req.hasRawHeader("Accept-Language"))
        req.setRawHeader("Accept-Language", "ja");
    // No Accept-Encoding of our own: Qt then asks for gzip and deflate and inflates the body
    // itself (a page of 400 KB travels as about 50 KB). The size cap applies to the inflated
    // text, and Qt's check against bombs refuses a body that inflates far beyond its size on the
    // wire once it passes the threshold.
    req.setDecompressedSafetyCheckThreshold(qMin(limits.maxBodyBytes, DecompressionCheckBytes));
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setTransferTimeout(transferTimeoutMs);
    return req;
}

/// Moves what the reply has ready (inflated, when it came compressed) into `body`, which never
/// grows past `cap`: false, with nothing taken, when the bytes ready would pass it.
bool takeAvailable(QNetworkReply& reply, QByteArray& body, qint64 cap)
{
    const qint64 ready = reply.bytesAvailable();
    if (ready > cap - body.size())
        return false;
    body.append(reply.read(ready));
    return true;
}

/// Takes the body out of the reply as it arrives, through a small read buffer, so that the cap
/// bounds the memory held: an answer that announces or brings more is cut off at once.
std::shared_ptr<QByteArray> collectBody(QNetworkReply* reply, qint64 cap, const std::shared_ptr<Abort>& abort)
{
    auto body = std::make_shared<QByteArray>();
    reply->setReadBufferSize(256 * 1024);
    auto tooLarge = [reply, abort] {
        *abort = Abort::TooLarge;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, cap, abort, tooLarge] {
        // No length announced reads as 0, which no cap refuses.
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (*abort == Abort::None && announced > cap)
            tooLarge();
    });
    auto take = [reply, cap, abort, body, tooLarge] {
        if (*abort == Abort::None && !takeAvailable(*reply, *body, cap))
            tooLarge();
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);
    // What arrives with the end of the answer is held to the cap as well; connected before the
    // caller's own handler of the end, so it runs first.
    QObject::connect(reply, &QNetworkReply::finished, reply, take);
    return body;
}

/// Qt's own transfer time-out only notices silence; a server that drips a byte now and then
/// would hold the request for ever. The whole exchange, redirects included, gets the limit.
void abortAfter(QNetworkReply* reply, int ms, const std::shared_ptr<Abort>& abort)
{
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [reply, abort] {
        if (*abort == Abort::None && reply->isRunning()) {
            *abort = Abort::TimedOut;
            reply->abort();
        }
    });
    deadline->start(ms);
}

} // namespace

std::optional<QUrl> redirectTarget(int status, const QByteArray& location)
{
    // The status decides, not the header: a 4xx or 5xx answer that names a Location is whole.
    if (status < 300 || status > 399 || status == 304)
        return std::nullopt;
    const QUrl target = QUrl::fromEncoded(location.trimmed(), QUrl::StrictMode);
    if (location.trimmed().isEmpty() || !target.isValid())
        return std::nullopt;
    return target;
}

bool isRedirectAllowed(const QUrl& origin, const QUrl& from, const QUrl& to)
{
    if (to.host().compare(origin.host(), Qt::CaseInsensitive) != 0 || to.host().isEmpty())
        return false;
    const QString scheme = from.scheme().toLower();
    const QString next = to.scheme().toLower();
    if (scheme == u"http" && next == u"https")
        return true;
    return next == scheme && (next == u"http" || next == u"https") &&
           to.port(next == u"https" ? 443 : 80) == from.port(scheme == u"https" ? 443 : 80);
}

QtHttpClient::QtHttpClient(Limits limits) : m_limits(limits)
{
    const int count = qMax(1, limits.managers);
    for (int i = 0; i < count; ++i) {
        auto manager = std::make_unique<QNetworkAccessManager>();
        // Redirects are followed here, one request per hop, each checked before it is sent.
        manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        manager->setTransferTimeout(limits.transferTimeoutMs);
        m_managers.push_back(std::move(manager));
    }
}

QtHttpClient::~QtHttpClient() = default;

void QtHttpClient::get(const HttpRequest& request, QObject* context, Done done)
{
    Exchange exchange;
    exchange.request = request;
    exchange.url = request.url;
    exchange.deadline = QDeadlineTimer(m_limits.transferTimeoutMs);
    exchange.context = context;
    exchange.hasContext = context != nullptr;
    exchange.done = std::move(done);
    send(std::move(exchange));
}

void QtHttpClient::send(Exchange exchange)
{
    const int remainingMs = int(qMax<qint64>(1, exchange.deadline.remainingTime()));
    QNetworkAccessManager& manager = *m_managers[m_next++ % m_managers.size()];
    QNetworkReply* reply = manager.get(makeRequest(exchange.url, exchange.request, m_limits, remainingMs));
    const qint64 requestCap = exchange.request.maxBodyBytes;
    const qint64 cap = requestCap > 0 ? qMin(requestCap, m_limits.maxBodyBytes) : m_limits.maxBodyBytes;
    auto abort = std::make_shared<Abort>(Abort::None);
    auto body = collectBody(reply, cap, abort);
    abortAfter(reply, remainingMs, abort);

    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [this, reply, abort, body, exchange = std::move(exchange)]() mutable {
                         reply->deleteLater();
                         if (exchange.hasContext && !exchange.context)
                             return;
                         finish(*reply, abortMessage(*abort), *body, std::move(exchange));
                     });
}

void QtHttpClient::finish(QNetworkReply& reply, const QString& abortError, const QByteArray& body,
                          Exchange exchange)
{
    HttpResponse response;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply.error();
    const int code = status.isValid() ? status.toInt() : 0;
    // A 2xx status with any error means the body did not arrive whole.
    const bool broken =
        isTransportError(error) || (error != QNetworkReply::NoError && code >= 200 && code < 300);
    const std::optional<QUrl> location = redirectTarget(code, reply.rawHeader("Location"));
    if (!abortError.isEmpty()) {
        response.error = abortError;
    } else if (!status.isValid() || broken) {
        response.error = transportErrorText(error, reply.errorString());
    } else if (location) {
        // A redirect: followed only to the host asked, a few times at most.
        const QUrl next = exchange.url.resolved(*location);
        if (exchange.hops >= MaxRedirects) {
            response.error = u"転送が多すぎます"_s;
        } else if (!isRedirectAllowed(exchange.request.url, exchange.url, next)) {
            response.error = u"別のホストへ転送されました: "_s + next.host();
        } else {
            ++exchange.hops;
            exchange.url = next;
            send(std::move(exchange));
            return;
        }
    } else {
        response.status = code;
        response.body = body;
        response.contentType = reply.header(QNetworkRequest::ContentTypeHeader).toByteArray();
        response.headers = reply.rawHeaderPairs();
    }
    if (exchange.done)
        exchange.done(response);
}

} // namespace tickora
