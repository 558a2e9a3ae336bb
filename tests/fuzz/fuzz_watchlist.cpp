// Fuzzes the watch-list reader: bounded rows, skipped lines in order, and every list saves and reads back.

#include "exchange/securitycode.h"
#include "files/watchlist.h"
#include "fuzzcheck.h"

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

namespace {

// A cell after a save and a read: line breaks as blanks, CP932 forms, "?" per character CP932 lacks.
QString storedForm(QString text)
{
    const QString mapped = mapForCp932(text.replace(u'\r', u' ').replace(u'\n', u' '));
    QString out;
    for (qsizetype i = 0, len = 1; i < mapped.size(); i += len) {
        len = mapped[i].isHighSurrogate() && i + 1 < mapped.size() && mapped[i + 1].isLowSurrogate() ? 2 : 1;
        const QString one = mapped.mid(i, len);
        QByteArray ignored;
        out += (len == 2 || !one[0].isSurrogate()) && encodeCp932(one, &ignored) ? one : u"?"_s;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const WatchListContent content =
        parseWatchList(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    check(content.rows.size() <= WatchListMaxRows, "at most 12 rows");
    for (const WatchRow& row : content.rows) {
        const std::optional<QString> code = canonicalCode(row.value(0));
        check(row.size() == WatchListFields && code && *code == row[0],
              "12 texts per row, the code in canonical form", row.value(0));
    }
    for (qsizetype i = 0; i < content.skippedLines.size(); ++i)
        check(content.skippedLines[i] > (i > 0 ? content.skippedLines[i - 1] : 0),
              "skipped lines count up from 1");
    (void)skippedLinesMessage(content.skippedLines);

    // Only a list whose code cannot be written is refused; a saved one reads back in stored form.
    const WatchListBytes saved = formatWatchList(content.rows);
    check(saved.ok() || saved.bytes.isEmpty(), "a refused list has no bytes");
    const WatchListContent again = parseWatchList(saved.bytes);
    check(!saved.ok() || (again.skippedLines.isEmpty() && again.rows.size() == content.rows.size()),
          "a saved list reads back every row");
    for (qsizetype r = 0; saved.ok() && r < content.rows.size(); ++r) {
        for (int col = 0; col < WatchListFields; ++col) {
            const QString expected = col == 0 ? content.rows[r][col] : storedForm(content.rows[r][col]);
            check(again.rows[r][col] == expected, "a saved cell reads back unchanged",
                  expected + u" became "_s + again.rows[r][col]);
        }
    }
    return 0;
}
