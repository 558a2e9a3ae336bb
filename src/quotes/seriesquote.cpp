#include "quotes/seriesquote.h"

#include "platform/config.h"
#include "quotes/timecell.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTimeZone>
#include <QUrl>

#include <cmath>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

std::optional<double> finite(const QJsonValue& v)
{
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        return std::nullopt;
    return v.toDouble();
}

/// Digits after the point a value needs, at most two.
int decimalsNeeded(double value)
{
    const qint64 cents = std::llround(std::abs(value) * 100);
    return cents % 100 == 0 ? 0 : cents % 10 == 0 ? 1 : 2;
}

/// Japan time has no daylight saving: a fixed offset stands in where the zone data is missing.
QTimeZone japanTime()
{
    const QTimeZone tokyo("Asia/Tokyo");
    return tokyo.isValid() ? tokyo : QTimeZone(9 * 3600);
}

std::optional<double> firstOpen(const QJsonObject& result)
{
    const QJsonArray quotes = result.value(u"indicators"_s).toObject().value(u"quote"_s).toArray();
    for (const QJsonValue& open : quotes.first().toObject().value(u"open"_s).toArray())
        if (const auto value = finite(open))
            return value;
    return std::nullopt;
}

} // namespace

QString seriesSymbolOfCode(const QString& code)
{
    return code.trimmed() + u".T"_s;
}

HttpRequest daySeriesRequest(const QUrl& seriesBase, const QString& symbol)
{
    const QString path = u"/v8/finance/chart/"_s + QString::fromLatin1(QUrl::toPercentEncoding(symbol));
    return {serviceUrl(seriesBase, path, u"range=1d&interval=5m"_s), {}, MaxSeriesQuoteBytes};
}

QString pageNumberText(double value, int decimals)
{
    QLocale c(QLocale::C);
    c.setNumberOptions({}); // with the group separators the C locale leaves out by default
    return c.toString(value, 'f', decimals < 0 ? decimalsNeeded(value) : decimals);
}

std::optional<QuoteFields> quoteFromSeriesJson(const QByteArray& body, const QString& name, int decimals,
                                               QDate japanToday)
{
    if (body.size() > MaxSeriesQuoteBytes)
        return std::nullopt;
    const QJsonValue result = QJsonDocument::fromJson(body)[u"chart"_s][u"result"_s][0];
    const QJsonObject meta = result[u"meta"_s].toObject();
    const auto price = finite(meta.value(u"regularMarketPrice"_s));
    if (!price)
        return std::nullopt;
    auto text = [decimals](std::optional<double> v) { return v ? pageNumberText(*v, decimals) : u"0"_s; };
    QuoteFields q;
    q.isDetailPage = true;
    q.name = name;
    q.shortName = name;
    q.price = pageNumberText(*price, decimals);
    q.open = text(firstOpen(result.toObject()));
    q.high = text(finite(meta.value(u"regularMarketDayHigh"_s)));
    q.low = text(finite(meta.value(u"regularMarketDayLow"_s)));
    const auto volume = finite(meta.value(u"regularMarketVolume"_s));
    q.volume = volume ? pageNumberText(std::round(*volume), 0) : u"0"_s;
    auto previous = finite(meta.value(u"previousClose"_s));
    if (!previous)
        previous = finite(meta.value(u"chartPreviousClose"_s));
    q.change = u"0"_s;
    if (previous) {
        q.prevClose = pageNumberText(*previous, decimals);
        // In cents, so that 2648.5 - 2618 is 30.5 and not 30.499999.
        const qint64 cents = std::llround(*price * 100) - std::llround(*previous * 100);
        q.change = (cents > 0 ? u"+"_s : QString()) + pageNumberText(double(cents) / 100, decimals);
    }
    if (const auto time = finite(meta.value(u"regularMarketTime"_s))) {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(qint64(*time), japanTime());
        q.time = japanToday.isValid() ? quoteTimeCell(at.toString(u"yyyy/MM/dd H:mm"_s), japanToday)
                                      : at.toString(u"H:mm"_s);
    }
    return q;
}

QString nikkeiLineOf(const QuoteFields& quote)
{
    return u"日経平均 "_s + quote.price + u" ("_s + quote.time + u") "_s + quote.change;
}

} // namespace tickora
