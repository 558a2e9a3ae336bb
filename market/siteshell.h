#pragma once

// The site's shell of today's pages (the state and the streamed forms alike): generated class
// names, the style sheet and script bundle, the price board's markup and the sections every page
// carries.

#include "history.h"

#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace tickora::market {

/// `n` in `digits` base-36 digits, as the site writes its generated names and ids.
QString base36(std::uint64_t n, int digits);
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

} // namespace tickora::market
