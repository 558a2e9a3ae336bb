// The Nikkei average's pages: /nkave of 2012 and today's /quote/998407.O.

#include "routes.h"
#include "server.h"

#include "markuppages.h"
#include "statepages.h"
#include "streamedpages.h"

using namespace Qt::StringLiterals;

namespace tickora::market {

bool MarketServer::serveIndexPage(const QString& path, httplib::Response& res)
{
    if (path == u"/quote/998407.O"_s) {
        IndexView index = m_market.nextNikkei(QuoteStateHistoryDays);
        index.timeForm = timeForm();
        // A board naming another index, when the control path asks for one.
        if (const QString page = quotePageOf(u"998407.O"_s); page.startsWith(u"other:"_s))
            index.code = page.mid(6);
        res.set_content(
            utf8(m_indexPages == IndexPageForm::Streamed ? streamedIndexPage(index) : stateIndexPage(index)),
            HtmlType);
        return true;
    }
    if (path == u"/nkave"_s || path == u"/nkave/"_s) {
        res.set_content(utf8(markupNikkeiPage(m_market.nextNikkei())), HtmlType);
        return true;
    }
    return false;
}

} // namespace tickora::market
