#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

namespace tickora {

/// One GET request: address, extra request headers and, when not 0, a body cap of its own that is
/// smaller than the client's.
struct HttpRequest
{
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    qint64 maxBodyBytes = 0;
};

/// Outcome of one GET. `status` is 0 when no HTTP status arrived (refused, name
/// resolution, time-out, reset, body cap exceeded); `error` then says why.
struct HttpResponse
{
    int status = 0;
    QByteArray body;
    QByteArray contentType;
    QList<QPair<QByteArray, QByteArray>> headers; ///< the answer's headers as they came
    QString error;

    bool isSuccess() const { return status >= 200 && status < 300; }
    /// The value of the answer's header `name` (compared without case); empty when absent.
    QByteArray header(QByteArrayView name) const;
    /// The body decoded by the charset of the Content-Type header (UTF-8 when absent or unknown).
    QString text() const;
};

/// Decodes a body by the charset named in a Content-Type value: UTF-8, Shift_JIS/CP932 or EUC-JP;
/// anything else, or no charset, is read as UTF-8.
QString decodeBody(const QByteArray& body, const QByteArray& contentType);

/// Asynchronous HTTP GET. `done` is called exactly once, later, on the caller's thread,
/// unless `context` has been destroyed by then.
class HttpClient
{
public:
    using Done = std::function<void(const HttpResponse&)>;
    virtual ~HttpClient() = default;
    virtual void get(const HttpRequest& request, QObject* context, Done done) = 0;
};

} // namespace tickora
