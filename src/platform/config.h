#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QUrl>

namespace tickora {

/// Where the program keeps its files and which hosts its web services live on. Values come from
/// the environment (TICKORA_DATA_DIR, TICKORA_MARKET_URL, TICKORA_*_URL); there is no settings file.
struct Config
{
    QString dataDir;            ///< absolute path, without trailing separator
    QUrl quoteBase;             ///< stock-detail pages: /stocks/detail/
    QUrl chartBase;             ///< stock chart images: /b /z /f /t
    QUrl nikkeiBase;            ///< Nikkei index page: /nkave
    QUrl nikkeiChartBase;       ///< Nikkei chart images
    QUrl marketDataBase;        ///< advance/decline ratio image
    QUrl brokerBase;            ///< New York Dow chart page
    QUrl fxBase;                ///< dollar-yen chart image
    int tickIntervalMs = 30000; ///< TICKORA_TICK_MS, meant for tests only

    /// Path of a file in the data folder, e.g. dataFile(u"dat.txt").
    QString dataFile(const QString& name) const;

    static Config fromEnvironment(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
};

/// Joins a service base (scheme, host, port, maybe a path prefix) with a path and an optional
/// query given exactly as the service expects it. The query is kept as written (a trailing
/// double quote included).
QUrl serviceUrl(const QUrl& base, const QString& path, const QString& query = {});

} // namespace tickora
