#include "quotefetch.h"

#include "platform/config.h"

namespace tickora {

using namespace Qt::StringLiterals;

QUrl quotePageUrl(const QUrl& quoteBase, QuotePages pages, const QString& code)
{
    if (pages == QuotePages::Today) {
        const QByteArray segment = QUrl::toPercentEncoding(code);
        return serviceUrl(quoteBase, u"/quote/"_s + QString::fromLatin1(segment) + u".T"_s);
    }
    // The code goes out as it stands; only "%" and "#" are escaped, as they would otherwise
    // read as an escape or cut the query short.
    QString text = code;
    text.replace(u'%', u"%25"_s).replace(u'#', u"%23"_s);
    return serviceUrl(quoteBase, u"/stocks/detail/"_s, u"code="_s + text);
}

QUrl nikkeiPageUrl(const Config& config)
{
    if (config.quotePages == QuotePages::Today)
        return serviceUrl(config.quoteBase, u"/quote/998407.O"_s);
    return serviceUrl(config.nikkeiBase, u"/nkave"_s);
}

bool isSimulatedAnswer(const HttpResponse& response)
{
    return response.header("X-Tickora-Simulated").trimmed() == "1";
}

QDateTime simulatedTimeOf(const HttpResponse& response)
{
    if (!isSimulatedAnswer(response))
        return {};
    const QDateTime at = QDateTime::fromString(
        QString::fromLatin1(response.header("X-Tickora-Simulated-Time").trimmed()), Qt::ISODate);
    // Without an offset the moment would be read in the computer's zone: not taken.
    return at.isValid() && at.timeSpec() != Qt::LocalTime ? at : QDateTime();
}

HttpRequest pageRequest(const QUrl& url)
{
    HttpRequest request;
    request.url = url;
    request.headers.append(
        qMakePair(QByteArray("If-Modified-Since"), QByteArray("Thu, 01 Jun 1970 00:00:00 GMT")));
    return request;
}

HttpRequest quotePageRequest(const QUrl& quoteBase, QuotePages pages, const QString& code)
{
    return pageRequest(quotePageUrl(quoteBase, pages, code));
}

void fetchPage(HttpClient& http, const QUrl& url, QObject* context, PageFetchDone done)
{
    http.get(pageRequest(url), context, [done = std::move(done)](const HttpResponse& response) {
        PageFetch result;
        result.status = response.status;
        result.ok = response.isSuccess();
        result.error = response.error;
        result.retryAfter = response.header("Retry-After");
        result.simulated = isSimulatedAnswer(response);
        result.simulatedTime = simulatedTimeOf(response);
        if (result.ok)
            result.text = response.text();
        if (done)
            done(result);
    });
}

void fetchQuotePage(HttpClient& http, const QUrl& quoteBase, QuotePages pages, const QString& code,
                    QObject* context, PageFetchDone done)
{
    fetchPage(http, quotePageUrl(quoteBase, pages, code), context, std::move(done));
}

} // namespace tickora
