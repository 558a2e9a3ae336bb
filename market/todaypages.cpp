#include "todaypages.h"

#include "history.h"
#include "timeforms.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <QTimeZone>

#include <cmath>
#include <tuple>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

/// The site's release: its generated class names and bundle follow from it.
constexpr char16_t Release[] = u"2025.12.1";

QString monthDay(QDate date)
{
    return date.isValid() ? date.toString(u"MM/dd"_s) : u"--/--"_s;
}

QString shortDate(QDate date)
{
    return date.isValid() ? date.toString(u"yy/MM/dd"_s) : u"--/--/--"_s;
}

QString clock(int minuteOfDay)
{
    return u"%1:%2"_s.arg(minuteOfDay / 60, 2, 10, QChar(u'0')).arg(minuteOfDay % 60, 2, 10, QChar(u'0'));
}

/// Milliseconds since the epoch of a minute of a day in Tokyo.
qint64 tokyoMillis(QDate date, int minuteOfDay)
{
    return QDateTime(date, QTime(minuteOfDay / 60, minuteOfDay % 60), QTimeZone(9 * 3600))
        .toMSecsSinceEpoch();
}

QString base36(std::uint64_t n, int digits)
{
    static constexpr char16_t Digits[] = u"0123456789abcdefghijklmnopqrstuvwxyz";
    QString s(digits, u'0');
    for (int i = digits - 1; i >= 0; --i, n /= 36)
        s[i] = QChar(Digits[n % 36]);
    return s;
}

} // namespace

QString cls(QStringView component, QStringView element)
{
    const QString key = component + u"__"_s + element;
    const std::uint64_t h = mixSeed(mixSeed(0, Release), key);
    return u"_"_s + key + u'_' + base36(h, 5) + u'_' + QString::number(h % 61 + 1);
}

namespace {

constexpr const char16_t* Components[] = {u"App",
                                          u"Header",
                                          u"GlobalNav",
                                          u"SearchBox",
                                          u"BreadCrumb",
                                          u"BasePriceBoard",
                                          u"PriceBoard",
                                          u"StyledNumber",
                                          u"PriceChange",
                                          u"PriceDate",
                                          u"StocksDetail",
                                          u"DataList",
                                          u"DataListItem",
                                          u"ReferenceIndex",
                                          u"ChartTabs",
                                          u"ChartSetting",
                                          u"TimeSeries",
                                          u"CandleChart",
                                          u"NewsList",
                                          u"NewsItem",
                                          u"Ranking",
                                          u"RankingItem",
                                          u"IndexList",
                                          u"IndexItem",
                                          u"Board",
                                          u"BoardRow",
                                          u"PortfolioButton",
                                          u"Tooltip",
                                          u"Modal",
                                          u"Tabs",
                                          u"TabItem",
                                          u"Footer",
                                          u"FooterLinks",
                                          u"Ad",
                                          u"Banner",
                                          u"Themes",
                                          u"ThemeItem",
                                          u"Bbs",
                                          u"BbsItem",
                                          u"Disclaimer",
                                          u"Accordion",
                                          u"Pager",
                                          u"SideColumn",
                                          u"MarketSummary",
                                          u"Icon",
                                          u"Label",
                                          u"Button",
                                          u"Link",
                                          u"Heading",
                                          u"Notice"};

constexpr const char16_t* Elements[] = {u"main",  u"wrapper", u"inner", u"title", u"value", u"unit",
                                        u"item",  u"list",    u"label", u"date",  u"icon",  u"link",
                                        u"price", u"change",  u"up",    u"down",  u"body",  u"header"};

/// The site's style sheet: one rule per component and element, about 150 KB.
const QString& styleSheet()
{
    static const QString css = [] {
        static constexpr const char16_t* Properties[] = {
            u"display:flex",
            u"display:block",
            u"display:inline-block",
            u"align-items:center",
            u"justify-content:space-between",
            u"flex-wrap:wrap",
            u"position:relative",
            u"box-sizing:border-box",
            u"overflow:hidden",
            u"white-space:nowrap",
            u"text-overflow:ellipsis",
            u"font-weight:700",
            u"font-feature-settings:\"palt\"",
            u"color:var(--color-text-primary,#232a31)",
            u"color:var(--color-text-secondary,#6e7780)",
            u"color:var(--color-price-up,#0b8a00)",
            u"color:var(--color-price-down,#e60000)",
            u"background-color:var(--color-bg-base,#fff)",
            u"border-bottom:1px solid var(--color-border,#e0e4e9)",
            u"transition:opacity .2s ease-in-out",
            u"font-family:-apple-system,BlinkMacSystemFont,\"Hiragino Kaku Gothic ProN\",Meiryo,sans-serif"};
        Rng rng(mixSeed(0, u"css"));
        QString s;
        s.reserve(160000);
        for (const char16_t* component : Components) {
            for (const char16_t* element : Elements) {
                s += u'.' + cls(component, element) + u'{';
                const int count = 3 + rng.below(5);
                for (int i = 0; i < count; ++i) {
                    const int kind = rng.below(4);
                    if (kind == 0)
                        s += QString::fromUtf16(Properties[rng.below(int(std::size(Properties)))]);
                    else if (kind == 1)
                        s += u"margin:%1px %2px 0"_s.arg(rng.below(24)).arg(rng.below(24));
                    else if (kind == 2)
                        s += u"padding:%1px %2px"_s.arg(rng.below(16)).arg(rng.below(16));
                    else
                        s += u"font-size:%1rem;line-height:%2"_s.arg(0.75 + 0.125 * rng.below(8))
                                 .arg(1.2 + 0.1 * rng.below(6));
                    s += u';';
                }
                s += u"}\n"_s;
            }
            s += u"@media (max-width:768px){."_s + cls(component, u"main") + u"{padding:0 12px}}\n"_s;
        }
        return s;
    }();
    return css;
}

/// The site's script bundle: modules of minified code, about 200 KB. It holds no "</" and no state.
const QString& scriptBundle()
{
    static const QString js = [] {
        static constexpr const char16_t* Templates[] = {
            u"%1:function(e,t,n){\"use strict\";n.d(t,{Z:function(){return r}});var r=function(e){var "
            u"t=e.value,"
            u"i=e.digits;return null==t?\"---\":Number(t).toLocaleString(\"ja-JP\",{minimumFractionDigits:i,"
            u"maximumFractionDigits:i})}},",
            u"%1:function(e,t,n){\"use strict\";var r=n(%2),o=n.n(r),a=n(%3);t.Z=function(e){var "
            u"t=e.children,"
            u"n=e.className;return o().createElement(\"div\",{className:(0,a.Z)(\"%4\",n)},t)}},",
            u"%1:function(e,t,n){\"use strict\";n.r(t);var "
            u"r=n(%2),o=[\"detail\",\"chart\",\"history\",\"news\","
            u"\"bbs\"];t.default=function(e){return o.indexOf(e)>=0?\"/quote/\"+e:\"/\"}},",
            u"%1:function(e){e.exports=JSON.parse('{\"name\":\"%4\",\"version\":\"%5\",\"sideEffects\":false}"
            u"')},",
            u"%1:function(e,t,n){\"use strict\";var r=n(%2);function o(e,t){if(!(e instanceof t))throw new "
            u"TypeError(\"Cannot call a class as a function\")}var a=function(){function e(t){o(this,e),"
            u"this.interval=t||3e4,this.timer=null}return e.prototype.start=function(e){var t=this;"
            u"this.stop(),this.timer=setInterval(function(){return e(t)},this.interval)},"
            u"e.prototype.stop=function(){clearInterval(this.timer)},e}();t.Z=a},"};
        Rng rng(mixSeed(0, u"bundle"));
        QString s = u"(self.webpackChunk_finance=self.webpackChunk_finance||[]).push([[179],{"_s;
        s.reserve(210000);
        int module = 1000;
        while (s.size() < 200000) {
            module += 1 + rng.below(97);
            const char16_t* component = Components[rng.below(int(std::size(Components)))];
            const char16_t* element = Elements[rng.below(int(std::size(Elements)))];
            s += QString::fromUtf16(Templates[rng.below(int(std::size(Templates)))])
                     .replace(u"%1"_s, QString::number(module))
                     .replace(u"%2"_s, QString::number(1000 + rng.below(90000)))
                     .replace(u"%3"_s, QString::number(1000 + rng.below(90000)))
                     .replace(u"%4"_s, cls(component, element))
                     .replace(u"%5"_s, QString::fromUtf16(Release));
            if (rng.below(8) == 0)
                s += u'\n';
        }
        s += u"0:function(){}}]);\n"_s;
        return s;
    }();
    return js;
}

} // namespace

QString siteShell(const QString& title, const QString& bodyMarkup, const QString& dataScripts)
{
    QString s;
    s.reserve(400000);
    s += u"<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"utf-8\">\n"
         u"<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">\n<title>"_s +
         htmlEscape(title) +
         u"</title>\n"
         u"<meta name=\"description\" content=\"Tickoraマーケット（模擬市場）の株価・チャート・ニュース。"
         u"表示される値はすべて乱数から作られたものです。\">\n"
         u"<link rel=\"stylesheet\" href=\"/static/css/main."_s +
         base36(mixSeed(0, Release), 8) +
         u".css\">\n"
         u"<link rel=\"preload\" as=\"script\" href=\"/static/js/vendor."_s +
         base36(mixSeed(1, Release), 8) +
         u".js\">\n"
         u"<script>window.YAHOO = window.YAHOO || {}; window.YAHOO.JP = {\"srchId\":\"fin\"};</script>\n"
         u"<style>\n"_s;
    s += styleSheet();
    s += u"</style>\n</head><body><div id=\"root\"><div class=\""_s + cls(u"App", u"wrapper") + u"\">"_s;
    s +=
        u"<header class=\""_s + cls(u"Header", u"main") + u"\"><nav class=\""_s +
        cls(u"BreadCrumb", u"list") +
        u"\"><a href=\"/\">Tickoraマーケット</a> &gt; <a href=\"/stocks/ranking/\">株式</a></nav></header>\n"_s;
    s += u"<main class=\""_s + cls(u"App", u"main") + u"\">"_s + bodyMarkup + u"</main>\n"_s;
    s += u"<footer class=\""_s + cls(u"Footer", u"main") +
         u"\"><p>このサイトは Tickora を試すための模擬市場です。実際の相場とは関係ありません。</p></footer>"
         u"</div></div>\n"_s;
    s += dataScripts;
    s += u"<script>\n"_s + scriptBundle() + u"</script>\n<script src=\"/static/js/vendor."_s +
         base36(mixSeed(1, Release), 8) +
         u".js\" defer></script>\n"
         u"<script>window.__SERVER_CONFIG__ = {\"env\":\"production\",\"device\":\"pc\"};</script>\n"
         u"</body></html>\n"_s;
    return s;
}

namespace {

/// The whole page around its state and body markup.
QString shell(const QString& title, const QString& bodyMarkup, const QJsonObject& state)
{
    return siteShell(title, bodyMarkup,
                     u"<script>\n"
                     u"    // The state the page is drawn from, written by the server as JSON.\n"
                     u"    // Client code reads it once at start and then drops it.\n"
                     u"    window.__PRELOADED_STATE__ = "_s +
                         scriptSafeJson(state) + u"</script>\n"_s);
}

QJsonArray dailyBars(const QList<Bar>& days)
{
    QJsonArray bars;
    for (const Bar& b : days)
        bars.append(
            QJsonObject{{u"baseDatetime"_s, QString(b.date.toString(u"yyyy-MM-dd"_s) + u"T00:00:00+09:00"_s)},
                        {u"openPrice"_s, b.open},
                        {u"highPrice"_s, b.high},
                        {u"lowPrice"_s, b.low},
                        {u"closePrice"_s, b.close},
                        {u"volume"_s, b.volume}});
    return bars;
}

QJsonObject chartSetting(const QList<Bar>& days)
{
    return {{u"chartType"_s, u"candle"_s},
            {u"term"_s, u"6m"_s},
            {u"timeSeriesData"_s, QJsonObject{{u"histories"_s, dailyBars(days)}, {u"isDaily"_s, true}}}};
}

constexpr const char16_t* Headlines[] = {
    u"決算速報：営業益は前年比で増加",     u"東証寄り付き：買い先行、主力株に見直し買い",
    u"為替：ドル円は小動き、様子見ムード", u"後場の注目ポイント：内需株に物色",
    u"大引け概況：反落、利益確定売り優勢", u"新興市場：グロース指数は続伸",
    u"個別銘柄の動き：好材料で急伸",       u"市場展望：来週は重要指標の発表に注目"};

} // namespace

void addCommonSections(QJsonObject& state, Rng& rng, QDate date)
{
    QJsonArray articles;
    for (int i = 0; i < 60; ++i)
        articles.append(QJsonObject{
            {u"title"_s, QString::fromUtf16(Headlines[rng.below(int(std::size(Headlines)))])},
            {u"link"_s, QString(u"/news/detail/"_s + QString::number(100000 + rng.below(900000)))},
            {u"publishedAt"_s, date.isValid() ? QString(date.toString(u"yyyy-MM-dd"_s) + u"T"_s +
                                                        clock(8 * 60 + rng.below(8 * 60)) + u":00+09:00"_s)
                                              : QString()},
            {u"source"_s, rng.chance(0.5) ? u"模擬通信"_s : u"Tickoraニュース"_s}});
    state.insert(u"mainNews"_s, QJsonObject{{u"articles"_s, articles}});

    QJsonArray ranking;
    for (int i = 0; i < 50; ++i) {
        const double rate = 2 + 18 * rng.uniform();
        ranking.append(QJsonObject{{u"rank"_s, i + 1},
                                   {u"code"_s, QString::number(1300 + rng.below(8600))},
                                   {u"changeRate"_s, std::round(rate * 100) / 100},
                                   {u"price"_s, formatNumber(100 + rng.below(9900))}});
    }
    state.insert(u"mainRanking"_s,
                 QJsonObject{{u"rankingType"_s, u"up"_s}, {u"market"_s, u"all"_s}, {u"items"_s, ranking}});

    QJsonArray links;
    for (const char16_t* name : {u"ヘルプ", u"利用規約", u"プライバシー", u"免責事項", u"お問い合わせ"})
        links.append(QJsonObject{{u"text"_s, QString::fromUtf16(name)},
                                 {u"url"_s, QString(u"/help/"_s + base36(mixSeed(0, name), 6))}});
    state.insert(u"pageFooter"_s, QJsonObject{{u"links"_s, links}, {u"copyright"_s, u"Tickora Project"_s}});
}

QString priceBoardMarkup(const QString& section, const QString& name, const QString& price,
                         const QString& change, const QString& rate, const QString& time)
{
    return u"<section id=\""_s + section + u"\" class=\""_s + cls(u"BasePriceBoard", u"main") +
           u"\"><header class=\""_s + cls(u"PriceBoard", u"header") + u"\"><h2 class=\""_s +
           cls(u"PriceBoard", u"title") + u"\">"_s + htmlEscape(name) + u"</h2></header><div class=\""_s +
           cls(u"PriceBoard", u"price") + u"\"><span class=\""_s + cls(u"StyledNumber", u"value") + u"\">"_s +
           htmlEscape(price) + u"</span></div><div class=\""_s + cls(u"PriceChange", u"main") +
           u"\">前日比 <span class=\""_s + cls(u"StyledNumber", u"value") + u"\">"_s + htmlEscape(change) +
           u"</span>（<span class=\""_s + cls(u"StyledNumber", u"value") + u"\">"_s + htmlEscape(rate) +
           u"</span>%）</div><p class=\""_s + cls(u"PriceDate", u"date") + u"\">"_s + htmlEscape(time) +
           u"</p></section>\n"_s;
}

QString newsMarkup()
{
    return u"<section id=\"news\" class=\""_s + cls(u"NewsList", u"main") + u"\"><ul class=\""_s +
           cls(u"NewsList", u"list") + u"\"><li class=\""_s + cls(u"NewsItem", u"item") +
           u"\">マーケット概況</li></ul></section>\n"_s;
}

QString boardChange(double change, int decimals)
{
    const QString signedText = formatChange(change, decimals);
    return signedText.startsWith(u'+') ? signedText.mid(1) : signedText;
}

QString boardChangeRate(double change, double base)
{
    QString rate = formatPercent(change, base);
    rate.chop(1); // the "%"
    return rate.startsWith(u'+') ? rate.mid(1) : rate;
}

QString scriptSafeJson(const QJsonObject& state)
{
    QString json = QString::fromUtf8(QJsonDocument(state).toJson(QJsonDocument::Compact));
    // "<" only occurs inside strings in JSON, where "\/" and "\u003c" mean the same text.
    json.replace(u"<!--"_s, u"\\u003c!--"_s);
    json.replace(u"</"_s, u"<\\/"_s);
    return json;
}

QString todayQuotePage(const QuoteView& q)
{
    const bool traded = q.volume > 0;
    const double change = q.price - q.prevClose;
    const QString none = u"---"_s;
    const QString time = quoteBoardTime(q, traded ? formatMinute(shownMinute(q)) : monthDay(q.prevDate));
    const QString price = traded ? formatNumber(q.price) : none;
    const QString changeText = traded ? boardChange(change) : none;
    const QString rateText = traded ? boardChangeRate(change, q.prevClose) : none;

    QJsonObject state;
    state.insert(u"pageInfo"_s, QJsonObject{{u"pageType"_s, u"stocks"_s},
                                            {u"currentDateTime"_s, tokyoMillis(q.date, q.minute)},
                                            {u"jwtToken"_s, base36(mixSeed(q.minute, q.code), 12)}});
    state.insert(
        u"mainStocksPriceBoard"_s,
        QJsonObject{{u"priceBoard"_s,
                     QJsonObject{{u"code"_s, q.code},
                                 {u"codeWithMarketExtension"_s, QString(q.code + u".T"_s)},
                                 {u"name"_s, q.companyName},
                                 {u"shortName"_s, q.shortName},
                                 {u"typeDetail"_s, u"STOCK"_s},
                                 {u"marketName"_s, u"東証PRM"_s},
                                 {u"industry"_s, QJsonObject{{u"industryName"_s, q.industry},
                                                             {u"industryItemsLink"_s,
                                                              QString(u"/stocks/qi/?ids="_s + q.industry)}}},
                                 {u"price"_s, price},
                                 {u"priceDateTime"_s, time},
                                 {u"savePrice"_s, price},
                                 {u"priceChange"_s, changeText},
                                 {u"priceChangeRate"_s, rateText},
                                 {u"isRealTime"_s, q.realTime},
                                 {u"isLatest"_s, true},
                                 {u"yearHighPriceFlag"_s, traded && q.yearHighDate == q.date},
                                 {u"yearLowPriceFlag"_s, traded && q.yearLowDate == q.date},
                                 {u"usStock"_s, QJsonValue::Null},
                                 {u"tabInfo"_s,
                                  QJsonArray{u"detail"_s, u"chart"_s, u"history"_s, u"news"_s, u"bbs"_s}}}}});

    const QString volumeText = formatNumber(double(q.volume));
    const QString tradingValue = formatNumber(double(q.volume) * q.price / 1000.0);
    const QJsonObject detail{
        {u"previousPrice"_s, formatNumber(q.prevClose)},
        {u"previousPriceDate"_s, monthDay(q.prevDate)},
        {u"openPrice"_s, traded ? formatNumber(q.open) : none},
        {u"openPriceDateTime"_s, traded ? clock(9 * 60) : none},
        {u"highPrice"_s, traded ? formatNumber(q.high) : none},
        {u"highPriceDateTime"_s, traded ? clock(q.highMinute) : none},
        {u"isStopHighPrice"_s, q.limitUpReached},
        {u"lowPrice"_s, traded ? formatNumber(q.low) : none},
        {u"lowPriceDateTime"_s, traded ? clock(q.lowMinute) : none},
        {u"isStopLowPrice"_s, q.limitDownReached},
        {u"volume"_s, volumeText},
        {u"volumeDateTime"_s, time},
        {u"tradingValue"_s, tradingValue},
        {u"tradingValueDateTime"_s, time},
        {u"priceLimit"_s, QString(formatNumber(q.limitDown) + u"～"_s + formatNumber(q.limitUp))},
        {u"priceLimitDate"_s, monthDay(q.date)},
        {u"isLatestVolumeAndTradingValue"_s, true},
        {u"isLatestOHLC"_s, true}};
    const ShareFigures f = shareFigures(q);
    const double reference = traded ? q.price : q.prevClose;
    const QJsonObject referenceIndex{
        {u"totalPrice"_s, formatNumber(double(q.sharesOutstanding) * reference / 1e6)},
        {u"sharesIssued"_s, formatNumber(double(q.sharesOutstanding))},
        // The live pages give the yield as a number, the other figures as texts.
        {u"shareDividendYield"_s, std::round(10000 * f.dividend / reference) / 100},
        {u"dps"_s, QString::number(f.dividend, 'f', 2)},
        {u"per"_s, QString::number(reference / f.eps, 'f', 2)},
        {u"pbr"_s, QString::number(reference / f.bps, 'f', 2)},
        {u"eps"_s, QString::number(f.eps, 'f', 2)},
        {u"bps"_s, QString::number(f.bps, 'f', 2)},
        {u"minPrice"_s, formatNumber(reference * double(q.unitShares))},
        {u"shareUnit"_s, q.unitShares},
        {u"yearHighPrice"_s, formatNumber(q.yearHigh)},
        {u"yearHighPriceDate"_s, shortDate(q.yearHighDate)},
        {u"yearLowPrice"_s, formatNumber(q.yearLow)},
        {u"yearLowPriceDate"_s, shortDate(q.yearLowDate)}};
    const QJsonObject emptyBoard{
        {u"ask"_s, QJsonObject{{u"price"_s, none}, {u"prefix"_s, QJsonValue::Null}}},
        {u"stock"_s, QJsonObject{{u"price"_s, none}}},
        {u"bid"_s, QJsonObject{{u"price"_s, none}, {u"prefix"_s, QJsonValue::Null}}}};
    state.insert(u"mainStocksDetail"_s, QJsonObject{{u"detail"_s, detail},
                                                    {u"boards"_s, QJsonArray{emptyBoard, emptyBoard}},
                                                    {u"referenceIndex"_s, referenceIndex}});
    state.insert(u"mainItemDetailChartSetting"_s, chartSetting(q.recentDays));
    Rng rng(mixSeed(static_cast<std::uint64_t>(q.date.toJulianDay()) * 1440 + q.minute, q.code));
    addCommonSections(state, rng, q.date);

    const QString body =
        u"<div class=\""_s + cls(u"BasePriceBoard", u"wrapper") + u"\">"_s +
        priceBoardMarkup(u"mainStocksPriceBoard"_s, q.companyName, price, changeText, rateText, time) +
        newsMarkup() + u"</div>"_s;
    return shell(q.companyName + u"【"_s + q.code + u"】：株価・株式情報 - Tickoraマーケット"_s, body, state);
}

QString todayNotFoundPage(const QString& code)
{
    QJsonObject state;
    state.insert(u"pageInfo"_s, QJsonObject{{u"pageType"_s, u"notFound"_s}});
    state.insert(u"mainNotFound"_s,
                 QJsonObject{{u"message"_s, u"該当する銘柄はありません"_s}, {u"searchWord"_s, code}});
    Rng rng(mixSeed(0, code));
    addCommonSections(state, rng, QDate());
    const QString body = u"<section id=\"mainNotFound\" class=\""_s + cls(u"Notice", u"main") +
                         u"\"><h2>該当する銘柄はありません</h2><p>「"_s + htmlEscape(code) +
                         u"」に該当する銘柄は見つかりませんでした。</p></section>\n"_s + newsMarkup();
    return shell(u"指定されたページは存在しません - Tickoraマーケット"_s, body, state);
}

QString todayIndexPage(const IndexView& ix)
{
    const double change = ix.value - ix.prevClose;
    const QString name = u"日経平均株価"_s;
    const QString price = formatNumber(ix.value, 2);
    const QString changeText = boardChange(change, 2);
    const QString rateText = boardChangeRate(change, ix.prevClose);
    const QString time = boardTime(ix.timeForm, ix.date, ix.minute);
    const QDate prevDate = ix.recentDays.isEmpty() ? previousTradingDay(ix.date) : ix.recentDays.last().date;

    QJsonObject state;
    state.insert(u"pageInfo"_s, QJsonObject{{u"pageType"_s, u"indices"_s},
                                            {u"currentDateTime"_s, tokyoMillis(ix.date, ix.minute)}});
    // The board and the day's figures as the index pages have them since 2026.
    state.insert(u"mainDomesticIndexPriceBoard"_s,
                 QJsonObject{{u"indexPrices"_s, QJsonObject{{u"marketName"_s, u"国内指数"_s},
                                                            {u"code"_s, ix.code},
                                                            {u"name"_s, name},
                                                            {u"price"_s, price},
                                                            {u"savePrice"_s, price},
                                                            {u"changePrice"_s, changeText},
                                                            {u"changePriceRate"_s, rateText},
                                                            {u"japanUpdateTime"_s, time},
                                                            {u"delayMinutes"_s, 0},
                                                            {u"isLatest"_s, true}}},
                             {u"currentTabNavigationKey"_s, u"detail"_s},
                             {u"isLoading"_s, false},
                             {u"isError"_s, false}});
    state.insert(
        u"mainDomesticIndexDetail"_s,
        QJsonObject{{u"indexPrices"_s, QJsonObject{{u"code"_s, ix.code},
                                                   {u"previousPrice"_s, formatNumber(ix.prevClose, 2)},
                                                   {u"previousPriceDate"_s, monthDay(prevDate)},
                                                   {u"openPrice"_s, formatNumber(ix.open, 2)},
                                                   {u"highPrice"_s, formatNumber(ix.high, 2)},
                                                   {u"lowPrice"_s, formatNumber(ix.low, 2)},
                                                   {u"volume"_s, QString()}}},
                    {u"isLoading"_s, false},
                    {u"isError"_s, false}});
    QJsonArray others;
    for (const auto& [code, label, value, diff] :
         {std::tuple{u"998405"_s, u"TOPIX"_s, ix.topix, ix.topixChange},
          {u"^DJI"_s, u"NYダウ"_s, ix.dow, ix.dowChange},
          {u"USDJPY=FX"_s, u"米ドル/円"_s, ix.usdJpy, ix.usdJpyChange}})
        others.append(QJsonObject{{u"code"_s, code},
                                  {u"name"_s, label},
                                  {u"price"_s, formatNumber(value, 2)},
                                  {u"priceChange"_s, boardChange(diff, 2)}});
    state.insert(u"mainIndexList"_s, QJsonObject{{u"indices"_s, others}});
    state.insert(u"mainItemDetailChartSetting"_s, chartSetting(ix.recentDays));
    Rng rng(mixSeed(static_cast<std::uint64_t>(ix.date.toJulianDay()) * 1440 + ix.minute, u"998407"));
    addCommonSections(state, rng, ix.date);

    const QString body =
        u"<div class=\""_s + cls(u"BasePriceBoard", u"wrapper") + u"\">"_s +
        priceBoardMarkup(u"mainDomesticIndexPriceBoard"_s, name, price, changeText, rateText, time) +
        newsMarkup() + u"</div>"_s;
    return shell(name + u"【998407.O】：指数・株価 - Tickoraマーケット"_s, body, state);
}

} // namespace tickora::market
