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
    QString code; ///< in canonical form (see canonicalCode)
    QString name;
    friend bool operator==(const CodeListEntry&, const CodeListEntry&) = default;
};

/// Reads one line of the code list: a code (digits, or four characters with a letter, taken in
/// canonical form, optionally in double quotes), a comma, and a company name, either in double quotes (commas
/// allowed inside) or bare (up to the next comma, blanks around it dropped). Anything after the
/// name is ignored. No value when the line holds no comma or its first field is no code.
std::optional<CodeListEntry> parseCodeListLine(QStringView line);

/// Reads the whole code list: CP932 bytes, lines ending in CR LF or LF. Lines that are not records
/// are skipped; each line stands on its own, so a bad line never shifts the lines after it.
/// Records come back in file order.
QList<CodeListEntry> parseCodeList(QByteArrayView bytes);

/// The line of the code list that holds `entry`, as the program writes it: the code, a comma, the
/// name in double quotes and CR LF, in CP932. The name is stored as the watch list stores a cell
/// (see storableInCp932; a line break as a blank), and a double quote in it, which would end the
/// name, as its full-width form.
QByteArray codeListLine(const CodeListEntry& entry);

/// Adds `entry` at the end of the code-list file at `path` (made, with its folder, when missing),
/// through a temporary file and an atomic replace. An empty text, or a Japanese message why not.
QString appendToCodeList(const QString& path, const CodeListEntry& entry);

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

    /// Name for `code` (canonical form) in the file at `path`; when several records hold the
    /// code, the last one wins.
    Result lookup(const QString& path, const QString& code);

    /// Larger files are refused as unreadable rather than read into memory.
    static constexpr qint64 MaxFileSize = 32 * 1024 * 1024;

private:
    bool m_loaded = false;
    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    QHash<QString, QString> m_names;
};

} // namespace tickora
