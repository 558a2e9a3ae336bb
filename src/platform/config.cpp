#include "config.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

QUrl pick(const QProcessEnvironment& env, const char* name, const QUrl& market, const char* fallback)
{
    const QString own = env.value(QString::fromLatin1(name));
    if (!own.isEmpty())
        return QUrl(own);
    if (market.isValid() && !market.isEmpty())
        return market;
    return QUrl(QString::fromLatin1(fallback));
}

QString defaultDataDir()
{
#ifdef Q_OS_WIN
    return u"c:/kabu"_s;
#else
    return QDir::home().filePath(u"kabu"_s);
#endif
}

} // namespace

QString Config::dataFile(const QString& name) const
{
    return QDir(dataDir).filePath(name);
}

Config Config::fromEnvironment(const QProcessEnvironment& env)
{
    Config c;
    const QString dir = env.value(u"TICKORA_DATA_DIR"_s);
    c.dataDir = QDir::cleanPath(QDir(dir.isEmpty() ? defaultDataDir() : dir).absolutePath());
    const QString marketText = env.value(u"TICKORA_MARKET_URL"_s);
    const QUrl market = marketText.isEmpty() ? QUrl() : QUrl(marketText);
    c.quoteBase = pick(env, "TICKORA_QUOTE_URL", market, "https://stocks.finance.yahoo.co.jp");
    c.chartBase = pick(env, "TICKORA_CHART_URL", market, "https://chart.yahoo.co.jp");
    c.nikkeiBase = pick(env, "TICKORA_NIKKEI_URL", market, "https://www.nikkei.com");
    c.nikkeiChartBase = pick(env, "TICKORA_NIKKEI_CHART_URL", market, "https://www.nikkei.co.jp");
    c.marketDataBase = pick(env, "TICKORA_MARKETDATA_URL", market, "https://www.opticast.co.jp");
    c.brokerBase = pick(env, "TICKORA_BROKER_URL", market, "https://www.trkd-asia.com");
    c.fxBase = pick(env, "TICKORA_FX_URL", market, "https://www.forexwatcher.com");
    bool ok = false;
    const int tick = env.value(u"TICKORA_TICK_MS"_s).toInt(&ok);
    if (ok && tick > 0)
        c.tickIntervalMs = tick;
    return c;
}

QUrl serviceUrl(const QUrl& base, const QString& path, const QString& query)
{
    QString text = base.toString(QUrl::FullyEncoded);
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    text += path;
    if (!query.isNull())
        text += QLatin1Char('?') + query;
    return QUrl(text, QUrl::TolerantMode);
}

} // namespace tickora
