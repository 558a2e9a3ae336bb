#pragma once

// The parts of an Office Open XML workbook (.xlsx), a zip archive, read with bounds: the archive
// may hold only so many entries, and no part is inflated past a cap, whatever size the archive
// claims for it.

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <memory>

class QuaZip;

namespace tickora {

/// Bounds of the workbook reader. The exchange's list is a workbook of about 15 parts whose
/// largest part inflates to a few megabytes, with some 4,500 rows of ten columns.
struct XlsxLimits
{
    qint64 maxPartBytes = 16 * 1024 * 1024;
    int maxEntries = 100;
    int maxRows = 100000;
    int maxColumns = 32;
    qsizetype maxSharedStrings = 500000;
};

/// The archive of a workbook held in memory.
class XlsxParts
{
public:
    enum class Status
    {
        Ok,
        Missing,  ///< no such part
        TooLarge, ///< it claims, or inflates to, more than the cap
        Broken,   ///< it cannot be inflated, or its checksum is wrong
    };

    XlsxParts(const QByteArray& bytes, const XlsxLimits& limits);
    ~XlsxParts();
    XlsxParts(const XlsxParts&) = delete;
    XlsxParts& operator=(const XlsxParts&) = delete;

    /// Why the archive cannot be read at all (Japanese); empty when it can.
    QString error() const { return m_error; }

    /// Reads the part `name` (a path inside the archive without a leading "/", compared without
    /// case as part names are) into `out`.
    Status read(const QString& name, QByteArray* out);

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    std::unique_ptr<QuaZip> m_zip;
    XlsxLimits m_limits;
    QString m_error;
};

/// True when `bytes` begin as a zip archive does (a local file header, "PK\x03\x04").
bool isZipArchive(const QByteArray& bytes);

} // namespace tickora
