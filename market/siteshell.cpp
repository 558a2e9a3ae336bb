#include "siteshell.h"

#include "textformats.h"

#include <QJsonArray>
#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

/// The site's release: its generated class names and bundle follow from it.
constexpr char16_t Release[] = u"2025.12.1";

} // namespace

QString base36(std::uint64_t n, int digits)
{
    static constexpr char16_t Digits[] = u"0123456789abcdefghijklmnopqrstuvwxyz";
    QString s(digits, u'0');
    for (int i = digits - 1; i >= 0; --i, n /= 36)
        s[i] = QChar(Digits[n % 36]);
    return s;
}

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
            {u"publishedAt"_s, date.isValid()
                                   ? QString(date.toString(u"yyyy-MM-dd"_s) + u"T"_s +
                                             clockText(8 * 60 + rng.below(8 * 60)) + u":00+09:00"_s)
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

} // namespace tickora::market
