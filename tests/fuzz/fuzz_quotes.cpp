// Fuzzes the quote-page readers with page text read as UTF-8: the 2012 markup cut (and through it textBetween
// and valueAfterLabel), the reader of state pages (also on a page built around the input, so that
// mutations reach the JSON values), and the Nikkei line. Besides crashes, sanitizer reports and
// time-outs (the readers are meant to be linear) it checks the fields' promises, that the alerts'
// numeric comparison is an order, valueAfterLabel block by block, the Nikkei line's cutting rule, and that
// the page-format dispatch sends state pages to the state reader.

#include "exchange/numbertext.h"
#include "fuzzcheck.h"
#include "quotes/markuppage.h"
#include "quotes/quotepage.h"
#include "quotes/statepage.h"
#include "quotes/textextract.h"

#include <QJsonDocument>
#include <QList>

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

namespace {

// valueAfterLabel as it reads: split the page into "</div>"-delimited blocks from the left, take the last
// block holding the label, and cut its first bold text.
QString valueAfterLabelByBlocks(const QString& all, const QString& label)
{
    std::optional<QString> found;
    for (qsizetype start = 0, end = 0; end >= 0; start = end + 6) {
        end = all.indexOf(u"</div>"_s, start, Qt::CaseInsensitive);
        const QString block = all.mid(start, end < 0 ? -1 : end - start);
        if (block.contains(label, Qt::CaseInsensitive))
            found = block;
    }
    return found ? textBetween(*found, u"<strong>"_s, u"</strong>"_s) : QString();
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

bool shownText(const QString& t)
{
    for (const QChar c : t) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            return false;
    }
    return t.size() <= 256;
}

void checkStateReader(const QString& page)
{
    const std::optional<EmbeddedState> found = findEmbeddedState(page);
    const QuoteFields q = parseStateQuotePage(page);
    check(!found || (found->textFrom <= found->textTo && found->textTo <= page.size()),
          "the span lies in the page");
    check(q == (found && found->state ? stateQuoteFields(*found->state) : QuoteFields{}),
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

    const QuoteReading read = readQuotePage(page);
    if (q.isDetailPage && read.form != PageForm::Streamed)
        check(read.fields == q && read.form == PageForm::State, "a state page goes to the reader");
    const QString line = nikkeiLine(page);
    check(line.startsWith(u"日経平均 "_s) && line.contains(u" ("_s) && line.contains(u") "_s),
          "the literal pieces stand", line);
}

void checkOldCut(const QString& page)
{
    const QuoteFields q = parseQuotePage(page);

    check(q.shortName.size() < 300, "the short name lies within 300 characters");
    check(q.isDetailPage || q == QuoteFields{q.shortName},
          "a page without the detail table gives only the short name");
    // A page of the current site may give a date ("12/05") for the time; a 2012 page never does.
    const bool today = readQuotePage(page).form != PageForm::Markup2012;
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

    // valueAfterLabel with the parser's labels, and with the page's first line as a label of its own
    // (so that the fuzzer also tries ASCII labels, where case matters).
    QList<QString> labels{u"始値"_s, u">高値"_s, u">安値"_s, u">出来高<"_s};
    if (const QString firstLine = page.section(u'\n', 0, 0).left(12); !firstLine.isEmpty())
        labels.append(firstLine);
    for (const QString& label : labels) {
        const QString fast = valueAfterLabel(page, label), plain = valueAfterLabelByBlocks(page, label);
        check(fast == plain, "valueAfterLabel reads the last block holding the label",
              label + u": "_s + fast + u" / "_s + plain);
    }
}

// The Nikkei line against the cutting rule spelt out with textBetween and character windows (1-based
// character 9220 is index 9219); pages of the current site are read from their state instead.
void checkNikkeiLine(const QString& page)
{
    const qsizetype p = page.indexOf(u"cmn-index_value no-bg"_s);
    const QString index = p < 0 ? QString() : textBetween(page.mid(p, 400), u"<b>"_s, u"</b>"_s);
    const QString fixed =
        page.size() > 9219 ? textBetween(page.mid(9219, 200), u"<b>"_s, u"</b>"_s) : QString();
    QString bracketed;
    if (const qsizetype q = page.indexOf(u"cmn-indexes_index_link"_s); q >= 0) {
        const QString near = page.mid(q, 50);
        if (const qsizetype a = near.indexOf(u"</a>"_s); a >= 0)
            bracketed = textBetween(near.mid(a, 20), u"("_s, u")"_s);
    }
    const IndexReading read = readIndexPage(page);
    // A page that carries data is read from it; the cutting rule holds for every other page.
    if (read.form == PageForm::Markup2012 || read.form == PageForm::None) {
        const QString expected = u"日経平均 "_s + index + u" ("_s + bracketed + u") "_s + fixed;
        check(read.line == expected, "the line follows the cutting rule", read.line + u" / "_s + expected);
    } else {
        check(read.line == u"日経平均 "_s + read.price + u" ("_s + read.time + u") "_s + read.change,
              "a data page's line is made of its pieces", read.line);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    checkOldCut(input);
    checkNikkeiLine(input);
    checkStateReader(input);
    const QString built = u"<html><head><script>window.x = 1;</script></head><body>\n<script>\n"
                          "  // state\n  window.__PRELOADED_STATE__ = "_s +
                          input + u"</script></body></html>"_s;
    checkStateReader(built);
    checkNikkeiLine(built);
    const QJsonDocument doc = QJsonDocument::fromJson(input.toUtf8());
    if (doc.isObject() && !input.contains(u"</script"_s, Qt::CaseInsensitive)) {
        const std::optional<QJsonObject> state = embeddedPageState(built);
        check(state && *state == doc.object(), "an object QJsonDocument reads is the page's state");
    }
    return 0;
}
