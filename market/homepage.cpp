#include "homepage.h"

#include "textformats.h"

using namespace Qt::StringLiterals;

namespace tickora::market {

QString homePage(int port)
{
    const QString base = u"http://127.0.0.1:"_s + QString::number(port);
    const QString links[] = {
        u"/stocks/detail/?code=7203"_s,
        u"/nkave"_s,
        u"/quote/7203.T"_s,
        u"/quote/998407.O"_s,
        u"/b?s=7203.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s,
        u"/z?s=7203.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=\""_s,
        u"/z?s=998407.O&t=6m&q=c&l=off&z=m&p=m65,m130&a=r,w&c="_s,
        u"/f?s=7203.T"_s,
        u"/t?s=7203.T"_s,
        u"/gifdata/nk_chart_L.gif"_s,
        u"/chart/nka_l.gif"_s,
        u"/Pics/Stock/Day/K001881.GIF"_s,
        u"/rakutensecj/common/analytic.jsp?ric=.DJI&per=1&width=755&height=400&tp=0&sma=1&vol=1"_s,
        u"/asp4gif/japan_gif.asp?code=JPY&exch=CU&type=2&interval=3&upper=0&lower=0&x=360&y=360&barno=100"_s,
        u"/v8/finance/chart/7203.T?range=1d&interval=5m"_s,
        u"/v8/finance/chart/%5EN225?range=6mo&interval=1d"_s,
        u"/v8/finance/chart/%5EDJI?range=1y&interval=1d"_s,
        u"/v8/finance/chart/JPY=X?range=1d&interval=5m"_s,
        u"/_control/status"_s};
    QString s = u"<!DOCTYPE html>\n<html lang=\"ja\"><head><meta "
                u"charset=\"UTF-8\"><title>Tickoraマーケット（模擬市場）</title>"
                u"</head><body><h2>Tickoraマーケット（模擬市場）</h2><p>Tickora を試すための模擬市場です。"
                u"TICKORA_MARKET_URL="_s +
                base + u" として Tickora を起動してください。</p><ul>\n"_s;
    for (const QString& l : links)
        s += u"<li><a href=\""_s + htmlEscape(l) + u"\">"_s + htmlEscape(l) + u"</a></li>\n"_s;
    s += u"</ul></body></html>\n"_s;
    return s;
}

} // namespace tickora::market
