// Fuzzes the quote-page parser (and through it GetText and GetValue) with page text read as UTF-8.
// Besides crashes, sanitizer reports and time-outs (the parser is meant to be linear) it checks the
// fields' promises, that the alerts' numeric comparison is an order, and GetValue block by block.

#include "fuzzcheck.h"
#include "quotes/quoteparser.h"
#include "quotes/textextract.h"
#include "quotes/todaypage.h"

#include <QList>

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

namespace {

// GetValue as it reads: split the page into "</div>"-delimited blocks from the left, take the last
// block holding the label, and cut its first bold text.
QString getValueByBlocks(const QString& all, const QString& label)
{
    std::optional<QString> found;
    for (qsizetype start = 0, end = 0; end >= 0; start = end + 6) {
        end = all.indexOf(u"</div>"_s, start, Qt::CaseInsensitive);
        const QString block = all.mid(start, end < 0 ? -1 : end - start);
        if (block.contains(label, Qt::CaseInsensitive))
            found = block;
    }
    return found ? GetText(*found, u"<strong>"_s, u"</strong>"_s) : QString();
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QuoteFields q = parseQuotePage(page);

    check(q.shortName.size() < 300, "the short name lies within 300 characters");
    check(q.isDetailPage || q == QuoteFields{q.shortName},
          "a page without the detail table gives only the short name");
    // A page of the current site may give a date ("12/05") for the time; a 2012 page never does.
    const std::optional<EmbeddedState> found = findEmbeddedState(page);
    const bool today = found && !containsOutsideState(page, *found, u"株価詳細");
    check(!q.isDetailPage || q.time.isEmpty() || q.time.contains(u':') || (today && q.time.contains(u'/')),
          "the time holds a colon", q.time);
    const QList<QString> numeric =
        q.isDetailPage ? QList<QString>{q.change, q.open, q.high, q.low, q.volume} : QList<QString>();
    for (const QString& a : numeric) {
        check(isNumericText(a) && compareNumericTexts(a, a) == 0, "numeric fields are numeric or 0", a);
        for (const QString& b : numeric) {
            const std::optional<int> ab = compareNumericTexts(a, b), ba = compareNumericTexts(b, a);
            check(ab && ba && sign(*ab) == -sign(*ba), "comparison is antisymmetric", a + u" vs "_s + b);
            for (const QString& c : numeric)
                check(*ab > 0 || *compareNumericTexts(b, c) > 0 || *compareNumericTexts(a, c) <= 0,
                      "comparison is transitive", a + u" "_s + b + u" "_s + c);
        }
    }

    // GetValue with the parser's labels, and with the page's first line as a label of its own
    // (so that the fuzzer also tries ASCII labels, where case matters).
    QList<QString> labels{u"始値"_s, u">高値"_s, u">安値"_s, u">出来高<"_s};
    if (const QString firstLine = page.section(u'\n', 0, 0).left(12); !firstLine.isEmpty())
        labels.append(firstLine);
    for (const QString& label : labels) {
        const QString fast = GetValue(page, label), plain = getValueByBlocks(page, label);
        check(fast == plain, "GetValue reads the last block holding the label",
              label + u": "_s + fast + u" / "_s + plain);
    }
    return 0;
}
