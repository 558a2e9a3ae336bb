#include "markupframe.h"

#include "textformats.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace tickora::market::markup {

QString yearMonthDay(QDate date)
{
    return date.isValid() ? date.toString(u"yyyy/MM/dd"_s) : u"----/--/--"_s;
}

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

} // namespace tickora::market::markup
