// Fuzzes the Nikkei average line with arbitrary page text, read as UTF-8. Besides crashes and
// sanitizer reports it checks the line against the cutting rule spelt out with GetText and
// character windows (1-based character 9220 is index 9219).

#include "quotes/nikkei.h"
#include "fuzzcheck.h"
#include "quotes/textextract.h"

#include <cstddef>
#include <cstdint>

using namespace tickora;
using tickora::fuzz::check;
using tickora::fuzz::escaped;

namespace {

QString expectedLine(const QString& page)
{
    const QString bold = QStringLiteral("<b>"), boldEnd = QStringLiteral("</b>");
    QString index;
    if (const qsizetype p = page.indexOf(QStringLiteral("cmn-index_value no-bg")); p >= 0)
        index = GetText(page.mid(p, 400), bold, boldEnd);
    const QString fixed = page.size() > 9219 ? GetText(page.mid(9219, 200), bold, boldEnd) : QString();
    QString bracketed;
    if (const qsizetype q = page.indexOf(QStringLiteral("cmn-indexes_index_link")); q >= 0) {
        const QString near = page.mid(q, 50);
        if (const qsizetype a = near.indexOf(QStringLiteral("</a>")); a >= 0)
            bracketed = GetText(near.mid(a, 20), QStringLiteral("("), QStringLiteral(")"));
    }
    return QStringLiteral("日経平均 ") + index + QStringLiteral(" (") + bracketed + QStringLiteral(") ") +
           fixed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString line = nikkeiLine(page);
    const QString expected = expectedLine(page);
    check(line == expected, "the line follows the cutting rule",
          escaped(line) + QStringLiteral(" / ") + escaped(expected));
    return 0;
}
