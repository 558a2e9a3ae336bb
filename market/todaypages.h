#pragma once

#include "pages.h"

#include <QJsonObject>
#include <QString>

namespace tickora::market {

/// Daily bars a quote page carries for its chart: about seven months, ending the day before the quote.
inline constexpr int QuoteStateHistoryDays = 145;

/// The change as the price board writes it: a rise without its sign ("30.5"), a fall with it
/// ("-21.5"), no change "0" (or "0.00" with decimals).
QString boardChange(double change, int decimals = 0);
/// The change in percent of `base`, two decimals, signed as boardChange(): "1.04", "-0.81", "0.00".
QString boardChangeRate(double change, double base);

/// A page state as compact JSON that can stand inside a script element: every "</" is written
/// "<\/" and every "<!--" "\u003c!--", so no text in the state can end the script or change how
/// the browser reads it. Both are plain JSON escapes; the state reads back unchanged.
QString scriptSafeJson(const QJsonObject& state);

/// A class name as the site's build generates them, e.g. "_BasePriceBoard__main_1arhg_9".
QString cls(QStringView component, QStringView element);
/// The site's whole page, several hundred kilobytes: head, style sheet, the body markup, then the
/// scripts that carry the page's data (`dataScripts`, whole elements), then the script bundle.
QString siteShell(const QString& title, const QString& bodyMarkup, const QString& dataScripts);
/// The markup of a price board: the heading, the price and the change, with the site's class names.
QString priceBoardMarkup(const QString& section, const QString& name, const QString& price,
                         const QString& change, const QString& rate, const QString& time);
/// A short news list, as every page carries.
QString newsMarkup();
/// Sections every page of the site carries: news, rankings and the footer links, from `rng`.
void addCommonSections(QJsonObject& state, Rng& rng, QDate date);

/// The quote page of a listed stock in the service's present shape: an HTML shell with generated
/// class names, several hundred kilobytes like the real pages, drawn in the browser from a JSON
/// state in one script element (`window.__PRELOADED_STATE__ = {...}`). The state holds the price
/// board (display texts), the day's detail, reference figures and the daily bars of
/// `quote.recentDays`. Before the day's first trade (no volume) the price shows "---".
QString todayQuotePage(const QuoteView& quote);
/// The same shell for a code the service does not list: no price board, a "notFound" page type.
QString todayNotFoundPage(const QString& code);
/// The Nikkei average's page in the same shell, its board under `mainDomesticIndexPriceBoard.indexPrices`
/// and the day's figures under `mainDomesticIndexDetail.indexPrices`.
QString todayIndexPage(const IndexView& index);

} // namespace tickora::market
