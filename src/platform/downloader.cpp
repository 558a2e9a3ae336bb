#include "downloader.h"

#include "savefile.h"

namespace tickora {

void HttpDownloader::download(const QUrl& url, const QString& targetFile, QObject* context, Done done)
{
    m_http.get(HttpRequest{url, {}}, context, [targetFile, done = std::move(done)](const HttpResponse& r) {
        const bool written = r.isSuccess() && saveFileAtomically(targetFile, r.body);
        if (done)
            done(written);
    });
}

} // namespace tickora
