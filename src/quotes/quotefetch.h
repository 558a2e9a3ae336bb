#pragma once

#include "platform/config.h"
#include "platform/httpclient.h"

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <functional>

namespace tickora {

/// Outcome of fetching one page. `ok` only for an HTTP status 200..299; `status` is 0 when no
/// status arrived (refused, time-out, reset, body too large). `text` is the decoded page.
struct PageFetch
{
    bool ok = false;
    int status = 0;
    QString text;
    QString error;
    QByteArray retryAfter;   ///< the answer's Retry-After header, for a 429 or 503
    bool simulated = false;  ///< the answer says it comes from a simulated market
    QDateTime simulatedTime; ///< the moment a simulated market says it stands at; invalid when none
};

/// True when an answer carries "X-Tickora-Simulated: 1": its prices are made up.
bool isSimulatedAnswer(const HttpResponse& response);
/// The moment a simulated answer gives in "X-Tickora-Simulated-Time" (ISO 8601 with its offset);
/// invalid for an answer that is not simulated or gives no readable moment with an offset.
QDateTime simulatedTimeOf(const HttpResponse& response);
using PageFetchDone = std::function<void(const PageFetch&)>;

/// The quote page of `code`. Today's pages: the path /quote/<code>.T, the code escaped as a path
/// segment. 2012 pages: the path /stocks/detail/ and the query "code=" followed by the code text
/// as it stands (a "%" or "#" in it is escaped so that it arrives as itself).
QUrl quotePageUrl(const QUrl& quoteBase, QuotePages pages, const QString& code);

/// The page the Nikkei average line is read from: the index's quote page /quote/998407.O on the
/// quote service, or /nkave on the Nikkei service for the 2012 pages.
QUrl nikkeiPageUrl(const Config& config);

/// The request fetchPage sends for `url`, for callers that start it ahead of time.
HttpRequest pageRequest(const QUrl& url);
/// The request fetchQuotePage sends for `code`.
HttpRequest quotePageRequest(const QUrl& quoteBase, QuotePages pages, const QString& code);

/// GETs `url` with the single header "If-Modified-Since: Thu, 01 Jun 1970 00:00:00 GMT" (asking
/// for a fresh page every time). `done` runs once, later, unless `context` is destroyed first.
void fetchPage(HttpClient& http, const QUrl& url, QObject* context, PageFetchDone done);

/// fetchPage of quotePageUrl(quoteBase, pages, code).
void fetchQuotePage(HttpClient& http, const QUrl& quoteBase, QuotePages pages, const QString& code,
                    QObject* context, PageFetchDone done);

} // namespace tickora
