#pragma once

#include "chartroutineshost.h"
#include "charts/seriesreader.h"
#include "platform/services.h"

#include <QDate>
#include <QHash>
#include <QObject>

#include <functional>
#include <optional>

namespace tickora {

/// The series file of `symbol` kept for `day` in the data folder: series/<symbol>-1y-<yyyymmdd>.json,
/// with every character but letters, digits, '.' and '-' of the symbol written as '_'.
QString yearSeriesFile(const Config& config, const QString& symbol, QDate day);

/// Price series from the series service for the drawn charts. A series that cannot be had
/// (failure, unreadable answer, a held service) comes as none. A 429 or 503 answer holds the
/// service: nothing is asked of it until the hold ends. A year of daily bars is kept in memory
/// and in the data folder for the day.
class ChartSeries
{
public:
    using Done = std::function<void(const std::optional<PriceSeries>&)>;
    /// `services` is read at each use, so it must outlive the series, as must `host`; `context`
    /// ends the waits for answers when it goes.
    ChartSeries(const Services& services, ChartRoutinesHost& host, QObject* context)
        : m_services(services), m_host(host), m_context(context)
    {
    }

    /// The trading day: the day of the samples and kept series.
    QDate today() const { return m_host.tradingMoment().date(); }
    /// Asks the series service; `done` gets the series, or nothing for any failure or hold.
    void fetch(const QString& symbol, ChartRange range, ChartInterval interval, Done done);
    /// A year of daily bars of `symbol`, kept in memory and in the data folder for the day.
    void year(const QString& symbol, Done done);

private:
    /// Keeps `series` in `file` for the day; the files of earlier days of the symbol go.
    void keep(const QString& file, const PriceSeries& series);

    const Services& m_services;
    ChartRoutinesHost& m_host;
    QObject* m_context;
    /// The year series read or fetched on m_yearSeriesDay, by file.
    QHash<QString, PriceSeries> m_yearSeries;
    QDate m_yearSeriesDay;
};

} // namespace tickora
