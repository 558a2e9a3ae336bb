#pragma once

// File and text helpers shared by the tests.

#include <QByteArray>
#include <QString>

#include <csignal>
#include <sys/resource.h>

namespace tickora::test {

/// The file's bytes, or empty when it cannot be read.
QByteArray readFile(const QString& path);
/// Writes `bytes` over the file; false when any of it could not be written.
bool writeFile(const QString& path, const QByteArray& bytes);
/// `text` in CP932, for building input files; aborts on a character CP932 lacks.
QByteArray cp932(const QString& text);

/// While it lives, no file of this process may grow past `bytes`: writes stop part-way, as
/// on a full disk (permission bits would not stop root).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit m_saved
    {
    };
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace tickora::test
