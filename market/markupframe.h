#pragma once

// The frame of the site's markup pages (2012) around a quote: the style sheet, the navigation,
// the side column, the news, the footer and the rows of the detail tables.

#include "history.h"

#include <QDate>
#include <QString>

namespace tickora::market::markup {

/// Well-known stocks the side column and the Nikkei's page list.
struct FamousStock
{
    const char16_t* code;
    const char16_t* name;
};

inline constexpr FamousStock FamousStocks[] = {{u"7203", u"トヨタ自動車"},
                                               {u"9984", u"ソフトバンクグループ"},
                                               {u"6758", u"ソニーグループ"},
                                               {u"9432", u"日本電信電話"},
                                               {u"8306", u"三菱ＵＦＪフィナンシャル・グループ"},
                                               {u"6861", u"キーエンス"},
                                               {u"9983", u"ファーストリテイリング"},
                                               {u"4063", u"信越化学工業"},
                                               {u"7974", u"任天堂"},
                                               {u"6098", u"リクルートホールディングス"}};

/// "2025/12/04", or "----/--/--" for no date.
QString yearMonthDay(QDate date);

/// Style sheet of the site: long enough to give the page a realistic weight.
QString styleSheet();
/// The site's header and its navigation bar.
QString headerAndNavigation();
/// Side column: market summary and rankings, all drawn from `rng` so they change with the stock.
QString sideColumn(Rng& rng, const QString& ownCode);
/// The news list of a stock page, drawn from `rng`.
QString newsList(Rng& rng, const QString& name, QDate date);
QString footer();
/// One row of a detail table: the label with its glossary link, the value and an optional note.
QString detailRow(const QString& label, const QString& anchor, const QString& value, const QString& note);

} // namespace tickora::market::markup
