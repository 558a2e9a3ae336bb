// The stock pages: the stock-detail page of 2012 and today's quote page.

#include "routes.h"
#include "server.h"

#include "markuppages.h"
#include "statepages.h"
#include "streamedpages.h"
#include "unknownformpage.h"

using namespace Qt::StringLiterals;

namespace tickora::market {

bool MarketServer::serveStockPage(const QString& path, const httplib::Request& req, httplib::Response& res)
{
    if (path == u"/stocks/detail/"_s || path == u"/stocks/detail"_s) {
        const QString code = param(req, "code");
        const auto quote = m_market.nextQuote(code);
        res.set_content(utf8(quote ? markupQuotePage(*quote) : markupNotFoundPage(code)), HtmlType);
        return true;
    }
    if (!path.startsWith(u"/quote/"_s))
        return false;
    // Today's quote page /quote/<code>.T, streamed or with a page state as the options say. Like the
    // stock-detail page, a code the market does not list gets a normal page saying so.
    const QString symbol = path.mid(7);
    const QString code = symbol.endsWith(u".T"_s) ? symbol.chopped(2) : symbol;
    auto quote = symbol.endsWith(u".T"_s) ? m_market.nextQuote(code, QuoteStateHistoryDays) : std::nullopt;
    if (!quote) {
        res.set_content(utf8(stateNotFoundPage(code)), HtmlType);
        return true;
    }
    quote->timeForm = timeForm();
    // A page set on the control path: one in a form no reader knows, or a board naming another code.
    const QString page = quotePageOf(code);
    if (page == u"unknown"_s) {
        res.set_content(utf8(unknownFormQuotePage(*quote)), HtmlType);
        return true;
    }
    if (page.startsWith(u"other:"_s))
        quote->code = page.mid(6);
    res.set_content(
        utf8(m_stockPages == StockPageForm::State ? stateQuotePage(*quote) : streamedQuotePage(*quote)),
        HtmlType);
    return true;
}

} // namespace tickora::market
