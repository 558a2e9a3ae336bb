#include "simulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

InstrumentParams nikkeiParams(std::uint64_t seed)
{
    Rng r(mixSeed(seed, u"N225"));
    InstrumentParams p;
    p.startPrice = 21000 + 4000 * r.uniform();
    p.dailySigma = 0.012;
    p.dailyDrift = 0.0002;
    p.avgVolume = 1.2e9;
    p.volumeUnit = 1000;
    p.tseTicks = false;
    p.priceLimits = false;
    return p;
}

InstrumentParams dowParams(std::uint64_t seed)
{
    Rng r(mixSeed(seed, u"DJI"));
    InstrumentParams p;
    p.startPrice = 25000 + 5000 * r.uniform();
    p.dailySigma = 0.013;
    p.dailyDrift = 0.0003;
    p.avgVolume = 3.5e8;
    p.volumeUnit = 1000;
    p.tseTicks = false;
    p.priceLimits = false;
    return p;
}

/// Industry by the range of the code, as the exchange's codes were handed out.
QString industryOf(const QString& code)
{
    const int n = code.left(2).toInt();
    static const struct
    {
        int upTo;
        const char16_t* name;
    } table[] = {{13, u"水産・農林業"},
                 {19, u"建設業"},
                 {29, u"食料品"},
                 {35, u"繊維製品"},
                 {39, u"パルプ・紙"},
                 {44, u"化学"},
                 {45, u"医薬品"},
                 {49, u"化学"},
                 {50, u"石油・石炭製品"},
                 {51, u"ゴム製品"},
                 {53, u"ガラス・土石製品"},
                 {54, u"鉄鋼"},
                 {57, u"非鉄金属"},
                 {59, u"金属製品"},
                 {64, u"機械"},
                 {69, u"電気機器"},
                 {72, u"輸送用機器"},
                 {77, u"精密機器"},
                 {79, u"その他製品"},
                 {82, u"卸売業"},
                 {83, u"銀行業"},
                 {86, u"証券、商品先物取引業"},
                 {87, u"保険業"},
                 {89, u"不動産業"},
                 {93, u"陸運業"},
                 {94, u"情報・通信業"},
                 {95, u"電気・ガス業"},
                 {97, u"サービス業"},
                 {99, u"小売業"}};
    for (const auto& row : table)
        if (n <= row.upTo)
            return QString::fromUtf16(row.name);
    return u"その他"_s;
}

QString symbolCode(QString symbol)
{
    const qsizetype dot = symbol.indexOf(u'.');
    if (dot >= 0)
        symbol.truncate(dot);
    return symbol.trimmed();
}

} // namespace

Market::Market(QList<Listing> listings, std::uint64_t seed, QDate firstDay, int startStep)
    : m_seed(seed), m_firstDay(firstDay), m_startStep(startStep), m_listings(std::move(listings)),
      m_fxRng(mixSeed(seed, u"USDJPY"))
{
    for (qsizetype i = 0; i < m_listings.size(); ++i) {
        m_byCode.insert(m_listings[i].code, i);
        bool ok = false;
        const qint64 n = m_listings[i].code.toLongLong(&ok);
        if (ok && !m_byNumber.contains(n))
            m_byNumber.insert(n, i);
    }
    m_nikkei =
        std::make_unique<Instrument>(mixSeed(seed, u"N225-walk"), nikkeiParams(seed), firstDay, startStep);
    m_dow = std::make_unique<Instrument>(mixSeed(seed, u"DJI-walk"), dowParams(seed),
                                         previousTradingDay(firstDay), SessionSteps - 1);
    // A few hours of minutes so the first dollar-yen chart is full.
    QDateTime t(firstDay, QTime(9, 0));
    double rate = 104 + 4 * m_fxRng.uniform();
    for (int i = 0; i < 500; ++i) {
        m_fx.times.append(t.addSecs(60 * (i - 499)));
        Bar b;
        b.date = m_fx.times.last().date();
        b.open = rate;
        b.high = b.low = rate;
        for (int k = 0; k < 4; ++k) {
            rate *= std::exp(0.00025 * m_fxRng.normal());
            b.high = std::max(b.high, rate);
            b.low = std::min(b.low, rate);
        }
        b.close = rate;
        m_fx.bars.append(b);
    }
}

std::optional<Listing> Market::listing(const QString& code) const
{
    const auto it = m_byCode.constFind(code);
    if (it == m_byCode.constEnd())
        return std::nullopt;
    return m_listings[*it];
}

std::optional<Listing> Market::listingForSymbol(const QString& symbol) const
{
    const QString code = symbolCode(symbol);
    if (auto l = listing(code))
        return l;
    bool ok = false;
    const qint64 n = code.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    const auto it = m_byNumber.constFind(n);
    if (it == m_byNumber.constEnd())
        return std::nullopt;
    return m_listings[*it];
}

Instrument& Market::stockLocked(const Listing& l)
{
    auto& slot = m_stocks[l.code];
    if (!slot)
        slot = std::make_unique<Instrument>(mixSeed(m_seed, QString(u"walk:"_s + l.code)),
                                            stockParams(m_seed, l.code), m_firstDay, m_startStep);
    return *slot;
}

namespace {

QList<Bar> lastDays(const QList<Bar>& history, int count)
{
    const qsizetype n = std::clamp<qsizetype>(count, 0, history.size());
    return history.mid(history.size() - n);
}

} // namespace

std::optional<QuoteView> Market::nextQuote(const QString& code, int recentDays)
{
    const auto l = listing(code);
    if (!l)
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    // The first quote of a stock shows the starting minute; each later one moves a minute on.
    const bool known = m_stocks.count(l->code) > 0 && m_served.contains(l->code);
    Instrument& s = stockLocked(*l);
    if (known)
        s.step();
    m_served.insert(l->code);

    QuoteView q;
    q.code = l->code;
    q.shortName = l->name;
    q.companyName = l->name + u"(株)"_s;
    q.industry = industryOf(l->code);
    q.price = s.price();
    q.prevClose = s.prevClose();
    q.open = s.open();
    q.high = s.high();
    q.low = s.low();
    q.volume = s.volume();
    q.minute = s.minute();
    q.highMinute = s.highMinute();
    q.lowMinute = s.lowMinute();
    q.realTime = mixSeed(m_seed, QString(u"delay:"_s + l->code)) % 100 >= 15;
    q.limitUp = s.limitUp();
    q.limitDown = s.limitDown();
    q.limitUpReached = s.limitUpReached();
    q.limitDownReached = s.limitDownReached();
    q.date = s.date();
    q.prevDate = s.history().isEmpty() ? s.date() : s.history().last().date;
    q.yearHigh = q.high;
    q.yearLow = q.low;
    q.yearHighDate = q.yearLowDate = q.date;
    for (const Bar& b : s.history()) {
        if (b.date.year() != q.date.year())
            continue;
        if (b.high > q.yearHigh) {
            q.yearHigh = b.high;
            q.yearHighDate = b.date;
        }
        if (b.low < q.yearLow) {
            q.yearLow = b.low;
            q.yearLowDate = b.date;
        }
    }
    q.sharesOutstanding =
        std::llround(s.params().avgVolume * (150 + mixSeed(m_seed, l->code) % 400) / 1000) * 1000;
    q.unitShares = 100;
    q.recentDays = lastDays(s.history(), recentDays);
    return q;
}

ChartSeries Market::seriesLocked(const Instrument& inst, const QString& code, const QString& name,
                                 int decimals) const
{
    ChartSeries c;
    c.code = code;
    c.name = name;
    c.bars = inst.barsWithToday();
    c.ticks = inst.ticks();
    c.prevClose = inst.prevClose();
    c.date = inst.date();
    c.decimals = decimals;
    return c;
}

std::optional<ChartSeries> Market::stockSeries(const QString& symbol)
{
    if (symbolCode(symbol) == u"998407"_s)
        return nikkeiSeries();
    const auto l = listingForSymbol(symbol);
    if (!l)
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    return seriesLocked(stockLocked(*l), l->code, l->name, 0);
}

IndexView Market::nextNikkei(int recentDays)
{
    std::lock_guard lock(m_mutex);
    if (m_nikkeiServed)
        m_nikkei->step();
    m_nikkeiServed = true;
    IndexView v;
    v.value = m_nikkei->price();
    v.prevClose = m_nikkei->prevClose();
    v.open = m_nikkei->open();
    v.high = m_nikkei->high();
    v.low = m_nikkei->low();
    v.minute = m_nikkei->minute();
    v.date = m_nikkei->date();
    const double ratio = v.value / v.prevClose;
    v.topix = v.value / 14.2;
    v.topixChange = v.topix - v.topix / ratio;
    const auto& dow = m_dow->history();
    v.dow = m_dow->price();
    v.dowChange = v.dow - m_dow->prevClose();
    (void)dow;
    v.usdJpy = m_fx.bars.last().close;
    v.usdJpyChange = v.usdJpy - m_fx.bars[m_fx.bars.size() - 2].close;
    v.recentDays = lastDays(m_nikkei->history(), recentDays);
    return v;
}

QDateTime Market::moment() const
{
    std::lock_guard lock(m_mutex);
    auto at = [](const Instrument& i) {
        return QDateTime(i.date(), QTime(i.minute() / 60, i.minute() % 60), QTimeZone(9 * 3600));
    };
    QDateTime latest = at(*m_nikkei);
    for (const auto& [code, stock] : m_stocks)
        latest = std::max(latest, at(*stock));
    return latest;
}

ChartSeries Market::nikkeiSeries()
{
    std::lock_guard lock(m_mutex);
    return seriesLocked(*m_nikkei, u"998407"_s, u"日経平均"_s, 2);
}

ChartSeries Market::dowSeries()
{
    std::lock_guard lock(m_mutex);
    return seriesLocked(*m_dow, u".DJI"_s, u"NYダウ"_s, 2);
}

void Market::stepFxLocked()
{
    Bar b;
    double rate = m_fx.bars.last().close;
    const QDateTime t = m_fx.times.last().addSecs(60);
    b.date = t.date();
    b.open = b.high = b.low = rate;
    for (int k = 0; k < 4; ++k) {
        rate *= std::exp(0.00025 * m_fxRng.normal());
        b.high = std::max(b.high, rate);
        b.low = std::min(b.low, rate);
    }
    b.close = rate;
    m_fx.bars.append(b);
    m_fx.times.append(t);
    if (m_fx.bars.size() > 2000) {
        m_fx.bars.remove(0, 1000);
        m_fx.times.remove(0, 1000);
    }
}

FxSeries Market::nextUsdJpy(int count)
{
    std::lock_guard lock(m_mutex);
    stepFxLocked();
    count = std::clamp<int>(count, 1, static_cast<int>(m_fx.bars.size()));
    FxSeries out;
    out.bars = m_fx.bars.mid(m_fx.bars.size() - count);
    out.times = m_fx.times.mid(m_fx.times.size() - count);
    return out;
}

QList<double> Market::advanceDeclineRatio()
{
    const ChartSeries n = nikkeiSeries();
    QList<double> adv, dec;
    for (qsizetype i = 0; i < n.bars.size(); ++i) {
        // Each day's breadth follows the index's move, with noise fixed by the day.
        Rng r(mixSeed(m_seed, QString(u"breadth:"_s + n.bars[i].date.toString(Qt::ISODate))));
        const double prev = i > 0 ? n.bars[i - 1].close : n.bars[i].open;
        const double ret = n.bars[i].close / prev - 1;
        const double a = std::clamp(1080 + 380 * std::tanh(ret / 0.012) + 180 * r.normal(), 40.0, 2120.0);
        const double unchanged = 60 + 40 * r.uniform();
        adv.append(a);
        dec.append(std::max(30.0, 2170 - a - unchanged));
    }
    QList<double> ratio(n.bars.size(), std::numeric_limits<double>::quiet_NaN());
    constexpr int Period = 25;
    double sa = 0, sd = 0;
    for (qsizetype i = 0; i < adv.size(); ++i) {
        sa += adv[i];
        sd += dec[i];
        if (i >= Period) {
            sa -= adv[i - Period];
            sd -= dec[i - Period];
        }
        if (i + 1 >= Period)
            ratio[i] = 100.0 * sa / sd;
    }
    return ratio;
}

} // namespace tickora::market
