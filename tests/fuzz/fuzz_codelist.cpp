// Fuzzes the code-list reader: each line reads on its own, and a record written back reads the same.

#include "files/codelist.h"
#include "fuzzcheck.h"

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<CodeListEntry> lineByLine;
    for (QByteArrayView rest = bytes; !rest.isEmpty();) {
        const qsizetype lf = rest.indexOf('\n');
        lineByLine += parseCodeList(rest.first(lf < 0 ? rest.size() : lf + 1));
        rest = rest.sliced(lf < 0 ? rest.size() : lf + 1);
    }
    check(parseCodeList(bytes) == lineByLine, "the same records line by line");

    for (const CodeListEntry& entry : lineByLine) {
        check(!entry.name.contains(u'\n'), "a name never spans lines", entry.name);
        const QString line = entry.code + u",\""_s + entry.name + u'"';
        const std::optional<CodeListEntry> again = parseCodeListLine(line);
        check(entry.name.contains(u'"') || (again && *again == entry), "a record written back reads the same",
              line);
    }
    return 0;
}
