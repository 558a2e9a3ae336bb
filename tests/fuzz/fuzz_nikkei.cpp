// Fuzzes the Nikkei average line with page text read as UTF-8, against the cutting rule spelt out
// with GetText and character windows (1-based character 9220 is index 9219); pages of the current
// site are read from their state instead.

#include "fuzzcheck.h"
#include "quotes/nikkei.h"
#include "quotes/textextract.h"
#include "quotes/todaypage.h"

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype p = page.indexOf(u"cmn-index_value no-bg"_s);
    const QString index = p < 0 ? QString() : GetText(page.mid(p, 400), u"<b>"_s, u"</b>"_s);
    const QString fixed = page.size() > 9219 ? GetText(page.mid(9219, 200), u"<b>"_s, u"</b>"_s) : QString();
    QString bracketed;
    if (const qsizetype q = page.indexOf(u"cmn-indexes_index_link"_s); q >= 0) {
        const QString near = page.mid(q, 50);
        if (const qsizetype a = near.indexOf(u"</a>"_s); a >= 0)
            bracketed = GetText(near.mid(a, 20), u"("_s, u")"_s);
    }
    QString expected = u"日経平均 "_s + index + u" ("_s + bracketed + u") "_s + fixed;
    // A page of the current site, without the 2012 markers in its markup, is read from its state.
    if (const std::optional<EmbeddedState> found = findEmbeddedState(page);
        found && !containsOutsideState(page, *found, u"cmn-index_value no-bg") &&
        !containsOutsideState(page, *found, u"cmn-indexes_index_link"))
        expected = todayNikkeiLine(found->state.value_or(QJsonObject()));
    const QString line = nikkeiLine(page);
    check(line == expected, "the line follows the cutting rule", line + u" / "_s + expected);
    return 0;
}
