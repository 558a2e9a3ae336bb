#include "chartseries.h"

#include "platform/datafolder.h"
#include "platform/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tickora {

using namespace Qt::StringLiterals;

QString yearSeriesFile(const Config& config, const QString& symbol, QDate day)
{
    QString safe = symbol;
    for (QChar& c : safe)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-')
            c = u'_';
    return config.dataFile(DataFolder::seriesCache() + u'/' + safe + u"-1y-"_s + day.toString(u"yyyyMMdd"_s) +
                           u".json"_s);
}

void ChartSeries::fetch(const QString& symbol, ChartRange range, ChartInterval interval, Done done)
{
    const QString pathAndQuery = chartRequestPath(symbol, range, interval);
    const qsizetype q = pathAndQuery.indexOf(u'?');
    const QUrl url = serviceUrl(m_services.config.seriesBase, pathAndQuery.left(q), pathAndQuery.mid(q + 1));
    if (!m_services.http || m_host.backoff().holds(url, m_host.now()))
        return done(std::nullopt);
    HttpRequest request{url, {}, DefaultChartJsonLimit};
    m_services.http->get(request, m_context, [this, url, done = std::move(done)](const HttpResponse& r) {
        const bool holdStarted =
            isOverloadStatus(r.status) &&
            m_host.backoff().noteAnswer(url, r.status, r.header("Retry-After"), m_host.now());
        m_host.seriesAnswered(r.status, holdStarted);
        if (isOverloadStatus(r.status)) {
            if (holdStarted)
                m_host.serviceHeld(m_host.backoff().until(url));
            return done(std::nullopt);
        }
        if (!r.isSuccess())
            return done(std::nullopt);
        done(readChartJson(r.body, DefaultChartJsonLimit));
    });
}

void ChartSeries::year(const QString& symbol, Done done)
{
    const QDate day = today();
    if (day != m_yearSeriesDay) { // the series of an earlier day are not drawn again
        m_yearSeries.clear();
        m_yearSeriesDay = day;
    }
    const QString file = yearSeriesFile(m_services.config, symbol, day);
    if (const auto kept = m_yearSeries.constFind(file); kept != m_yearSeries.cend())
        return done(*kept);
    QFile stored(file);
    if (stored.open(QIODevice::ReadOnly)) {
        if (auto series = readChartJson(stored.read(DefaultChartJsonLimit + 1))) {
            m_yearSeries.insert(file, *series);
            return done(series);
        }
    }
    fetch(symbol, ChartRange::OneYear, ChartInterval::OneDay,
          [this, file, symbol, done = std::move(done)](const std::optional<PriceSeries>& series) {
              if (series && file == yearSeriesFile(m_services.config, symbol, today()))
                  keep(file, *series);
              done(series);
          });
}

void ChartSeries::keep(const QString& file, const PriceSeries& series)
{
    const QDir dir = QFileInfo(file).dir();
    dir.mkpath(u"."_s);
    const QString prefix = QFileInfo(file).fileName().chopped(14); // "-yyyyMMdd.json"
    for (const QString& old : dir.entryList({prefix + u"-*.json"_s}, QDir::Files))
        if (dir.filePath(old) != file)
            QFile::remove(dir.filePath(old));
    replaceFileUnsynced(file, chartJsonFromSeries(series));
    m_yearSeries.insert(file, series);
}

} // namespace tickora
