#pragma once

#include "httpclient.h"

#include <QNetworkAccessManager>

#include <memory>
#include <vector>

namespace tickora {

/// HttpClient on QNetworkAccessManager. Requests are spread over a few managers so that more
/// than six of them can be in flight to one host at once. Redirects are followed only to the
/// same scheme or a safer one; TLS certificates are always verified. A request that is not done
/// within the transfer time-out, or whose body passes the size cap, fails without a status.
class QtHttpClient : public HttpClient
{
public:
    struct Limits
    {
        int transferTimeoutMs = 15000; ///< limit for the whole exchange, from the request on
        qint64 maxBodyBytes = 16 * 1024 * 1024;
        int managers = 4;
    };

    QtHttpClient() : QtHttpClient(Limits{}) {}
    explicit QtHttpClient(Limits limits);
    ~QtHttpClient() override;

    void get(const HttpRequest& request, QObject* context, Done done) override;

private:
    Limits m_limits;
    std::vector<std::unique_ptr<QNetworkAccessManager>> m_managers;
    size_t m_next = 0;
};

} // namespace tickora
