#include "downloader.h"

#include "pictures.h"
#include "savefile.h"

namespace tickora {

HttpRequest chartRequest(const QUrl& url)
{
    return HttpRequest{url, {}, MaxPictureBytes};
}

void HttpDownloader::download(const QUrl& url, const QString& targetFile, QObject* context, Done done)
{
    m_http.get(chartRequest(url), context, [targetFile, done = std::move(done)](const HttpResponse& r) {
        const bool written =
            r.isSuccess() && isAcceptablePicture(r.body) && replaceFileUnsynced(targetFile, r.body);
        if (done)
            done(written);
    });
}

} // namespace tickora
