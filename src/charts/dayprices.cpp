#include "dayprices.h"
#include "charts/seriesreader.h"
#include "exchange/numbertext.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

bool usable(double price)
{
    return std::isfinite(price) && price > 0;
}

} // namespace

DayPrices::Day& DayPrices::dayOf(const QString& symbol, QDate day)
{
    if (!m_latest.isValid() || day > m_latest) {
        m_latest = day;
        m_days.clear(); // every day held is over
    }
    Day& d = m_days[symbol];
    if (d.date != day)
        d = Day{day};
    return d;
}

void DayPrices::addSample(const QString& symbol, QDate day, qint64 time, double price, double previousClose)
{
    if (!usable(price) || (m_latest.isValid() && day < m_latest))
        return; // a price of a day already over changes nothing
    Day& d = dayOf(symbol, day);
    if (usable(previousClose))
        d.previousClose = previousClose;
    // Samples come in time order; one that is not later than the last replaces it.
    while (!d.samples.isEmpty() && d.samples.last().time >= time)
        d.samples.removeLast();
    d.samples.append({time, price, price, price, price, 0});
    d.samples.remove(0, std::max<qsizetype>(0, d.samples.size() - MaxDaySamples));
}

void DayPrices::addSeries(const QString& symbol, QDate day, const PriceSeries& series)
{
    if (m_latest.isValid() && day < m_latest)
        return;
    dayOf(symbol, day).fetched = series;
}

bool DayPrices::toppedUp(const QString& symbol, QDate day) const
{
    const auto it = m_days.constFind(symbol);
    return it != m_days.cend() && it->date == day && it->toppedUp;
}

void DayPrices::setToppedUp(const QString& symbol, QDate day, bool asked)
{
    if (m_latest.isValid() && day < m_latest)
        return;
    dayOf(symbol, day).toppedUp = asked;
}

PriceSeries DayPrices::series(const QString& symbol, QDate day) const
{
    PriceSeries out;
    out.symbol = symbol;
    out.gmtOffset = TokyoGmtOffset;
    const auto it = m_days.constFind(symbol);
    if (it == m_days.cend() || it->date != day)
        return out;
    qint64 after = std::numeric_limits<qint64>::min();
    if (it->fetched) {
        const PriceSeries& f = *it->fetched;
        out.name = f.name;
        out.currency = f.currency;
        out.previousClose = f.previousClose;
        out.lastPrice = f.lastPrice;
        out.gmtOffset = f.gmtOffset;
        out.bars = f.bars;
        if (!out.bars.isEmpty())
            after = out.bars.last().time;
    }
    for (const PriceBar& b : it->samples)
        if (b.time > after)
            out.bars.append(b);
    if (usable(it->previousClose))
        out.previousClose = it->previousClose;
    if (!it->samples.isEmpty() && it->samples.last().time >= after)
        out.lastPrice = it->samples.last().close;
    return out;
}

std::optional<double> priceFromText(const QString& text)
{
    const double v = numberFromText(text);
    if (!usable(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> tradeTimeOf(const QString& timeCell, QDate day)
{
    static const QRegularExpression pattern(u"^\\s*(\\d{1,2}):(\\d{2})\\s*$"_s);
    const auto m = pattern.match(timeCell);
    if (!m.hasMatch() || !day.isValid())
        return std::nullopt;
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return day.startOfDay(QTimeZone::utc()).toSecsSinceEpoch() - TokyoGmtOffset + (hour * 60 + minute) * 60;
}

std::optional<IndexLineValue> indexLineValue(const QString& line)
{
    // "日経平均 <value> (<bracket>) <tail>": the bracket holds the change in the old page's line,
    // the time of the value in today's, whose change then follows the bracket.
    static const QRegularExpression pattern(
        u"^\\s*日経平均\\s+([0-9][0-9,]*(?:\\.[0-9]+)?)(?:\\s*\\(\\s*([^()]*?)\\s*\\)\\s*(\\S*))?"_s);
    static const QRegularExpression change(u"^[+-]?[0-9][0-9,]*(?:\\.[0-9]+)?$"_s);
    static const QRegularExpression time(u"^[0-9]{1,2}:[0-9]{2}$"_s);
    const auto m = pattern.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    const auto value = priceFromText(m.captured(1));
    if (!value)
        return std::nullopt;
    IndexLineValue v{*value};
    const QString bracket = m.captured(2);
    const QString tail = m.captured(3);
    if (change.match(bracket).hasMatch())
        v.change = numberFromText(bracket);
    else if (time.match(bracket).hasMatch() && change.match(tail).hasMatch())
        v.change = numberFromText(tail);
    return v;
}

} // namespace tickora
