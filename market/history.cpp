#include "history.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tickora::market {

std::uint64_t Rng::next()
{
    std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

double Rng::uniform()
{
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::normal()
{
    // Box-Muller; one value per call keeps the sequence simple to reason about.
    double u1 = uniform();
    while (u1 <= 0)
        u1 = uniform();
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
}

int Rng::below(int n)
{
    return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n));
}

std::uint64_t mixSeed(std::uint64_t seed, QStringView key)
{
    std::uint64_t h = 1469598103934665603ULL ^ seed;
    for (QChar c : key) {
        h ^= c.unicode();
        h *= 1099511628211ULL;
    }
    Rng r(h);
    return r.next();
}

double tickSize(double price)
{
    static constexpr struct
    {
        double upTo;
        double tick;
    } table[] = {{3000, 1},     {5000, 5},       {30000, 10},     {50000, 50},       {300000, 100},
                 {500000, 500}, {3000000, 1000}, {5000000, 5000}, {30000000, 10000}, {50000000, 50000}};
    for (const auto& row : table)
        if (price <= row.upTo)
            return row.tick;
    return 100000;
}

double roundToTick(double price)
{
    if (price < 1)
        return 1;
    const double tick = tickSize(price);
    double rounded = std::round(price / tick) * tick;
    // Rounding up can cross into a coarser band; such a price must sit on that band's ticks too.
    const double coarser = tickSize(rounded);
    if (coarser != tick)
        rounded = std::round(rounded / coarser) * coarser;
    return rounded;
}

double priceLimitWidth(double prevClose)
{
    static constexpr struct
    {
        double below;
        double width;
    } table[] = {{100, 30},       {200, 50},        {500, 80},        {700, 100},      {1000, 150},
                 {1500, 300},     {2000, 400},      {3000, 500},      {5000, 700},     {7000, 1000},
                 {10000, 1500},   {15000, 3000},    {20000, 4000},    {30000, 5000},   {50000, 7000},
                 {70000, 10000},  {100000, 15000},  {150000, 30000},  {200000, 40000}, {300000, 50000},
                 {500000, 70000}, {700000, 100000}, {1000000, 150000}};
    for (const auto& row : table)
        if (prevClose < row.below)
            return row.width;
    return 300000;
}

int sessionMinute(int step)
{
    step = std::clamp(step, 0, SessionSteps - 1);
    if (step < MorningSteps)
        return 9 * 60 + step;
    return 12 * 60 + 30 + (step - MorningSteps);
}

int sessionStepAt(int minuteOfDay)
{
    for (int s = 0; s < SessionSteps; ++s)
        if (sessionMinute(s) >= minuteOfDay)
            return s;
    return SessionSteps - 1;
}

InstrumentParams stockParams(std::uint64_t seed, const QString& code)
{
    // Price levels of some well-known stocks, so that they look familiar.
    static const struct
    {
        const char16_t* code;
        double level;
    } known[] = {{u"7203", 7000},  {u"9984", 6000},  {u"6758", 8000}, {u"9983", 70000}, {u"6861", 45000},
                 {u"7974", 50000}, {u"8306", 420},   {u"9432", 2500}, {u"4063", 13000}, {u"6098", 4000},
                 {u"8058", 2800},  {u"6501", 3600},  {u"7267", 2800}, {u"9433", 3100},  {u"4502", 3800},
                 {u"8035", 30000}, {u"6954", 22000}, {u"2914", 2100}, {u"8411", 1300},  {u"8316", 3000}};
    Rng r(mixSeed(seed, code));
    InstrumentParams p;
    p.startPrice = roundToTick(std::clamp(std::exp(std::log(1500.0) + 0.9 * r.normal()), 60.0, 90000.0));
    for (const auto& k : known)
        if (QStringView(k.code) == code)
            p.startPrice = roundToTick(k.level * std::exp(0.05 * r.normal()));
    p.dailySigma = 0.012 + 0.02 * r.uniform();
    p.dailyDrift = 0.0003 * r.normal();
    const double turnover = std::exp(std::log(3e8) + 1.2 * r.normal()); // yen a day
    p.avgVolume = std::max(2000.0, turnover / p.startPrice);
    p.volumeUnit = 100;
    return p;
}

Instrument::Instrument(std::uint64_t seed, const InstrumentParams& params, QDate firstDay, int startStep)
    : m_params(params), m_rng(seed), m_date(firstDay)
{
    // The history ends on the trading day before the first simulated day.
    QList<QDate> dates;
    QDate d = firstDay;
    for (int i = 0; i < m_params.historyDays; ++i)
        dates.prepend(d = previousTradingDay(d));

    const double sigma = m_params.dailySigma;
    const double anchor = std::log(m_params.startPrice);
    double close = quantise(m_params.startPrice);
    for (const QDate& date : std::as_const(dates)) {
        const double prev = close;
        double r = m_params.dailyDrift + sigma * m_rng.normal() - 0.004 * (std::log(prev) - anchor);
        const bool limitDay = m_params.priceLimits && m_rng.chance(0.003);
        if (limitDay)
            r = (m_rng.chance(0.5) ? 1 : -1) * 2.0 * priceLimitWidth(prev) / prev;
        Bar bar;
        bar.date = date;
        const double lo = m_params.priceLimits ? prev - priceLimitWidth(prev) : 0;
        const double hi =
            m_params.priceLimits ? prev + priceLimitWidth(prev) : std::numeric_limits<double>::max();
        auto bound = [&](double v) { return quantise(std::clamp(v, std::max(lo, 0.01), hi)); };
        bar.open = bound(prev * std::exp(0.3 * sigma * m_rng.normal()));
        bar.close = bound(prev * std::exp(r));
        bar.high = bound(std::max(bar.open, bar.close) * std::exp(std::abs(0.5 * sigma * m_rng.normal())));
        bar.low = bound(std::min(bar.open, bar.close) * std::exp(-std::abs(0.5 * sigma * m_rng.normal())));
        bar.high = std::max({bar.high, bar.open, bar.close});
        bar.low = std::min({bar.low, bar.open, bar.close});
        if (m_params.avgVolume > 0) {
            const double v = m_params.avgVolume * std::exp(0.45 * m_rng.normal() - 0.1) *
                             (1.0 + 0.5 * std::min(3.0, std::abs(r) / sigma));
            bar.volume = std::max<qint64>(1, std::llround(v / m_params.volumeUnit)) * m_params.volumeUnit;
        }
        m_history.append(bar);
        close = bar.close;
    }
    openDay();
    for (int s = 0; s < std::clamp(startStep, 0, SessionSteps - 1); ++s)
        step();
}

double Instrument::quantise(double price) const
{
    if (m_params.tseTicks)
        return roundToTick(price);
    return std::max(0.01, std::round(price * 100.0) / 100.0);
}

double Instrument::limitUp() const
{
    const double pc = prevClose();
    const double up = pc + priceLimitWidth(pc);
    return std::floor(up / tickSize(up)) * tickSize(up);
}

double Instrument::limitDown() const
{
    const double pc = prevClose();
    const double down = std::max(1.0, pc - priceLimitWidth(pc));
    return std::ceil(down / tickSize(down)) * tickSize(down);
}

double Instrument::clampToLimits(double price) const
{
    if (!m_params.priceLimits)
        return price;
    return std::clamp(price, limitDown(), limitUp());
}

qint64 Instrument::minuteVolume(int step)
{
    if (m_params.avgVolume <= 0)
        return 0;
    // Busy at the opening of each session and towards the close, quiet around midday.
    const double w = 1.0 + 2.5 * std::exp(-step / 15.0) + 2.0 * std::exp(-(SessionSteps - 1 - step) / 12.0) +
                     (step == MorningSteps ? 4.0 : 0.0);
    const double v = m_dayVolume * 0.96 * w / 370.0 * std::exp(0.5 * m_rng.normal() - 0.125);
    return std::llround(v / m_params.volumeUnit) * m_params.volumeUnit;
}

void Instrument::openDay()
{
    m_step = 0;
    const double pc = prevClose();
    const double sigma = m_params.dailySigma;
    m_limitBias = 0;
    if (m_params.priceLimits && m_rng.chance(0.03))
        m_limitBias = m_rng.chance(0.5) ? 1 : -1;
    const double limitRatio = m_params.priceLimits ? priceLimitWidth(pc) / pc : 0;
    m_latent = pc * std::exp(0.35 * sigma * m_rng.normal() + m_limitBias * 0.3 * limitRatio);
    m_latent = clampToLimits(m_latent);
    m_dayVolume = m_params.avgVolume * std::exp(0.45 * m_rng.normal() - 0.1) * (m_limitBias ? 2.5 : 1.0);
    const double openPrice = clampToLimits(quantise(m_latent));
    qint64 openingVolume = 0;
    if (m_params.avgVolume > 0)
        openingVolume =
            std::max<qint64>(1, std::llround(m_dayVolume * 0.04 / m_params.volumeUnit)) * m_params.volumeUnit;
    m_ticks = {Tick{sessionMinute(0), openPrice, openingVolume}};
    m_high = m_low = openPrice;
    m_highMinute = m_lowMinute = sessionMinute(0);
}

void Instrument::closeDay()
{
    m_history.append(todayBar());
    constexpr qsizetype MaxHistory = 1500;
    if (m_history.size() > MaxHistory)
        m_history.remove(0, m_history.size() - MaxHistory);
}

void Instrument::step()
{
    if (m_step >= SessionSteps - 1) {
        closeDay();
        m_date = nextTradingDay(m_date);
        openDay();
        return;
    }
    ++m_step;
    const double pc = prevClose();
    const double sigmaStep = m_params.dailySigma / std::sqrt(double(SessionSteps));
    double drift = 0;
    if (m_limitBias)
        drift = m_limitBias * 1.3 * (priceLimitWidth(pc) / pc) / 80.0;
    m_latent *= std::exp(sigmaStep * m_rng.normal() + drift);
    m_latent = clampToLimits(m_latent);
    const double price = clampToLimits(quantise(m_latent));
    m_ticks.append(Tick{sessionMinute(m_step), price, m_ticks.last().volume + minuteVolume(m_step)});
    if (price > m_high) {
        m_high = price;
        m_highMinute = sessionMinute(m_step);
    }
    if (price < m_low) {
        m_low = price;
        m_lowMinute = sessionMinute(m_step);
    }
}

Bar Instrument::todayBar() const
{
    return Bar{m_date, open(), m_high, m_low, price(), volume()};
}

QList<Bar> Instrument::barsWithToday() const
{
    QList<Bar> bars = m_history;
    bars.append(todayBar());
    return bars;
}

} // namespace tickora::market
