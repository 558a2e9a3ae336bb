#include "pageverdict.h"

#include "exchange/securitycode.h"
#include "quotes/datafields.h"
#include "quotes/secondsource.h"
#include "quotes/timecell.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

QStringView withoutMarket(QStringView code)
{
    code = code.trimmed();
    const qsizetype dot = code.lastIndexOf(u'.');
    return dot > 0 ? code.first(dot) : code;
}

bool isDataForm(PageForm form)
{
    return form == PageForm::Streamed || form == PageForm::State;
}

} // namespace

bool sameSecurityCode(QStringView a, QStringView b)
{
    a = withoutMarket(a);
    b = withoutMarket(b);
    const std::optional<QString> ca = canonicalCode(a), cb = canonicalCode(b);
    if (ca && cb)
        return *ca == *cb;
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

JudgedQuote judgeQuotePage(const QString& page, const QString& code, QuotePages pages, QDate japanToday)
{
    JudgedQuote j{PageVerdict::Read, readQuotePage(page)};
    QuoteFields& q = j.reading.fields;
    const bool today = pages == QuotePages::Today;
    if (q.isDetailPage && !q.boardCode.isEmpty() && !sameSecurityCode(code, q.boardCode))
        j.verdict = PageVerdict::OtherCode;
    else if (q.isDetailPage && (!today || isDataForm(j.reading.form) || j.reading.priceCell))
        j.verdict = PageVerdict::Read;
    else if (isNoSuchCodePage(page))
        j.verdict = PageVerdict::NoSuchCode;
    else
        j.verdict = today ? PageVerdict::Unread : PageVerdict::NotDetail;
    // A page that only says "株価詳細" is no 2012 page to today's reader: its form is not known.
    if (j.verdict == PageVerdict::Unread && j.reading.form == PageForm::Markup2012)
        j.reading.form = PageForm::None;
    if (j.verdict == PageVerdict::Read && today)
        q.time = quoteTimeCell(q.time, japanToday);
    return j;
}

JudgedIndex judgeIndexPage(const QString& page, QuotePages pages, QDate japanToday)
{
    JudgedIndex j{PageVerdict::Unread, readIndexPage(page)};
    IndexReading& r = j.reading;
    if (!r.found)
        return j;
    if (!r.boardCode.isEmpty() && !sameSecurityCode(QStringView(NikkeiIndexCode), r.boardCode)) {
        j.verdict = PageVerdict::OtherCode;
        return j;
    }
    j.verdict = PageVerdict::Read;
    if (pages == QuotePages::Today && isDataForm(r.form)) {
        r.time = quoteTimeCell(r.time, japanToday);
        r.line = u"日経平均 "_s + r.price + u" ("_s + r.time + u") "_s + r.change;
    }
    return j;
}

QString otherCodeText(const QString& rowCode, const QString& boardCode)
{
    return u"株価ページが別の銘柄を示しています（%1 → %2）"_s.arg(withoutMarket(rowCode).toString(),
                                                                  boardCode.trimmed());
}

} // namespace tickora
