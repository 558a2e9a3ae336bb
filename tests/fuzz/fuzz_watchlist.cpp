// Fuzzes the watch-list reader with arbitrary file bytes. Besides crashes and sanitizer reports it
// checks what the reader promises: at most 12 rows of 12 texts with a plain decimal code, skipped
// line numbers in order, and that every list it reads saves to bytes that read back the same.

#include "files/watchlist.h"
#include "fuzzcheck.h"
#include "platform/numbers.h"

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

using namespace tickora;
using tickora::fuzz::check;
using tickora::fuzz::escaped;

namespace {

void checkShape(const WatchListContent& content)
{
    check(content.rows.size() <= WatchListMaxRows, "at most 12 rows");
    for (const WatchRow& row : content.rows) {
        check(row.size() == WatchListFields, "12 texts per row");
        const std::optional<qint16> code = toInt16(row.front());
        check(code && QString::number(*code) == row.front(), "code in plain decimal", row.front());
    }
    int previous = 0;
    for (int line : content.skippedLines) {
        check(line > previous, "skipped lines numbered from 1 in increasing order");
        previous = line;
    }
}

// What a cell holds after a save and a read: line breaks as blanks, the CP932 forms of the
// characters that have one, and "?" for each character (a surrogate pair counts as one) CP932 lacks.
QString storedForm(QString text)
{
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString mapped = mapForCp932(text);
    QString out;
    for (qsizetype i = 0; i < mapped.size();) {
        const qsizetype len =
            mapped[i].isHighSurrogate() && i + 1 < mapped.size() && mapped[i + 1].isLowSurrogate() ? 2 : 1;
        const QString one = mapped.mid(i, len);
        QByteArray ignored;
        const bool lone = len == 1 && one[0].isSurrogate();
        out += !lone && encodeCp932(one, &ignored) ? one : u"?"_s;
        i += len;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const WatchListContent content = parseWatchList(bytes);
    checkShape(content);
    (void)skippedLinesMessage(content.skippedLines);

    // Saving what was read and reading it again gives the same rows, each text cell in its stored
    // form. Only a list whose code cannot be written is refused, with a message.
    const WatchListBytes saved = formatWatchList(content.rows);
    if (!saved.ok()) {
        check(saved.bytes.isEmpty(), "a refused list has no bytes");
        return 0;
    }
    const WatchListContent again = parseWatchList(saved.bytes);
    check(again.skippedLines.isEmpty(), "a saved list reads back without skipped lines");
    check(again.rows.size() == content.rows.size(), "a saved list reads back every row");
    for (qsizetype r = 0; r < content.rows.size(); ++r) {
        for (int col = 0; col < WatchListFields; ++col) {
            const QString expected = col == 0 ? content.rows[r][col] : storedForm(content.rows[r][col]);
            check(again.rows[r][col] == expected, "a saved cell reads back unchanged",
                  escaped(expected) + u" became "_s + escaped(again.rows[r][col]));
        }
    }
    return 0;
}
