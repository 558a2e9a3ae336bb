#include "markuppages.h"

#include "history.h"
#include "markupframe.h"
#include "textformats.h"
#include "timeforms.h"

#include <QDateTime>

#include <cmath>

using namespace Qt::StringLiterals;

namespace tickora::market {

using namespace markup;

namespace {

/// The head of a stock page and the line with its code, industry and the time of the quote.
QString quotePageTop(const QuoteView& q)
{
    const QString name = htmlEscape(q.shortName);
    const QString code = htmlEscape(q.code);
    QString s =
        u"<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n<title>【"_s + code +
        u"】"_s + name +
        u"株価：株価詳細 - Tickoraマーケット</title>\n<meta name=\"description\" content=\""_s + name +
        u"の株価、チャート、関連ニュース。Tickoraマーケット（模擬市場）の銘柄情報ページです。\">\n"_s +
        u"<link rel=\"canonical\" href=\"/stocks/detail/?code="_s + code + u"\">\n"_s + styleSheet() +
        u"</head>\n<body>\n<div id=\"wrapper\">\n"_s;
    s += headerAndNavigation();
    s += u"<div id=\"main\">\n<div class=\"stocksDtl clearFix\">\n<div class=\"forAddPortfolio\">\n"_s;
    s += u"<dl class=\"stocksInfo clearFix\"><dt>"_s + code +
         u"</dt><dd class=\"category yjSb\"><a href=\"/stocks/qi/?ids="_s + htmlEscape(q.industry) +
         u"\">"_s + htmlEscape(q.industry) + u"</a></dd><dd class=\"yjSb\">東証1部</dd>"_s +
         u"<dd class=\"yjSb real\"><span>"_s + formatMinute(shownMinute(q)) + u"</span>"_s +
         (q.realTime ? u"リアルタイム株価"_s : u"20分ディレイ株価"_s) + u"</dd></dl>\n"_s;
    return s;
}

/// Name, price and change, and on a limit day the limit-up or limit-down form.
QString priceTable(const QuoteView& q)
{
    const double change = q.price - q.prevClose;
    QString s = u"<table class=\"stocksTable\" summary=\"株価詳細\">\n<tr>\n<th class=\"symbol\"><h1>"_s +
                htmlEscape(q.companyName) + u"</h1></th>\n<td class=\"stoksPrice\">"_s +
                formatNumber(q.price) + u"</td>\n<td class=\"change\"><span class=\"yjSt\">前日比</span>"_s;
    if (change > 0)
        s += u"<span class=\"icoUpGreen yjMSt\">"_s;
    else if (change < 0)
        s += u"<span class=\"icoDownRed yjMSt\">"_s;
    else
        s += u"<span class=\"yjMSt\">"_s;
    s += formatChange(change) + u"（"_s + formatPercent(change, q.prevClose) + u"）</span></td>\n</tr>\n"_s;
    if (q.limitUpReached)
        s += u"<tr><td class=\"stopHigh\" colspan=\"3\"><span class=\"icoStop yjSt\">ストップ高</span>"_s
             u"<span class=\"yjMSt\">（<strong class=\"greenFin\">"_s +
             formatNumber(q.limitUp) + u"</strong>）</span></td></tr>\n"_s;
    if (q.limitDownReached)
        s += u"<tr><td class=\"stopLow\" colspan=\"3\"><span class=\"icoStop yjSt\">ストップ安</span>"_s
             u"<span class=\"yjMSt\">（<strong class=\"redFin\">"_s +
             formatNumber(q.limitDown) + u"</strong>）</span></td></tr>\n"_s;
    s += u"</table>\n</div>\n"_s;
    return s;
}

/// The small chart and the links to the larger charts.
QString chartLinks(const QuoteView& q)
{
    const QString name = htmlEscape(q.shortName);
    const QString code = htmlEscape(q.code);
    return u"<div class=\"chartFinance\"><img src=\"/f?s="_s + code +
           u".T\" width=\"288\" height=\"180\" alt=\""_s + name +
           u"のチャート\">\n<ul><li><a href=\"/b?s="_s + code +
           u".T&amp;t=1y&amp;q=c&amp;l=off&amp;z=m&amp;p=m65,m130,s&amp;a=v&amp;c=\">1年チャート</a></li>"_s
           u"<li><a href=\"/z?s="_s +
           code +
           u".T&amp;t=6m&amp;q=c&amp;l=off&amp;z=m&amp;p=m130,s&amp;a=v,r&amp;c=\">6ヶ月チャート</a></li>"_s
           u"<li><a href=\"/stocks/history/?code="_s +
           code +
           u"\">時系列データ</a></li>"_s
           u"<li><a href=\"/stocks/bbs/?code="_s +
           code + u"\">掲示板</a></li></ul></div>\n</div>\n"_s;
}

/// The day's values. The previous close stands before its label; the other values after theirs.
QString dayValues(const QuoteView& q)
{
    QString s = u"<div id=\"detail\" class=\"clearFix\">\n<div class=\"innerDate\">\n"_s;
    s +=
        u"<div class=\"lineFi clearfix\"><dl class=\"tseDtlDelay\"><dd class=\"ymuiEditLink mar0\"><strong>"_s +
        formatNumber(q.prevClose) + u"</strong><span class=\"date yjSt\">（"_s + monthDay(q.prevDate) +
        u"）</span></dd><dt class=\"title\">前日終値<a href=\"/help/glossary/#prev\" class=\"ymuiHint\">?</a></dt>"_s
        u"</dl></div>\n"_s;
    s += detailRow(u"始値"_s, u"open"_s, formatNumber(q.open), u"（09:00）"_s);
    const QString highValue =
        formatNumber(q.high) + (q.limitUpReached ? u"<span class=\"stopMark\">S</span>"_s : QString());
    const QString lowValue =
        formatNumber(q.low) + (q.limitDownReached ? u"<span class=\"stopMark\">S</span>"_s : QString());
    s += detailRow(u"高値"_s, u"high"_s, highValue, u"（"_s + clockText(q.highMinute) + u"）"_s);
    s += detailRow(u"安値"_s, u"low"_s, lowValue, u"（"_s + clockText(q.lowMinute) + u"）"_s);
    s += detailRow(u"出来高"_s, u"volume"_s, formatNumber(double(q.volume)), u"株"_s);
    s +=
        detailRow(u"売買代金"_s, u"turnover"_s, formatNumber(double(q.volume) * q.price / 1000.0), u"千円"_s);
    s += detailRow(u"値幅制限"_s, u"limit"_s, formatNumber(q.limitDown) + u"～"_s + formatNumber(q.limitUp),
                   u"（"_s + monthDay(q.date) + u"）"_s);
    s += u"</div>\n"_s;
    return s;
}

/// The random source of a stock page: fixed by the stock and the moment of the quote.
Rng quotePageRng(const QuoteView& q)
{
    return Rng(mixSeed(static_cast<std::uint64_t>(q.minute) * 7919 +
                           static_cast<std::uint64_t>(q.date.toJulianDay()),
                       q.code));
}

/// The first draws of a page's random source: the per-share figures.
ShareFigures drawShareFigures(const QuoteView& q, Rng& rng)
{
    ShareFigures f;
    f.eps = q.price / (8 + 20 * rng.uniform());
    f.bps = q.price / (0.6 + 2 * rng.uniform());
    f.dividend = std::round(f.eps * (0.2 + 0.2 * rng.uniform()));
    return f;
}

/// Reference figures, drawn from the page's own `rng` so that they stay put for one quote.
QString referenceFigures(const QuoteView& q, Rng& rng)
{
    const auto [eps, bps, dividend] = drawShareFigures(q, rng);
    QString s = u"<div class=\"innerDate refer\"><h2>参考指標</h2>\n"_s;
    s += detailRow(u"時価総額"_s, u"cap"_s, formatNumber(double(q.sharesOutstanding) * q.price / 1e6),
                   u"百万円"_s);
    s += detailRow(u"発行済株式数"_s, u"shares"_s, formatNumber(double(q.sharesOutstanding)), u"株"_s);
    s += detailRow(u"配当利回り（会社予想）"_s, u"yield"_s, QString::number(100 * dividend / q.price, 'f', 2),
                   u"%"_s);
    s += detailRow(u"1株配当（会社予想）"_s, u"dps"_s, QString::number(dividend, 'f', 2), QString());
    s += detailRow(u"PER（会社予想）"_s, u"per"_s, QString::number(q.price / eps, 'f', 2), u"倍"_s);
    s += detailRow(u"PBR（実績）"_s, u"pbr"_s, QString::number(q.price / bps, 'f', 2), u"倍"_s);
    s += detailRow(u"EPS（会社予想）"_s, u"eps"_s, QString::number(eps, 'f', 2), QString());
    s += detailRow(u"BPS（実績）"_s, u"bps"_s, QString::number(bps, 'f', 2), QString());
    s += detailRow(u"最低購入代金"_s, u"min"_s, formatNumber(q.price * double(q.unitShares)), QString());
    s += detailRow(u"単元株数"_s, u"unit"_s, formatNumber(double(q.unitShares)), u"株"_s);
    s += detailRow(u"年初来高値"_s, u"yhigh"_s, formatNumber(q.yearHigh),
                   u"（"_s + yearMonthDay(q.yearHighDate) + u"）"_s);
    s += detailRow(u"年初来安値"_s, u"ylow"_s, formatNumber(q.yearLow),
                   u"（"_s + yearMonthDay(q.yearLowDate) + u"）"_s);
    s += u"</div>\n</div>\n"_s;
    return s;
}

} // namespace

ShareFigures shareFigures(const QuoteView& q)
{
    Rng rng = quotePageRng(q);
    return drawShareFigures(q, rng);
}

QString markupQuotePage(const QuoteView& q)
{
    Rng rng = quotePageRng(q);
    QString s;
    s.reserve(48000);
    s += quotePageTop(q);
    s += priceTable(q);
    s += chartLinks(q);
    s += dayValues(q);
    s += referenceFigures(q, rng);
    s += newsList(rng, q.shortName, q.date);
    s += u"</div>\n"_s;
    s += sideColumn(rng, q.code);
    s += footer();
    s += u"</div>\n</body>\n</html>\n"_s;
    return s;
}

QString markupNotFoundPage(const QString& code)
{
    Rng rng(mixSeed(0, code));
    const QString shown = htmlEscape(code);
    QString s =
        u"<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n"
        u"<title>銘柄検索結果 - Tickoraマーケット</title>\n"_s +
        styleSheet() + u"</head>\n<body>\n<div id=\"wrapper\">\n"_s + headerAndNavigation() +
        u"<div id=\"main\">\n<div class=\"notFound\"><h2>該当する銘柄はありません</h2>\n"
        u"<p>「"_s +
        shown +
        u"」に該当する銘柄は見つかりませんでした。コードをお確かめのうえ、もう一度検索してください。</p>\n"
        u"<p>上場廃止や市場変更により、表示できない銘柄もあります。</p></div>\n</div>\n"_s +
        sideColumn(rng, QString()) + footer() + u"</div>\n</body>\n</html>\n"_s;
    return s;
}

namespace {

/// The index value with its change, and the day's open, high, low and previous close.
QString indexValueBlock(const IndexView& ix)
{
    const double change = ix.value - ix.prevClose;
    const QString up = change >= 0 ? u"up"_s : u"down"_s;
    QString s =
        u"<div id=\"main\">\n<div class=\"cmn-section\">\n<div class=\"cmn-index_value no-bg\">"
        u"<h2 class=\"cmn-index_value_title\">日経平均株価</h2><div class=\"cmn-index_value_now\"><b>"_s +
        formatNumber(ix.value, 2) +
        u"</b><span class=\"cmn-index_value_unit\">円</span></div>"
        u"<div class=\"cmn-index_value_change "_s +
        up + u"\">"_s + formatChange(change, 2) + u"（"_s + formatPercent(change, ix.prevClose) +
        u"）</div></div>\n"_s;
    s += u"<table class=\"cmn-index_detail\"><tr><th>始値</th><td>"_s + formatNumber(ix.open, 2) +
         u"</td><th>高値</th><td>"_s + formatNumber(ix.high, 2) + u"</td><th>安値</th><td>"_s +
         formatNumber(ix.low, 2) + u"</td></tr><tr><th>前営業日</th><td>"_s + formatNumber(ix.prevClose, 2) +
         u"</td><th>日付</th><td colspan=\"3\">"_s + ix.date.toString(u"yyyy/MM/dd"_s) +
         u"</td></tr></table>\n"_s;
    s +=
        u"<div class=\"chartFinance\"><img src=\"/gifdata/nk_chart_L.gif\" width=\"256\" height=\"200\" alt=\"日経平均 当日チャート\"></div>\n"_s;
    return s;
}

/// The list of indexes, each link followed by its bracketed change.
QString indexesList(const IndexView& ix)
{
    const struct
    {
        const char16_t* name;
        const char16_t* href;
        double change;
    } list[] = {{u"日経平均", u"/nkave", ix.value - ix.prevClose},
                {u"TOPIX", u"/topix", ix.topixChange},
                {u"NYダウ", u"/dow", ix.dowChange},
                {u"ドル/円", u"/usdjpy", ix.usdJpyChange}};
    QString s = u"<ul class=\"cmn-indexes\">\n"_s;
    for (const auto& item : list)
        s += u"<li class=\"cmn-indexes_index\"><a href=\""_s + QString::fromUtf16(item.href) +
             u"\" class=\"cmn-indexes_index_link\">"_s + QString::fromUtf16(item.name) + u"</a>("_s +
             formatChange(item.change, 2) + u")</li>\n"_s;
    s += u"</ul>\n"_s;
    return s;
}

/// The market commentary and the table of the largest contributors.
QString marketCommentary(bool rising)
{
    QString s =
        u"<div class=\"cmn-article\"><h3>相場概況</h3>\n<p>東京株式市場で日経平均株価は"_s +
        (rising ? u"上昇"_s : u"下落"_s) +
        u"した。TOPIXも同じ方向に動き、東証1部の売買代金は2兆円前後で推移している。為替は1ドル=105円台と"
        u"落ち着いた動きで、輸出関連株の売買は限られた。市場では「決算発表を控えて積極的な売買は手控えられて"
        u"いる」"
        u"との声が聞かれた。</p>\n<p>業種別では情報・通信、電気機器、精密機器が堅調な一方、銀行や海運、"
        u"鉱業が軟調だった。新興市場ではマザーズ指数が小動きとなった。</p>\n"
        u"<p>※この相場概況は模擬市場が自動で作成した文章で、実際の市場の動きとは関係ありません。</p></div>\n"_s;
    s += u"<table class=\"cmn-index_constituents\"><tr><th>寄与度上位</th><th>寄与度下位</th></tr>\n"_s;
    for (int i = 0; i < 10; ++i)
        s += u"<tr><td><a href=\"/stocks/detail/?code="_s + QString::fromUtf16(FamousStocks[i].code) +
             u"\">"_s + QString::fromUtf16(FamousStocks[i].name) +
             u"</a></td><td><a href=\"/stocks/detail/?code="_s +
             QString::fromUtf16(FamousStocks[9 - i].code) + u"\">"_s +
             QString::fromUtf16(FamousStocks[9 - i].name) + u"</a></td></tr>\n"_s;
    s += u"</table>\n"_s;
    return s;
}

} // namespace

QString markupNikkeiPage(const IndexView& ix)
{
    QString s;
    s.reserve(16000);
    s += u"<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n"
         u"<title>日経平均株価 - 指数・マーケット - Tickoraマーケット</title>\n"_s;
    s += styleSheet();
    s += u"</head>\n<body>\n<div id=\"wrapper\">\n"_s + headerAndNavigation();
    s += indexValueBlock(ix);
    s += indexesList(ix);
    s += marketCommentary(ix.value >= ix.prevClose);

    // The time of the value stands at a fixed character position: pad up to it.
    const QString openTag = u"<p class=\"cmn-update_time\">"_s;
    const qsizetype target = NikkeiFixedPosition - 1;
    const qsizetype pad = target - s.size() - openTag.size();
    Q_ASSERT(pad >= 0);
    for (qsizetype i = 0; i < pad; ++i)
        s += (i % 100 == 99) ? u'\n' : u' ';
    s += openTag + u"<b>"_s + formatMinute(ix.minute) + u"</b> 現在（"_s + ix.date.toString(u"M月d日"_s) +
         u"）</p>\n</div>\n</div>\n"_s;
    s += footer();
    s += u"</div>\n</body>\n</html>\n"_s;
    return s;
}

} // namespace tickora::market
