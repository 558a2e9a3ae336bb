// The Nikkei average's pages: /nkave of 2012 and today's /quote/998407.O.

#include "routes.h"
#include "server.h"

#include "pages.h"
#include "todaypages.h"

using namespace Qt::StringLiterals;

namespace tickora::market {

bool MarketServer::serveIndexPage(const QString& path, httplib::Response& res)
{
    if (path == u"/quote/998407.O"_s) {
        res.set_content(utf8(todayIndexPage(m_market.nextNikkei(QuoteStateHistoryDays))), HtmlType);
        return true;
    }
    if (path == u"/nkave"_s || path == u"/nkave/"_s) {
        res.set_content(utf8(nikkeiPage(m_market.nextNikkei())), HtmlType);
        return true;
    }
    return false;
}

} // namespace tickora::market
