#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tickora {

/// Which markup the quote service serves: today's pages with their data as an embedded state
/// (/quote/<code>.T), or the stock-detail pages of 2012 (/stocks/detail/?code=).
enum class QuotePages
{
    Today,
    Pages2012
};

/// Where the charts come from: drawn by the program from price series fetched from the series
/// service (`Config::seriesBase`), or downloaded as ready-made images from the chart image services.
enum class ChartSource
{
    Drawn,
    Images
};

/// The shortest tick honoured when a service address is not on this machine: a shorter one would
/// hammer a public service.
constexpr int MinPublicTickMs = 5000;

/// Where the program keeps its files and which hosts its web services live on. Values come from
/// the environment (TICKORA_DATA_DIR, TICKORA_MARKET_URL, TICKORA_*_URL, TICKORA_QUOTE_PAGES,
/// TICKORA_CHARTS, TICKORA_USER_AGENT);
/// there is no settings file.
struct Config
{
    QString dataDir;                           ///< absolute path, without trailing separator
    QuotePages quotePages = QuotePages::Today; ///< TICKORA_QUOTE_PAGES: "today" or "2012"
    QUrl quoteBase;                            ///< quote pages: /quote/ (today) or /stocks/detail/ (2012)
    QUrl chartBase;                            ///< stock chart images: /b /z /f /t
    QUrl nikkeiBase;                           ///< Nikkei index page: /nkave
    QUrl nikkeiChartBase;                      ///< Nikkei chart images
    QUrl marketDataBase;                       ///< advance/decline ratio image
    QUrl brokerBase;                           ///< New York Dow chart page
    QUrl fxBase;                               ///< dollar-yen chart image
    ChartSource charts = ChartSource::Drawn;   ///< TICKORA_CHARTS: "drawn" or "images"
    QUrl seriesBase;                           ///< price series: /v8/finance/chart/<symbol>
    int tickIntervalMs = 30000;                ///< TICKORA_TICK_MS, meant for tests only
    /// TICKORA_USER_AGENT: the User-Agent every request sends instead of the program's own name
    /// (for a network or service that needs another); empty: the program's own.
    QByteArray userAgent;
    /// A setting that makes the program refuse to start, in Japanese; empty when there is none.
    QString error;
    /// Settings that were not taken as given, said once at start, in Japanese.
    QStringList notices;

    /// Path of a file in the data folder, e.g. dataFile(u"dat.txt").
    QString dataFile(const QString& name) const;

    static Config fromEnvironment(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

    /// Every service address the program may ask.
    QList<QUrl> serviceBases() const;
};

/// True for an address whose host is this machine: "localhost", 127.0.0.0/8 or ::1.
bool isLoopbackUrl(const QUrl& url);

/// Joins a service base (scheme, host, port, maybe a path prefix) with a path and an optional
/// query given exactly as the service expects it. The query is kept as written (a trailing
/// double quote included).
QUrl serviceUrl(const QUrl& base, const QString& path, const QString& query = {});

} // namespace tickora
