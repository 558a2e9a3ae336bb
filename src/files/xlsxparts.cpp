#include "xlsxparts.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

namespace tickora {

using namespace Qt::StringLiterals;

XlsxParts::XlsxParts(const QByteArray& bytes, const XlsxLimits& limits)
    : m_bytes(bytes), m_buffer(&m_bytes), m_zip(std::make_unique<QuaZip>(&m_buffer)), m_limits(limits)
{
    if (!m_zip->open(QuaZip::mdUnzip)) {
        m_error = u"Excel のファイル（.xlsx）として読めません（壊れているか、対応していない形式です）。"_s;
        return;
    }
    // The count the archive's directory states; the reader never walks past it.
    const int entries = m_zip->getEntriesCount();
    if (entries < 0 || entries > m_limits.maxEntries)
        m_error = u"Excel のファイル（.xlsx）の部品が多すぎます（%1 個まで）。"_s.arg(m_limits.maxEntries);
}

XlsxParts::~XlsxParts()
{
    if (m_zip->isOpen())
        m_zip->close();
}

XlsxParts::Status XlsxParts::read(const QString& name, QByteArray* out)
{
    out->clear();
    if (!m_error.isEmpty() || name.isEmpty() || !m_zip->setCurrentFile(name, QuaZip::csInsensitive))
        return Status::Missing;
    QuaZipFileInfo64 info;
    if (!m_zip->getCurrentFileInfo(&info))
        return Status::Broken;
    if (info.uncompressedSize > quint64(m_limits.maxPartBytes))
        return Status::TooLarge;
    QuaZipFile file(m_zip.get());
    if (!file.open(QIODevice::ReadOnly))
        return Status::Broken;
    // The size claimed above may lie: stop at the cap whatever the archive said.
    char chunk[65536];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0) {
            file.close();
            out->clear();
            return Status::Broken;
        }
        if (n == 0)
            break;
        if (out->size() + n > m_limits.maxPartBytes) {
            file.close();
            out->clear();
            return Status::TooLarge;
        }
        out->append(chunk, n);
    }
    file.close(); // checks the inflated bytes against the archive's checksum
    if (file.getZipError() != UNZ_OK) {
        out->clear();
        return Status::Broken;
    }
    return Status::Ok;
}

bool isZipArchive(const QByteArray& bytes)
{
    return bytes.startsWith("PK\x03\x04");
}

} // namespace tickora
