#include "qthttpclient.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace tickora {

QtHttpClient::QtHttpClient(Limits limits) : m_limits(limits)
{
    const int count = qMax(1, limits.managers);
    for (int i = 0; i < count; ++i) {
        auto manager = std::make_unique<QNetworkAccessManager>();
        manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        manager->setTransferTimeout(limits.transferTimeoutMs);
        m_managers.push_back(std::move(manager));
    }
}

QtHttpClient::~QtHttpClient() = default;

void QtHttpClient::get(const HttpRequest& request, QObject* context, Done done)
{
    QNetworkRequest req(request.url);
    for (const auto& [name, value] : request.headers)
        req.setRawHeader(name, value);
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setTransferTimeout(m_limits.transferTimeoutMs);

    QNetworkAccessManager& manager = *m_managers[m_next++ % m_managers.size()];
    QNetworkReply* reply = manager.get(req);
    const qint64 cap = m_limits.maxBodyBytes;
    auto overCap = std::make_shared<bool>(false);

    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, cap, overCap](qint64 received, qint64 total) {
        if (!*overCap && (received > cap || total > cap)) {
            *overCap = true;
            reply->abort();
        }
    });

    QPointer<QObject> guard(context);
    const bool hasContext = context != nullptr;
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, guard, hasContext, overCap, done = std::move(done)] {
        reply->deleteLater();
        if (hasContext && !guard)
            return;
        HttpResponse response;
        if (*overCap) {
            response.error = QStringLiteral("body too large");
        } else {
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            const bool transportFailed = !status.isValid()
                || (reply->error() != QNetworkReply::NoError && reply->error() < QNetworkReply::ContentAccessDenied);
            if (transportFailed) {
                response.error = reply->errorString();
            } else {
                response.status = status.toInt();
                response.body = reply->readAll();
                response.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
            }
        }
        if (done)
            done(response);
    });
}

} // namespace tickora
