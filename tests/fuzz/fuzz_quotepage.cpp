// Fuzzes the quote-page parser (and through it GetText and GetValue) with arbitrary page text,
// read as UTF-8 as the HTTP client hands it over. Besides crashes, sanitizer reports and time-outs
// (the parser is meant to be linear in the page) it checks what the parser promises of its
// fields, that the numeric comparison used by the price alerts is an order, and GetValue against
// a plain block-by-block reading of the page.

#include "fuzzcheck.h"
#include "quotes/quoteparser.h"
#include "quotes/textextract.h"

#include <QList>

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

using namespace tickora;
using tickora::fuzz::check;
using tickora::fuzz::escaped;

namespace {

// GetValue as it reads: split the page into "</div>"-delimited blocks from the left, take the last
// block holding the label, and cut its first bold text.
QString getValueByBlocks(const QString& all, const QString& label)
{
    const QString delimiter = u"</div>"_s;
    QStringView found;
    bool any = false;
    qsizetype start = 0;
    while (true) {
        const qsizetype end = all.indexOf(delimiter, start, Qt::CaseInsensitive);
        const QStringView block = QStringView(all).sliced(start, (end < 0 ? all.size() : end) - start);
        if (block.contains(label, Qt::CaseInsensitive)) {
            found = block;
            any = true;
        }
        if (end < 0)
            break;
        start = end + delimiter.size();
    }
    return any ? GetText(found.toString(), u"<strong>"_s, u"</strong>"_s) : QString();
}

void checkOrder(const QList<QString>& texts)
{
    for (const QString& a : texts) {
        check(compareNumericTexts(a, a) == 0, "a numeric text equals itself", escaped(a));
        for (const QString& b : texts) {
            const std::optional<int> ab = compareNumericTexts(a, b);
            const std::optional<int> ba = compareNumericTexts(b, a);
            check(ab && ba && (*ab > 0) - (*ab < 0) == (*ba < 0) - (*ba > 0), "comparison is antisymmetric",
                  escaped(a) + u" vs "_s + escaped(b));
            for (const QString& c : texts) {
                if (*ab <= 0 && *compareNumericTexts(b, c) <= 0)
                    check(*compareNumericTexts(a, c) <= 0, "comparison is transitive",
                          escaped(a) + u" "_s + escaped(b) + u" "_s + escaped(c));
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QuoteFields q = parseQuotePage(page);

    check(q.shortName.size() < 300, "the short name lies within 300 characters");
    if (!q.isDetailPage) {
        check(q == QuoteFields{q.shortName}, "a page without the detail table gives only the short name");
    } else {
        const QList<QString> numeric{q.change, q.open, q.high, q.low, q.volume};
        for (const QString& field : numeric)
            check(isNumericText(field), "numeric fields are numeric or 0", escaped(field));
        check(q.time.isEmpty() || q.time.contains(u':'), "the time holds a colon", escaped(q.time));
        checkOrder(numeric);
    }

    // GetValue with the parser's labels, and with the page's first line as a label of its own
    // (so that the fuzzer also tries ASCII labels, where case matters).
    QList<QString> labels{u"始値"_s, u">高値"_s, u">安値"_s, u">出来高<"_s};
    const QString firstLine = page.section(u'\n', 0, 0).left(12);
    if (!firstLine.isEmpty())
        labels.append(firstLine);
    for (const QString& label : labels) {
        const QString fast = GetValue(page, label);
        const QString plain = getValueByBlocks(page, label);
        check(fast == plain, "GetValue reads the last block holding the label",
              escaped(label) + u": "_s + escaped(fast) + u" / "_s + escaped(plain));
    }
    return 0;
}
