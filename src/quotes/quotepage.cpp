#include "quotepage.h"

#include "exchange/numbertext.h"
#include "markuppage.h"
#include "statepage.h"
#include "streamedpage.h"
#include "textextract.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

IndexReading fromData(PageForm form, const IndexFields& f)
{
    return {form,
            f.found,
            f.price,
            f.change,
            f.time,
            f.boardCode,
            u"日経平均 "_s + f.price + u" ("_s + f.time + u") "_s + f.change};
}

} // namespace

QString pageFormName(PageForm form)
{
    switch (form) {
    case PageForm::Streamed:
        return u"streamed"_s;
    case PageForm::State:
        return u"state"_s;
    case PageForm::Markup2012:
        return u"2012 markup"_s;
    case PageForm::None:
        break;
    }
    return u"none"_s;
}

QuoteReading readQuotePage(const QString& page)
{
    const std::optional<QString> stream = streamedPageData(page);
    const QuoteFields streamed = stream ? streamedQuoteFields(*stream) : QuoteFields{};
    if (streamed.isDetailPage)
        return {PageForm::Streamed, streamed};
    const std::optional<EmbeddedState> state = findEmbeddedState(page);
    const QuoteFields stated = state && state->state ? stateQuoteFields(*state->state) : QuoteFields{};
    if (stated.isDetailPage)
        return {PageForm::State, stated};
    // A page of a data form without its quote is no detail page, whatever its markup says: the
    // 2012 cut would read pieces of the title and the headings as a quote.
    if (mentionsStream(page))
        return {PageForm::Streamed, {}};
    if (state)
        return {PageForm::State, {}};
    const QuoteFields cut = cutMarkupQuotePage(page);
    if (!cut.isDetailPage)
        return {PageForm::None, cut};
    return {PageForm::Markup2012, cut, !textBetweenView(page, u"stoksPrice\"", u"/td>").isEmpty()};
}

QuoteFields parseQuotePage(const QString& page)
{
    return readQuotePage(page).fields;
}

IndexReading readIndexPage(const QString& page)
{
    const std::optional<QString> stream = streamedPageData(page);
    const IndexFields streamed = stream ? streamedIndexFields(*stream) : IndexFields{};
    if (streamed.found)
        return fromData(PageForm::Streamed, streamed);
    const std::optional<EmbeddedState> state = findEmbeddedState(page);
    const IndexFields stated = state && state->state ? stateIndexFields(*state->state) : IndexFields{};
    if (stated.found)
        return fromData(PageForm::State, stated);
    if (mentionsStream(page))
        return fromData(PageForm::Streamed, streamed);
    if (state)
        return fromData(PageForm::State, stated);
    const MarkupIndexCut cut = cutMarkupIndexPage(page);
    IndexReading r;
    r.form = cut.marked ? PageForm::Markup2012 : PageForm::None;
    r.found = isNumericText(cut.index);
    r.price = cut.index;
    r.change = cut.change;
    r.line = markupIndexLine(cut);
    return r;
}

QString nikkeiLine(const QString& page)
{
    return readIndexPage(page).line;
}

} // namespace tickora
