#include "config.h"

#include <QDir>
#include <QHostAddress>

#include <algorithm>

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
    const QString pages = env.value(u"TICKORA_QUOTE_PAGES"_s);
    if (pages == u"2012")
        c.quotePages = QuotePages::Pages2012;
    else if (!pages.isEmpty() && pages != u"today")
        c.error = u"TICKORA_QUOTE_PAGES の値「%1」は使えません（today または 2012 を指定してください）"_s.arg(
            pages);
    const QString charts = env.value(u"TICKORA_CHARTS"_s);
    if (charts == u"images")
        c.charts = ChartSource::Images;
    else if (!charts.isEmpty() && charts != u"drawn" && c.error.isEmpty())
        c.error =
            u"TICKORA_CHARTS の値「%1」は使えません（drawn または images を指定してください）"_s.arg(charts);
    c.quoteBase = pick(env, "TICKORA_QUOTE_URL", market,
                       c.quotePages == QuotePages::Today ? "https://finance.yahoo.co.jp"
                                                         : "https://stocks.finance.yahoo.co.jp");
    c.chartBase = pick(env, "TICKORA_CHART_URL", market, "https://chart.yahoo.co.jp");
    c.nikkeiBase = pick(env, "TICKORA_NIKKEI_URL", market, "https://www.nikkei.com");
    c.nikkeiChartBase = pick(env, "TICKORA_NIKKEI_CHART_URL", market, "https://www.nikkei.co.jp");
    c.marketDataBase = pick(env, "TICKORA_MARKETDATA_URL", market, "https://www.opticast.co.jp");
    c.brokerBase = pick(env, "TICKORA_BROKER_URL", market, "https://www.trkd-asia.com");
    c.fxBase = pick(env, "TICKORA_FX_URL", market, "https://www.forexwatcher.com");
    c.seriesBase = pick(env, "TICKORA_SERIES_URL", market, "https://query1.finance.yahoo.com");
    const QString agent = env.value(u"TICKORA_USER_AGENT"_s).trimmed();
    // One header line of printable ASCII: a line break would smuggle further headers in.
    if (std::all_of(agent.begin(), agent.end(), [](QChar ch) { return ch >= u' ' && ch <= u'~'; }))
        c.userAgent = agent.toLatin1();
    else
        c.notices.append(u"TICKORA_USER_AGENT は英数字と記号の 1 行で指定してください。"
                         u"既定の User-Agent で接続します。"_s);
    const QString tickText = env.value(u"TICKORA_TICK_MS"_s);
    const int tick = tickText.toInt(); // 0 for anything but a number
    if (tick > 0)
        c.tickIntervalMs = tick;
    if (c.tickIntervalMs < MinPublicTickMs) {
        const QList<QUrl> bases = c.serviceBases();
        if (!std::all_of(bases.begin(), bases.end(), isLoopbackUrl)) {
            c.tickIntervalMs = 30000;
            c.notices.append(u"TICKORA_TICK_MS=%1 は使えません: %2 ミリ秒より短い間隔は、すべての接続先がこの"
                             u"コンピューター上のときだけ使えます。30000 ミリ秒で更新します。"_s.arg(tickText)
                                 .arg(MinPublicTickMs));
        }
    }
    return c;
}

QList<QUrl> Config::serviceBases() const
{
    return {quoteBase,      chartBase,  nikkeiBase, nikkeiChartBase,
            marketDataBase, brokerBase, fxBase,     seriesBase};
}

bool isLoopbackUrl(const QUrl& url)
{
    const QString host = url.host();
    if (host.compare(u"localhost"_s, Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
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
