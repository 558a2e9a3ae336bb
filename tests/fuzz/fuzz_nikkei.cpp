// Fuzzes the Nikkei average line with arbitrary page text, read as UTF-8. Besides crashes and
// sanitizer reports it checks the line against the cutting rule spelt out with GetText and
// character windows (1-based character 9220 is index 9219).

#include "fuzzcheck.h"
#include "quotes/nikkei.h"
#include "quotes/textextract.h"

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

using namespace tickora;
using tickora::fuzz::check;
using tickora::fuzz::escaped;

namespace {

QString expectedLine(const QString& page)
{
    const QString bold = u"<b>"_s, boldEnd = u"</b>"_s;
    QString index;
    if (const qsizetype p = page.indexOf(u"cmn-index_value no-bg"_s); p >= 0)
        index = GetText(page.mid(p, 400), bold, boldEnd);
    const QString fixed = page.size() > 9219 ? GetText(page.mid(9219, 200), bold, boldEnd) : QString();
    QString bracketed;
    if (const qsizetype q = page.indexOf(u"cmn-indexes_index_link"_s); q >= 0) {
        const QString near = page.mid(q, 50);
        if (const qsizetype a = near.indexOf(u"</a>"_s); a >= 0)
            bracketed = GetText(near.mid(a, 20), u"("_s, u")"_s);
    }
    return u"日経平均 "_s + index + u" ("_s + bracketed + u") "_s + fixed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString line = nikkeiLine(page);
    const QString expected = expectedLine(page);
    check(line == expected, "the line follows the cutting rule",
          escaped(line) + u" / "_s + escaped(expected));
    return 0;
}
