#include "pages.h"

#include "history.h"

#include <QDateTime>
#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

QString groupDigits(qint64 whole)
{
    QString digits = QString::number(whole);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

QString clockNote(int minuteOfDay)
{
    return u"%1:%2"_s.arg(minuteOfDay / 60, 2, 10, QChar(u'0')).arg(minuteOfDay % 60, 2, 10, QChar(u'0'));
}

QString monthDay(QDate date)
{
    return date.isValid() ? date.toString(u"MM/dd"_s) : u"--/--"_s;
}

QString yearMonthDay(QDate date)
{
    return date.isValid() ? date.toString(u"yyyy/MM/dd"_s) : u"----/--/--"_s;
}

/// Style sheet of the site: long enough to give the page a realistic weight.
QString styleSheet()
{
    static const QString css = uR"(<style type="text/css">
body{margin:0;padding:0;background:#fff;color:#333;font-family:"IPAPGothic","Hiragino Kaku Gothic ProN",Meiryo,sans-serif;font-size:13px;line-height:1.5}
a{color:#1d3994;text-decoration:none}a:hover{text-decoration:underline}
#wrapper{width:950px;margin:0 auto}#header{height:64px;border-bottom:2px solid #7d1f8f}
#header .logo{float:left;font-size:22px;font-weight:bold;color:#7d1f8f;padding:14px 0 0 6px}
#gnav{clear:both;background:#f5f0f7;border-bottom:1px solid #d9cde0;height:32px}
#gnav ul{margin:0;padding:0 0 0 4px;list-style:none}#gnav li{float:left;padding:6px 12px;border-right:1px solid #e6dcec}
#main{float:left;width:640px;padding:10px 0}#sub{float:right;width:290px;padding:10px 0}
.clearFix:after{content:"";display:block;clear:both}
.stocksDtl{border:1px solid #ccc;padding:8px 10px;margin-bottom:12px}
.stocksInfo dt{float:left;font-weight:bold;margin-right:8px}.stocksInfo dd{float:left;margin:0 8px 0 0;color:#666}
.stocksTable{width:100%;border-collapse:collapse;margin-top:6px}.stocksTable th{text-align:left;font-size:18px}
.stocksTable h1{font-size:20px;margin:0}.stoksPrice{font-size:26px;font-weight:bold;text-align:right;padding-right:12px}
.change{text-align:right;white-space:nowrap}.change .yjSt{color:#666;margin-right:6px}
.icoUpGreen{color:#090}.icoDownRed{color:#c00}.greenFin{color:#090}.redFin{color:#c00}
.stopHigh,.stopLow{font-weight:bold;padding:2px 6px}.stopMark{font-size:10px;color:#fff;background:#c60;margin-left:3px;padding:0 2px}
.chartFinance{margin:10px 0;text-align:center}.chartFinance img{border:1px solid #ddd}
.innerDate .lineFi{float:left;width:48%;margin:0 1% 4px;border-bottom:1px dotted #ccc}
.innerDate dl{margin:0;padding:4px 0}.innerDate dt{float:right;color:#666}.innerDate dd{margin:0}
.ymuiEditLink strong{font-size:15px}.date{color:#999;font-size:11px;margin-left:4px}
.ymuiHint{display:inline-block;width:14px;height:14px;border-radius:7px;background:#ddd;color:#555;text-align:center;font-size:10px;margin-left:3px}
.chartFinance ul{list-style:none;margin:4px 0;padding:0}.chartFinance li{display:inline;margin:0 6px}
.newsList{border-top:2px solid #7d1f8f;margin-top:14px}.newsList ul{list-style:none;margin:0;padding:0}
.newsList li{border-bottom:1px solid #eee;padding:5px 2px}.newsList .time{color:#999;font-size:11px;margin-right:8px}
.ranking{border:1px solid #ddd;margin-bottom:12px}.ranking h3{margin:0;padding:4px 8px;background:#f5f0f7;font-size:13px}
.ranking ol{margin:0;padding:4px 8px 4px 28px}.ranking li{padding:2px 0}.ranking .up{color:#090}.ranking .down{color:#c00}
.marketSummary table{width:100%;border-collapse:collapse}.marketSummary td{border-bottom:1px solid #eee;padding:3px 4px;text-align:right}
.marketSummary td.name{text-align:left}.notice{background:#fffbe6;border:1px solid #f0e0a0;padding:6px 8px;margin:8px 0;font-size:12px}
#footer{clear:both;border-top:1px solid #ccc;padding:12px 0;color:#666;font-size:11px;text-align:center}
#footer ul{list-style:none;margin:0 0 6px;padding:0}#footer li{display:inline;margin:0 6px}
</style>
)"_s;
    return css;
}

QString headerAndNavigation()
{
    static const QStringList nav = {u"トップ"_s,         u"マーケット"_s,     u"株式"_s,       u"投資信託"_s,
                                    u"為替・FX"_s,       u"ニュース"_s,       u"ランキング"_s, u"株主優待"_s,
                                    u"ポートフォリオ"_s, u"スクリーニング"_s, u"掲示板"_s,     u"ヘルプ"_s};
    QString s =
        u"<div id=\"header\"><div class=\"logo\"><a href=\"/\">Tickoraマーケット</a></div>\n"
        u"<form class=\"search\" action=\"/stocks/detail/\" method=\"get\"><input type=\"text\" "
        u"name=\"code\" "
        u"size=\"24\" placeholder=\"コードまたは銘柄名\"><input type=\"submit\" value=\"株価検索\"></form>\n"
        u"<p class=\"notice\">このサイトは Tickora を試すための模擬市場です。表示される株価・指数・チャートは"
        u"すべて乱数から作られたもので、実際の相場とは関係ありません。</p></div>\n<div id=\"gnav\"><ul>\n"_s;
    for (const QString& item : nav)
        s += u"<li><a href=\"/"_s + QString::number(mixSeed(0, item) % 9000 + 1000) + u"/\">"_s + item +
             u"</a></li>\n"_s;
    s += u"</ul></div>\n"_s;
    return s;
}

struct FamousStock
{
    const char16_t* code;
    const char16_t* name;
};

constexpr FamousStock FamousStocks[] = {{u"7203", u"トヨタ自動車"},
                                        {u"9984", u"ソフトバンクグループ"},
                                        {u"6758", u"ソニーグループ"},
                                        {u"9432", u"日本電信電話"},
                                        {u"8306", u"三菱ＵＦＪフィナンシャル・グループ"},
                                        {u"6861", u"キーエンス"},
                                        {u"9983", u"ファーストリテイリング"},
                                        {u"4063", u"信越化学工業"},
                                        {u"7974", u"任天堂"},
                                        {u"6098", u"リクルートホールディングス"}};

/// Side column: market summary and rankings, all drawn from `rng` so they change with the stock.
QString sideColumn(Rng& rng, const QString& ownCode)
{
    QString s = u"<div id=\"sub\">\n<div class=\"marketSummary ranking\"><h3>主要指数</h3><table>\n"_s;
    const struct
    {
        const char16_t* name;
        double level;
        int decimals;
    } indices[] = {{u"日経平均", 23000, 2},    {u"TOPIX", 1600, 2},   {u"JPX日経400", 14300, 2},
                   {u"マザーズ指数", 1050, 2}, {u"NYダウ", 28500, 2}, {u"ナスダック", 10800, 2},
                   {u"米ドル/円", 106, 2},     {u"ユーロ/円", 124, 2}};
    for (const auto& ix : indices) {
        const double v = ix.level * (1 + 0.01 * rng.normal());
        const double c = ix.level * 0.006 * rng.normal();
        s += u"<tr><td class=\"name\"><a href=\"/indices/"_s +
             QString::number(mixSeed(0, QStringView(ix.name)) % 900 + 100) + u"\">"_s +
             QString::fromUtf16(ix.name) + u"</a></td><td>"_s + formatNumber(v, ix.decimals) +
             u"</td><td class=\""_s + (c >= 0 ? u"up"_s : u"down"_s) + u"\">"_s +
             formatChange(c, ix.decimals) + u"</td></tr>\n"_s;
    }
    s += u"</table></div>\n"_s;
    const QString titles[] = {u"値上がり率ランキング"_s, u"値下がり率ランキング"_s, u"売買代金ランキング"_s,
                              u"アクセスランキング"_s};
    for (int t = 0; t < 4; ++t) {
        s += u"<div class=\"ranking\"><h3>"_s + titles[t] + u"</h3><ol>\n"_s;
        for (int i = 0; i < 10; ++i) {
            const FamousStock& f = FamousStocks[(i * 3 + t * 7) % 10];
            const QString code = QString::fromUtf16(f.code);
            const double pct = (t == 1 ? -1 : 1) * (12.0 - i * 0.9 + std::abs(rng.normal()));
            s += u"<li><a href=\"/stocks/detail/?code="_s + code + u"\">"_s + QString::fromUtf16(f.name) +
                 u"</a>（"_s + code + u"）"_s;
            if (t < 2)
                s += u" <span class=\""_s + (pct >= 0 ? u"up"_s : u"down"_s) + u"\">"_s +
                     (pct >= 0 ? u"+"_s : u""_s) + QString::number(pct, 'f', 2) + u"%</span>"_s;
            s += u"</li>\n"_s;
        }
        s += u"</ol></div>\n"_s;
    }
    s += u"<div class=\"ranking\"><h3>この銘柄を見た人はこんな銘柄も見ています</h3><ul>\n"_s;
    for (const FamousStock& f : FamousStocks) {
        if (QStringView(f.code) == ownCode)
            continue;
        s += u"<li><a href=\"/stocks/detail/?code="_s + QString::fromUtf16(f.code) + u"\">"_s +
             QString::fromUtf16(f.name) + u"</a></li>\n"_s;
    }
    s += u"</ul></div>\n</div>\n"_s;
    return s;
}

QString newsList(Rng& rng, const QString& name, QDate date)
{
    static const QStringList templates = {
        u"〈%1〉今期業績予想を上方修正、営業利益は%2％増の見通し"_s,
        u"%1、新たな中期経営計画を発表　海外売上比率の引き上げを目指す"_s,
        u"東証大引け　日経平均は反発、輸出関連株に買い"_s,
        u"%1が自己株式の取得を発表、発行済み株式の%2％"_s,
        u"前場の東証、主力株に利益確定売り　模様眺めの展開"_s,
        u"%1、第%2四半期決算は増収増益　主力事業が好調"_s,
        u"アナリストが%1の目標株価を引き上げ"_s,
        u"新興市場の動向　マザーズ指数は小幅に続落"_s,
        u"外国為替市場　円相場は1ドル=105円台で推移"_s,
        u"%1、新工場の建設を決定　投資額は約%200億円"_s,
        u"米国株式市場　ダウ平均は小幅高、ハイテク株が堅調"_s,
        u"%1の株主優待制度の変更について"_s,
    };
    QString s = u"<div class=\"newsList\"><h2>関連ニュース</h2><ul>\n"_s;
    QDateTime when(date, QTime(15, 30));
    for (int i = 0; i < 60; ++i) {
        when = when.addSecs(-60 * (17 + rng.below(400)));
        QString title = templates[rng.below(templates.size())];
        if (title.contains(u"%2"_s))
            title = title.arg(name).arg(1 + rng.below(30));
        else if (title.contains(u"%1"_s))
            title = title.arg(name);
        s += u"<li><span class=\"time\">"_s + when.toString(u"M/d HH:mm"_s) +
             u"</span><a href=\"/news/detail/"_s + QString::number(rng.next() % 90000000 + 10000000) +
             u"\">"_s + htmlEscape(title) + u"</a> <span class=\"source\">"_s +
             (rng.chance(0.5) ? u"Tickora通信"_s : u"模擬経済新聞"_s) + u"</span></li>\n"_s;
    }
    s += u"</ul><p class=\"more\"><a href=\"/news/\">ニュース一覧へ</a></p></div>\n"_s;
    return s;
}

QString footer()
{
    return u"<div id=\"footer\"><ul><li><a href=\"/help/\">ヘルプ</a></li><li><a "
           u"href=\"/terms/\">利用規約</a></li>"
           u"<li><a href=\"/privacy/\">プライバシー</a></li><li><a href=\"/disclaimer/\">免責事項</a></li>"
           u"<li><a href=\"/sitemap/\">サイトマップ</a></li></ul>\n"
           u"<p>掲載している情報は模擬データです。投資判断の参考にはなりません。"
           u"株価・指数は乱数による模擬値で、取引所・指数算出元とは関係ありません。</p>\n"
           u"<p>Copyright (C) Tickora Project. 模擬市場 tickora-market</p></div>\n"_s;
}

QString detailRow(const QString& label, const QString& anchor, const QString& value, const QString& note)
{
    return u"<div class=\"lineFi clearfix\"><dl class=\"tseDtl\"><dt class=\"title\">"_s + label +
           u"<a href=\"/help/glossary/#"_s + anchor +
           u"\" class=\"ymuiHint\">?</a></dt><dd class=\"ymuiEditLink mar0\">"_s + u"<strong>"_s + value +
           u"</strong>"_s +
           (note.isEmpty() ? QString() : u"<span class=\"date yjSt\">"_s + note + u"</span>"_s) +
           u"</dd></dl></div>\n"_s;
}

} // namespace

QString htmlEscape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += u"&amp;"_s;
            break;
        case '<':
            out += u"&lt;"_s;
            break;
        case '>':
            out += u"&gt;"_s;
            break;
        case '"':
            out += u"&quot;"_s;
            break;
        case '\'':
            out += u"&#39;"_s;
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString formatNumber(double value, int decimals)
{
    const bool negative = value < 0;
    double scale = std::pow(10.0, decimals);
    const qint64 scaled = std::llround(std::abs(value) * scale);
    const qint64 whole = scaled / static_cast<qint64>(scale);
    QString s = groupDigits(whole);
    if (decimals > 0) {
        QString frac = QString::number(scaled % static_cast<qint64>(scale));
        s += u'.' + frac.rightJustified(decimals, u'0');
    }
    return (negative && scaled != 0 ? u"-"_s : QString()) + s;
}

QString formatChange(double change, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    if (std::llround(std::abs(change) * scale) == 0)
        return decimals > 0 ? u"0."_s + QString(decimals, u'0') : u"0"_s;
    return (change > 0 ? u"+"_s : QString()) + formatNumber(change, decimals);
}

QString formatPercent(double change, double base)
{
    const double pct = base != 0 ? 100.0 * change / base : 0;
    if (std::llround(std::abs(pct) * 100) == 0)
        return u"0.00%"_s;
    return (pct > 0 ? u"+"_s : QString()) + QString::number(pct, 'f', 2) + u'%';
}

QString formatMinute(int minuteOfDay)
{
    return u"%1:%2"_s.arg(minuteOfDay / 60).arg(minuteOfDay % 60, 2, 10, QChar(u'0'));
}

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
    s += detailRow(u"高値"_s, u"high"_s, highValue, u"（"_s + clockNote(q.highMinute) + u"）"_s);
    s += detailRow(u"安値"_s, u"low"_s, lowValue, u"（"_s + clockNote(q.lowMinute) + u"）"_s);
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

int shownMinute(const QuoteView& q)
{
    if (q.realTime)
        return q.minute;
    // Twenty minutes back, but never into a stretch without trading: before the opening it is the
    // opening, in the lunch break the morning's last minute.
    constexpr int MorningClose = 11 * 60 + 30, AfternoonOpen = 12 * 60 + 30;
    const int back = std::max(9 * 60, q.minute - 20);
    return back > MorningClose && back < AfternoonOpen ? MorningClose : back;
}

ShareFigures shareFigures(const QuoteView& q)
{
    Rng rng = quotePageRng(q);
    return drawShareFigures(q, rng);
}

QString quotePage(const QuoteView& q)
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

QString notFoundPage(const QString& code)
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

QString nikkeiPage(const IndexView& ix)
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
