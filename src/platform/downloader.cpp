#include "downloader.h"

#include "pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace tickora {

bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // QFileDevice buffers small writes: a write that fails while the buffer goes to disk (a full
    // disk, a size limit) shows only in flush(), and commit() would rename the short file anyway.
    errno = 0;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        const int cause = errno;
        if (error)
            *error = cause != 0 ? QString::fromLocal8Bit(std::strerror(cause)) : file.errorString();
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

HttpRequest chartRequest(const QUrl& url)
{
    return HttpRequest{url, {}, MaxPictureBytes};
}

void HttpDownloader::download(const QUrl& url, const QString& targetFile, QObject* context, Done done)
{
    m_http.get(chartRequest(url), context, [targetFile, done = std::move(done)](const HttpResponse& r) {
        const bool written =
            r.isSuccess() && isAcceptablePicture(r.body) && saveFileAtomically(targetFile, r.body);
        if (done)
            done(written);
    });
}

} // namespace tickora
