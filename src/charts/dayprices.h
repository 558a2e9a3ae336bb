#pragma once

#include "charts/priceseries.h"

#include <QDate>
#include <QHash>
#include <QString>

#include <optional>

namespace tickora {

/// Seconds the Tokyo exchange's local time is ahead of UTC.
inline constexpr int TokyoGmtOffset = 9 * 3600;

/// The most samples kept per symbol and day; the oldest go first. A day of 30-second ticks is
/// about 700.
inline constexpr qsizetype MaxDaySamples = 4000;

/// The current day's prices of each symbol as the program saw them: the samples the quote pass
/// wrote (one bar each) and at most one intraday series fetched to fill in the day before the
/// first sample. Everything of an earlier day is dropped when a later day's price comes in.
class DayPrices
{
public:
    /// Notes `price` at `time` (unix seconds) of `day`; a previous close that is finite and
    /// greater than 0 replaces the one known.
    void addSample(const QString& symbol, QDate day, qint64 time, double price,
                   double previousClose = qQNaN());
    /// Takes an intraday series of `day` to fill in the day.
    void addSeries(const QString& symbol, QDate day, const PriceSeries& series);
    /// Whether the day's series of `symbol` was asked for already (whatever the answer).
    bool toppedUp(const QString& symbol, QDate day) const;
    /// Notes that the day's series was asked for, or (`asked` false) that it must be asked again.
    void setToppedUp(const QString& symbol, QDate day, bool asked = true);
    /// The day so far: the series' bars, then the samples after its last bar, in time order; the
    /// previous close from the samples, else from the series. No bars when nothing is known.
    PriceSeries series(const QString& symbol, QDate day) const;
    /// Symbols held.
    qsizetype size() const { return m_days.size(); }

private:
    struct Day
    {
        QDate date;
        bool toppedUp = false;
        std::optional<PriceSeries> fetched;
        QList<PriceBar> samples;
        double previousClose = qQNaN();
    };
    /// The entry of `symbol` for `day`, made anew when it held an earlier day.
    Day& dayOf(const QString& symbol, QDate day);

    QHash<QString, Day> m_days;
    QDate m_latest;
};

/// A price as a quote cell or the Nikkei line writes it ("2,648", "23,381.56"); nothing for "---",
/// an empty cell, or anything that is not a finite number greater than 0.
std::optional<double> priceFromText(const QString& text);

/// The Tokyo trade time of a quote's time cell ("9:05", "14:59") on `day` as unix seconds; nothing
/// for any other text (the previous close's date "12/04" before the first trade).
std::optional<qint64> tradeTimeOf(const QString& timeCell, QDate day);

/// The value and the change of the Nikkei average line: "日経平均 23,381.56 (-71.98) ..." with the
/// change in brackets, or "日経平均 22,155.52 (9:02) +130.44" with the time in brackets and the
/// change after them. The change is NaN when the line has none.
struct IndexLineValue
{
    double value = 0;
    double change = qQNaN();
};
std::optional<IndexLineValue> indexLineValue(const QString& line);

} // namespace tickora
