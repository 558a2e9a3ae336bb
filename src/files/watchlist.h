#pragma once

// The watch-list file "dat.txt": the filled rows of the quote grid, one line each.
//
// Format (what "保存" writes, byte for byte):
//   - CP932 text; every line, the last one included, ends with CR LF; an empty list is an
//     empty file; at most 12 lines, in grid-row order.
//   - 12 fields separated by single commas. Field 1 is the "Code" cell in canonical form, without
//     quotes: a code of digits alone as a number in plain decimal (leading zeros dropped), a code
//     with a letter as its four characters (285A).
//     Fields 2 to 12 are the cells of columns 2 to 12, each between double quotes, the text
//     unchanged (commas and blanks included); an empty cell is "".
//   - Quote rule: a double quote inside a cell is written twice ("" inside the quotes), and a
//     reader takes "" inside a quoted field as one double quote. Cells without a double quote
//     are written exactly as the plain format has them, so such files are byte-identical to it,
//     and every cell text loads back unchanged.
//   - Characters that Qt's Shift_JIS encoder lacks but CP932 has under another code point
//     (〜 − ‖ ¬ ¥) are written as their CP932 forms (～ － ∥ ￢ ￥). Any other character CP932
//     cannot store is written as "?", and a line break in a cell as a blank, so a text cell
//     never stops a save.
//
// Reading is lenient where a hand-made or foreign file is harmless: CR LF or LF line ends, a
// line in UTF-8 (with or without a signature) or in CP932 (a line that is valid in both and holds
// no UTF-8 character beyond U+07FF, as pairs of half-width katakana can, is CP932 unless the file
// starts with a UTF-8 signature), an unquoted field (taken up to the next comma), a quoted code.
// A line that cannot be read exactly (blank, not 12 fields, a first field that is no securities code
// or a code longer than five characters, an unterminated quote, text after a closing quote, bytes
// that are neither UTF-8 nor CP932) is skipped and reported by its line number.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tickora {

/// One watched stock: the texts of grid columns 1 to 12 (code, name, ..., time).
using WatchRow = QStringList;

constexpr int WatchListMaxRows = 12;
constexpr int WatchListFields = 12;
/// The longest code a file may hold, in canonical form: a longer one is a damaged line.
constexpr int WatchListMaxCodeLength = 5;

/// The file bytes of a watch list, or why it cannot be stored.
struct WatchListBytes
{
    QByteArray bytes;
    QString error; ///< in Japanese, naming the grid row; empty when `bytes` is the file
    bool ok() const { return error.isEmpty(); }
};

/// Formats `rows` (grid rows 1, 2, ... in order; a row with fewer than 12 texts counts the
/// missing ones as empty). Refuses the whole list only when a code cell holds no securities code.
WatchListBytes formatWatchList(const QList<WatchRow>& rows);

/// What a watch-list file holds.
struct WatchListContent
{
    QList<WatchRow> rows;    ///< at most 12, each of 12 texts; the code in canonical form
    QList<int> skippedLines; ///< 1-based numbers of the lines that could not be read
};

/// Reads file bytes. Stops after the 12th good line; later lines are not looked at.
WatchListContent parseWatchList(const QByteArray& bytes);

/// One message naming the skipped lines, in Japanese; empty when there are none.
QString skippedLinesMessage(const QList<int>& lines);

/// Maps the characters Qt's Shift_JIS encoder cannot encode to their CP932 equivalents.
QString mapForCp932(QString text);

/// `text` as a cell is stored: mapped as mapForCp932, every character CP932 still cannot hold
/// (a surrogate pair counts as one) as "?".
QString storableInCp932(const QString& text);

/// Encodes `text` as CP932. On a character CP932 cannot hold, returns false and puts that
/// character into `bad` (never writes a substitute byte).
bool encodeCp932(const QString& text, QByteArray* out, QString* bad = nullptr);

/// Saves the list to `path` (the folder is created when missing) through a temporary file and
/// an atomic replace: on any failure the old file stays. Returns an empty text on success, else
/// a Japanese message that says the list was not saved and why.
QString saveWatchList(const QString& path, const QList<WatchRow>& rows);

struct WatchListLoad
{
    WatchListContent content;
    QString error; ///< the folder or file is missing or unreadable (Japanese); content is empty
};

/// Reads the file at `path`.
WatchListLoad loadWatchList(const QString& path);

} // namespace tickora
