#pragma once

#include "codelist.h"
#include "history.h"
#include "quoteviews.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace tickora::market {

/// What a chart of one stock or index is drawn from.
struct ChartSeries
{
    QString code;      ///< e.g. 7203, or 998407 for the Nikkei average
    QString name;      ///< e.g. トヨタ自動車, 日経平均
    QList<Bar> bars;   ///< daily bars, oldest first, the current day last
    QList<Tick> ticks; ///< minutes of the current day
    double prevClose = 0;
    QDate date;       ///< current trading day
    int decimals = 0; ///< digits after the point in prices
};

/// One-minute bars of the dollar-yen rate with the time of each bar.
struct FxSeries
{
    QList<Bar> bars;
    QList<QDateTime> times;
};

/// The simulated market: one seeded random walk per listed code (created on first use), the
/// Nikkei average, the New York Dow and the dollar-yen rate. A quote or Nikkei page request moves
/// its walk one trading minute; chart requests only look. Thread-safe.
class Market
{
public:
    Market(QList<Listing> listings, std::uint64_t seed, QDate firstDay, int startStep = 0);

    /// The listing for a code as the page request gives it (exact text), if listed.
    std::optional<Listing> listing(const QString& code) const;
    /// The listing for a chart symbol such as 7203.T (leading zeros dropped by the caller are accepted).
    std::optional<Listing> listingForSymbol(const QString& symbol) const;
    qsizetype listingCount() const { return m_listings.size(); }

    /// Moves the stock one minute and describes it for its detail page; nothing for an unlisted code.
    /// With `recentDays` > 0 the view also holds that many of the last completed days.
    std::optional<QuoteView> nextQuote(const QString& code, int recentDays = 0);
    /// The stock as it stands, for its charts.
    std::optional<ChartSeries> stockSeries(const QString& symbol);

    /// Moves the Nikkei average one minute and describes it for the index page, with `recentDays`
    /// of its last completed days.
    IndexView nextNikkei(int recentDays = 0);
    ChartSeries nikkeiSeries();
    ChartSeries dowSeries();
    /// Adds one minute to the dollar-yen rate and returns the latest `count` bars.
    FxSeries nextUsdJpy(int count);
    /// The moment the market simulates: the latest trading minute any walk has reached, in Japan
    /// time (UTC+9).
    QDateTime moment() const;
    /// The 25-day advance/decline ratio, one value per Nikkei bar (NaN where not yet defined).
    QList<double> advanceDeclineRatio();

private:
    Instrument& stockLocked(const Listing& listing);
    ChartSeries seriesLocked(const Instrument& inst, const QString& code, const QString& name,
                             int decimals) const;
    void stepFxLocked();

    std::uint64_t m_seed;
    QDate m_firstDay;
    int m_startStep;
    QList<Listing> m_listings;
    QHash<QString, qsizetype> m_byCode;
    QHash<qint64, qsizetype> m_byNumber;

    mutable std::mutex m_mutex;
    std::map<QString, std::unique_ptr<Instrument>> m_stocks;
    QSet<QString> m_served; ///< stocks whose page was served at least once
    bool m_nikkeiServed = false;
    std::unique_ptr<Instrument> m_nikkei;
    std::unique_ptr<Instrument> m_dow;
    FxSeries m_fx;
    Rng m_fxRng;
};

} // namespace tickora::market
