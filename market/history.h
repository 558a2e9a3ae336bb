#pragma once

#include "exchange/tradingcalendar.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace tickora::market {

/// Small deterministic random source (splitmix64): the same seed gives the same sequence on
/// every platform and standard library, which keeps a seeded market reproducible.
class Rng
{
public:
    explicit Rng(std::uint64_t seed = 0) : m_state(seed) {}
    std::uint64_t next();
    double uniform(); ///< in [0, 1)
    double normal();  ///< standard normal
    int below(int n); ///< in [0, n)
    bool chance(double p) { return uniform() < p; }

private:
    std::uint64_t m_state;
};

/// Mixes a seed with a key (a code, an instrument name) into an independent seed.
std::uint64_t mixSeed(std::uint64_t seed, QStringView key);

/// Tick size of the Tokyo exchange for a price (1 yen up to 3,000, 5 up to 5,000, 10 up to 30,000 ...).
double tickSize(double price);
/// The price rounded to the nearest valid tick.
double roundToTick(double price);
/// Width of the daily price limit for a previous close (80 yen below 500, 150 below 1,000 ...).
double priceLimitWidth(double prevClose);

/// Trading minutes of one session day: 9:00 to 11:30 and 12:30 to 15:30, one step a minute.
constexpr int MorningSteps = 151;
constexpr int SessionSteps = MorningSteps + 181;
/// Minute of the day (minutes after midnight) of a session step 0 .. SessionSteps - 1.
int sessionMinute(int step);
/// First step at or after a minute of the day (9:00 for anything earlier, the last step for later).
int sessionStepAt(int minuteOfDay);

/// One day of an instrument.
struct Bar
{
    QDate date;
    double open = 0;
    double high = 0;
    double low = 0;
    double close = 0;
    qint64 volume = 0;
};

/// One minute of the current day: price and the day's volume so far.
struct Tick
{
    int minute = 0;
    double price = 0;
    qint64 volume = 0;
};

/// How an instrument moves.
struct InstrumentParams
{
    double startPrice = 1000; ///< price level about a year and a half back
    double dailySigma = 0.02; ///< standard deviation of a day's return
    double dailyDrift = 0;    ///< mean of a day's return
    double avgVolume = 0;     ///< mean volume of a day (0: no volume)
    qint64 volumeUnit = 100;  ///< volumes are whole multiples of this
    bool tseTicks = true;     ///< prices on the exchange's ticks, otherwise on hundredths
    bool priceLimits = true;  ///< daily limits apply (and some days run to the limit)
    int historyDays = 400;    ///< completed days before the first simulated day
};

/// Parameters of a listed stock, drawn from the seed and the code: price level, volatility and volume.
InstrumentParams stockParams(std::uint64_t seed, const QString& code);

/// A seeded random walk with a daily history and a minute-by-minute current day, on the
/// exchange's trading days. Each step() moves it one trading minute; after 15:30 the day is
/// closed into the history and the next trading day opens. Open, high, low and volume of the current day
/// always agree with its ticks. Not thread-safe: the owner serialises access.
class Instrument
{
public:
    Instrument(std::uint64_t seed, const InstrumentParams& params, QDate firstDay, int startStep = 0);

    void step();

    const QList<Bar>& history() const { return m_history; }
    const QList<Tick>& ticks() const { return m_ticks; }
    /// The history followed by the current day so far.
    QList<Bar> barsWithToday() const;
    Bar todayBar() const;

    QDate date() const { return m_date; }
    int minute() const { return m_ticks.last().minute; }
    double price() const { return m_ticks.last().price; }
    double prevClose() const { return m_history.isEmpty() ? m_ticks.first().price : m_history.last().close; }
    double open() const { return m_ticks.first().price; }
    double high() const { return m_high; }
    double low() const { return m_low; }
    int highMinute() const { return m_highMinute; }
    int lowMinute() const { return m_lowMinute; }
    qint64 volume() const { return m_ticks.last().volume; }
    double limitUp() const;
    double limitDown() const;
    /// Whether the day's high reached the upper limit (the page then shows the limit-up form).
    bool limitUpReached() const { return m_params.priceLimits && m_high >= limitUp(); }
    bool limitDownReached() const { return m_params.priceLimits && m_low <= limitDown(); }
    const InstrumentParams& params() const { return m_params; }

private:
    double quantise(double price) const;
    double clampToLimits(double price) const;
    qint64 minuteVolume(int step);
    void openDay();
    void closeDay();

    InstrumentParams m_params;
    Rng m_rng;
    QList<Bar> m_history;
    QList<Tick> m_ticks;
    QDate m_date;
    int m_step = 0;
    double m_latent = 0;    ///< continuous price behind the quantised ticks
    double m_dayVolume = 0; ///< target volume of the current day
    int m_limitBias = 0;    ///< +1 / -1 on a day that runs to the limit
    double m_high = 0;
    double m_low = 0;
    int m_highMinute = 0;
    int m_lowMinute = 0;
};

} // namespace tickora::market
