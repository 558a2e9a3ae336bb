#include "downloader.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace tickora {

bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void HttpDownloader::download(const QUrl& url, const QString& targetFile, QObject* context, Done done)
{
    m_http.get(HttpRequest{url, {}}, context, [targetFile, done = std::move(done)](const HttpResponse& r) {
        const bool written = r.isSuccess() && saveFileAtomically(targetFile, r.body);
        if (done)
            done(written);
    });
}

} // namespace tickora
