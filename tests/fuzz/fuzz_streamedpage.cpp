// Fuzzes the reader of streamed pages with text read as UTF-8, both as a whole page and as the
// stream's data, pushed to a page built around it. Besides crashes, sanitizer reports and
// time-outs (the reader is meant to be linear) it checks that the decoder gives back exactly the
// data the pushes carry, that where the data is split between pushes changes nothing, and the
// fields' promises.

#include "exchange/numbertext.h"
#include "fuzzcheck.h"
#include "quotes/pageverdict.h"
#include "quotes/quotepage.h"
#include "quotes/streamedpage.h"
#include "quotes/timecell.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

namespace {

/// A push of `text` as the site writes it: a JSON string literal, "&", "<" and ">" escaped.
QString push(const QString& text)
{
    const QString array = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    return u"<script>self.__next_f.push([1,"_s +
           array.mid(1, array.size() - 2)
               .replace(u"&"_s, u"\\u0026"_s)
               .replace(u"<"_s, u"\\u003c"_s)
               .replace(u">"_s, u"\\u003e"_s) +
           u"])</script>"_s;
}

void checkFields(const QuoteFields& q)
{
    check(q.isDetailPage || q == QuoteFields{}, "a stream without a price board gives nothing");
    for (const QString& t :
         {q.shortName, q.name, q.price, q.change, q.open, q.high, q.low, q.volume, q.prevClose, q.time})
        check(t.size() <= 256, "fields are capped", t);
    if (q.isDetailPage) {
        for (const QString& t : {q.change, q.open, q.high, q.low, q.volume})
            check(isNumericText(t), "numeric fields are numeric or 0", t);
        check(q.time.isEmpty() || q.time.contains(u':') || q.time.contains(u'/'), "the time holds : or /",
              q.time);
    }
}

/// The time cell's one form: "H:MM", "M/D" or nothing; read again, it stays as it is.
void checkTimeCell(const QString& cell)
{
    static const QRegularExpression form(u"^([0-9]{1,2}:[0-9]{2}|[0-9]{1,2}/[0-9]{1,2})?$"_s);
    check(form.match(cell).hasMatch(), "the time cell is H:MM or M/D", cell);
    check(quoteTimeCell(cell, QDate(2026, 9, 18)) == cell, "a time cell reads as itself", cell);
}

/// The judge of a page read from its data: read for the board's own code, another code's board
/// never taken.
void checkJudged(const QString& page, const QuoteFields& fields)
{
    const JudgedQuote own = judgeQuotePage(page, fields.boardCode, QuotePages::Today, QDate(2026, 9, 18));
    check(own.verdict == (fields.isDetailPage ? PageVerdict::Read : PageVerdict::Unread) ||
              (!fields.isDetailPage && own.verdict == PageVerdict::NoSuchCode),
          "a page is read for the code its board names");
    checkTimeCell(own.reading.fields.time);
    const JudgedQuote other = judgeQuotePage(page, u"0"_s, QuotePages::Today, QDate(2026, 9, 18));
    if (other.verdict == PageVerdict::Read)
        check(fields.boardCode.isEmpty() || sameSecurityCode(u"0", fields.boardCode),
              "a board of another code is not read", fields.boardCode);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QuoteReading page = readQuotePage(input);
    if (page.form == PageForm::Streamed)
        checkFields(page.fields);
    readIndexPage(input);

    const QuoteFields fields = streamedQuoteFields(input);
    checkFields(fields);
    const IndexFields index = streamedIndexFields(input);
    check(!index.found || isNumericText(index.price), "a found index has a numeric price", index.price);

    // Pushed whole and split in two at a place the first byte picks: the same data, the same quote.
    const qsizetype at = size == 0 ? 0 : qsizetype(data[0]) * input.size() / 256;
    const QString shell = u"<html><body><script>(self.__next_f=self.__next_f||[]).push([0])</script>"_s;
    const QString whole = shell + push(input), split = shell + push(input.left(at)) + push(input.mid(at));
    check(streamedPageData(whole) == input && streamedPageData(split) == input,
          "the pushes decode to the data");
    const QuoteReading read = readQuotePage(split);
    check(read.form == PageForm::Streamed && read.fields == fields, "the page reads as its data");
    check(readIndexPage(split).found == index.found, "the index reads as its data");
    checkJudged(split, fields);
    checkTimeCell(quoteTimeCell(input, QDate(2026, 9, 18)));
    return 0;
}
