// Fuzzes the reader of today's quote pages with text read as UTF-8, twice: as a whole page, and
// as the state text of a page built around it (so that mutations reach the JSON values too).
// Besides crashes, sanitizer reports and time-outs it checks the fields' promises, that a state
// QJsonDocument reads is found, and that the page-format dispatch sends state pages to the reader.

#include "fuzzcheck.h"
#include "quotes/nikkei.h"
#include "quotes/quoteparser.h"
#include "quotes/todaypage.h"

#include <QJsonDocument>
#include <QList>

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

namespace {

bool shownText(const QString& t)
{
    for (const QChar c : t) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            return false;
    }
    return t.size() <= 256;
}

void checkPage(const QString& page)
{
    const std::optional<EmbeddedState> found = findEmbeddedState(page);
    const QuoteFields q = parseTodayQuotePage(page);
    check(!found || (found->textFrom <= found->textTo && found->textTo <= page.size()),
          "the span lies in the page");
    check(q == (found && found->state ? todayQuoteFields(*found->state) : QuoteFields{}),
          "the page reads as its state");
    check(q.isDetailPage || q == QuoteFields{}, "a state without a price board gives nothing");
    for (const QString& t :
         {q.shortName, q.name, q.price, q.change, q.open, q.high, q.low, q.volume, q.prevClose, q.time})
        check(shownText(t), "fields are capped and free of control characters", t);
    if (q.isDetailPage) {
        for (const QString& t : {q.change, q.open, q.high, q.low, q.volume})
            check(isNumericText(t), "numeric fields are numeric or 0", t);
        check(q.time.isEmpty() || q.time.contains(u':') || q.time.contains(u'/'), "the time holds : or /",
              q.time);
    }

    if (found && !containsOutsideState(page, *found, u"株価詳細"))
        check(parseQuotePage(page) == q, "a state page goes to the reader");
    const QString line = todayNikkeiLine(page);
    check(line.startsWith(u"日経平均 "_s) && line.contains(u" ("_s) && line.contains(u") "_s),
          "the literal pieces stand", line);
    (void)nikkeiLine(page);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    checkPage(input);

    const QString built = u"<html><head><script>window.x = 1;</script></head><body>\n<script>\n"
                          "  // state\n  window.__PRELOADED_STATE__ = "_s +
                          input + u"</script></body></html>"_s;
    checkPage(built);
    const QJsonDocument doc = QJsonDocument::fromJson(input.toUtf8());
    if (doc.isObject() && !input.contains(u"</script"_s, Qt::CaseInsensitive)) {
        const std::optional<QJsonObject> state = embeddedPageState(built);
        check(state && *state == doc.object(), "an object QJsonDocument reads is the page's state");
    }
    return 0;
}
