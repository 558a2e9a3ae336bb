#include "variantpages.h"

#include "streampages.h"
#include "timeforms.h"
#include "todaypages.h"

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

QString streamedIndexPage(const IndexView& ix)
{
    const double change = ix.value - ix.prevClose;
    const QString name = u"日経平均株価"_s;
    const QString price = formatNumber(ix.value, 2);
    const TimeForm form = ix.timeForm == TimeForm::Short ? TimeForm::Dated : ix.timeForm;
    const QString time = boardTime(form, ix.date, ix.minute);
    const QJsonObject board{{u"marketName"_s, u"国内指数"_s},
                            {u"code"_s, ix.code},
                            {u"name"_s, name},
                            {u"price"_s, price},
                            {u"changePrice"_s, boardChange(change, 2)},
                            {u"changePriceRate"_s, boardChangeRate(change, ix.prevClose)},
                            {u"japanUpdateTime"_s, time},
                            {u"delayMinutes"_s, 0}};
    const QJsonObject detail{{u"code"_s, ix.code},
                             {u"previousPrice"_s, formatNumber(ix.prevClose, 2)},
                             {u"openPrice"_s, formatNumber(ix.open, 2)},
                             {u"highPrice"_s, formatNumber(ix.high, 2)},
                             {u"lowPrice"_s, formatNumber(ix.low, 2)}};
    const QJsonObject store{{u"mainDomesticIndexPriceBoard"_s, QJsonObject{{u"indexPrices"_s, board}}},
                            {u"mainDomesticIndexDetail"_s, QJsonObject{{u"indexPrices"_s, detail}}}};
    const QString stream =
        u"1:\"$Sreact.fragment\"\n0:{\"P\":null,\"c\":[\"\",\"pc\",\"index\",\"quote\",\"998407.O\"]}\n"
        u"2a:[\"$\",\"$L25\",null,{\"preloadedStore\":"_s +
        compactJson(store) + u"}]\n2b:null\n"_s;
    const QString body =
        u"<div class=\""_s + cls(u"BasePriceBoard", u"wrapper") + u"\">"_s +
        priceBoardMarkup(u"mainDomesticIndexPriceBoard"_s, name, price, boardChange(change, 2),
                         boardChangeRate(change, ix.prevClose), time) +
        newsMarkup() + u"</div>"_s;
    return siteShell(name + u"【998407.O】：指数・株価 - Tickoraマーケット"_s, body, streamScripts({stream}));
}

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
