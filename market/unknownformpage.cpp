#include "unknownformpage.h"

#include "siteshell.h"
#include "textformats.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

QString compactJson(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

QString unknownFormQuotePage(const QuoteView& q)
{
    const QJsonObject data{
        {u"symbol"_s, QString(q.code + u".T"_s)},
        {u"quote"_s, QJsonObject{{u"last"_s, q.price}, {u"previousClose"_s, q.prevClose}}}};
    const QString body = u"<div class=\""_s + cls(u"StocksDetail", u"main") + u"\"><h1>"_s +
                         htmlEscape(q.companyName) + u"</h1><h2 class=\""_s + cls(u"Heading", u"title") +
                         u"\" hidden>株価詳細値</h2></div>"_s + newsMarkup();
    // Written as the stream's string literals are, so that no text can end the element.
    const QString json = compactJson(data).replace(u"<"_s, u"\\u003c"_s);
    return siteShell(q.companyName + u"【"_s + q.code + u"】：株価・株式情報 - Tickoraマーケット"_s, body,
                     u"<script type=\"application/json\" id=\"__QUOTE_DATA__\">"_s + json + u"</script>\n"_s);
}

} // namespace tickora::market
