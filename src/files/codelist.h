#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace tickora {

/// One record of the code list: a securities code and its company name.
struct CodeListEntry
{
    qint16 code = 0;
    QString name;
    friend bool operator==(const CodeListEntry&, const CodeListEntry&) = default;
};

/// Reads one line of the code list: a code (a whole number in -32768..32767, read as a 16-bit
/// code, optionally in double quotes), a comma, and a company name, either in double quotes (commas
/// allowed inside) or bare (up to the next comma, blanks around it dropped). Anything after the
/// name is ignored. No value when the line holds no comma or its first field is not such a number.
std::optional<CodeListEntry> parseCodeListLine(QStringView line);

/// Reads the whole code list: CP932 bytes, lines ending in CR LF or LF. Lines that are not records
/// are skipped; each line stands on its own, so a bad line never shifts the lines after it.
/// Records come back in file order.
QList<CodeListEntry> parseCodeList(QByteArrayView bytes);

/// Looks codes up in the code-list file. The file is read again whenever its size or modification
/// time differs from the last read, so edits to the file take effect at the next lookup.
class CodeList
{
public:
    enum class Status
    {
        Ok,         ///< the file was read
        Missing,    ///< no file at the path
        Unreadable, ///< the file exists but could not be read (or is far too large to be a code list)
    };
    struct Result
    {
        Status status = Status::Ok;
        std::optional<QString> name; ///< name of the last record with the code, when there is one
    };

    /// Name for `code` in the file at `path`; when several records hold the code, the last one wins.
    Result lookup(const QString& path, qint16 code);

    /// Larger files are refused as unreadable rather than read into memory.
    static constexpr qint64 MaxFileSize = 32 * 1024 * 1024;

private:
    bool m_loaded = false;
    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    QHash<qint16, QString> m_names;
};

} // namespace tickora
