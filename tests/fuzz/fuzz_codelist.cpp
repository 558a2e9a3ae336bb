// Fuzzes the code-list reader with arbitrary file bytes. Besides crashes and sanitizer reports it
// checks that each line stands on its own: reading the whole file gives the same records as
// reading its lines one by one, so a bad line never disturbs the lines after it.

#include "files/codelist.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

using namespace tickora;
using tickora::fuzz::check;
using tickora::fuzz::escaped;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<CodeListEntry> entries = parseCodeList(bytes);

    QList<CodeListEntry> lineByLine;
    QByteArrayView rest = bytes;
    while (!rest.isEmpty()) {
        const qsizetype lf = rest.indexOf('\n');
        const QByteArrayView line = lf < 0 ? rest : rest.first(lf + 1);
        rest = rest.sliced(line.size());
        lineByLine += parseCodeList(line);
    }
    check(entries.size() == lineByLine.size(), "the same number of records line by line");
    for (qsizetype i = 0; i < entries.size(); ++i)
        check(entries[i] == lineByLine[i], "the same record line by line",
              escaped(entries[i].name) + u" / "_s + escaped(lineByLine[i].name));

    for (const CodeListEntry& entry : entries) {
        check(!entry.name.contains(u'\n'), "a name never spans lines", escaped(entry.name));
        // A record written back as code,"name" reads as the same record.
        if (!entry.name.contains(u'"')) {
            const QString line = QString::number(entry.code) + QString::fromUtf8(",\"") + entry.name + u'"';
            const std::optional<CodeListEntry> again = parseCodeListLine(line);
            check(again && *again == entry, "a record written back reads the same", escaped(line));
        }
    }
    return 0;
}
