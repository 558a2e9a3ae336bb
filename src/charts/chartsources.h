#pragma once

#include "platform/config.h"

#include <QString>
#include <QUrl>
#include <QtGlobal>

#include <optional>

namespace tickora {

/// One chart image to fetch: the address on its service and the fixed file in the data folder
/// that receives it. Every download of the same kind overwrites the same file.
struct ChartDownload
{
    QUrl url;
    QString file;
    /// True when this file only ever receives this one address, so whatever it holds from an
    /// earlier download (even one of an earlier run) is a picture of the same chart.
    bool fileHoldsOneChart = false;
};

/// Stock charts of one code (in canonical form, see canonicalCode), on the stock chart service
/// (`Config::chartBase`). 1-year chart with volume: /b, the query ends at "c=".
ChartDownload yearChart(const Config& config, const QString& code);
/// 6-month chart with volume and RSI: /z, the query ends with "c=" and one double-quote character.
ChartDownload sixMonthChart(const Config& config, const QString& code);
/// Real-time thumbnail: /f (large) when the screen is more than 800 pixels high, else /t.
ChartDownload thumbnailChart(const Config& config, const QString& code, int screenPixelsY);

/// Market-wide charts.
ChartDownload nikkeiSixMonthChart(const Config& config); ///< Nikkei 6 months with RSI and W%R
ChartDownload nikkeiIndexChart(const Config& config);    ///< the index chart beside the grid
ChartDownload nyNikkeiChart(const Config& config);       ///< New York / Nikkei comparison
ChartDownload advanceDeclineChart(const Config& config); ///< Nikkei advance/decline ratio
ChartDownload dowChart(const Config& config);            ///< New York Dow, 755 × 400
ChartDownload dollarYenChart(const Config& config);      ///< dollar-yen, 360 × 360

/// The code of a grid row as a chart address needs it: its canonical form ("0072" gives "72",
/// "285a" gives "285A"). A cell that holds no code ("", "72.0", "-1", "28B5") gives none, and so
/// no chart for that row.
std::optional<QString> chartCodeFromText(const QString& text);

} // namespace tickora
