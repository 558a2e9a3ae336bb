#include "savefile.h"

#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

bool replaceFileUnsynced(const QString& path, const QByteArray& bytes, QString* error)
{
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    if (!temp.open()) {
        if (error)
            *error = temp.errorString();
        return false;
    }
    errno = 0;
    if (temp.write(bytes) != bytes.size() || !temp.flush()) {
        const int cause = errno;
        if (error)
            *error = cause != 0 ? QString::fromLocal8Bit(std::strerror(cause)) : temp.errorString();
        return false; // the temporary file removes itself
    }
    temp.close();
    // rename(2) replaces the old file in one step: a reader sees the old bytes or the new ones.
    std::error_code failed;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(temp.fileName()).toStdString()),
                            std::filesystem::path(QFile::encodeName(path).toStdString()), failed);
    if (failed) {
        if (error)
            *error = QString::fromLocal8Bit(failed.message().c_str());
        return false;
    }
    temp.setAutoRemove(false); // it has its final name now
    return true;
}

} // namespace tickora
