#pragma once

#include "httpclient.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace tickora {

/// The request of a chart picture: its body may not be larger than a picture is read from.
HttpRequest chartRequest(const QUrl& url);

/// Download of a chart picture to file: fetches an address and, only on a 2xx answer whose body is
/// an acceptable picture (isAcceptablePicture), replaces the target file atomically. A failed
/// download, or a refused picture, leaves the previous file in place.
class Downloader
{
public:
    /// `written` is true when the target file now holds the new body.
    using Done = std::function<void(bool written)>;
    virtual ~Downloader() = default;
    virtual void download(const QUrl& url, const QString& targetFile, QObject* context, Done done) = 0;
};

/// The production downloader, built on any HttpClient.
class HttpDownloader : public Downloader
{
public:
    explicit HttpDownloader(HttpClient& http) : m_http(http) {}
    void download(const QUrl& url, const QString& targetFile, QObject* context, Done done) override;

private:
    HttpClient& m_http;
};

} // namespace tickora
