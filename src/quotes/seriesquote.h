#pragma once

#include "platform/httpclient.h"
#include "quotes/quotefields.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>

namespace tickora {

/// The series that stands in for the Nikkei average's page.
inline constexpr char16_t NikkeiSeriesSymbol[] = u"^N225";
/// Largest one-day series body read: a day of 5-minute bars is a few kilobytes.
inline constexpr qsizetype MaxSeriesQuoteBytes = 4 * 1024 * 1024;

/// The series that stands in for the page of a stock code: "<code>.T".
QString seriesSymbolOfCode(const QString& code);

/// The request for the one-day series of a symbol in 5-minute bars at the series service, the
/// symbol percent-encoded: "<base>/v8/finance/chart/%5EN225?range=1d&interval=5m".
HttpRequest daySeriesRequest(const QUrl& seriesBase, const QString& symbol);

/// A number as the quote pages write it: thousands separators and `decimals` digits after the
/// point, or, when `decimals` is negative, as few as the value needs, at most two ("2,648.5").
QString pageNumberText(double value, int decimals);

/// The quote a page would show, from the one-day chart JSON of the series service: the price from
/// `meta.regularMarketPrice`, the previous close from `meta.previousClose` (else
/// `chartPreviousClose`), high, low and volume from `regularMarketDayHigh`, `regularMarketDayLow`
/// and `regularMarketVolume`, the open from the first bar that has one, the time from
/// `regularMarketTime` in Japan time, as quoteTimeCell gives it for `japanToday` ("H:MM" on that
/// day, "M/D" on an earlier one; "H:MM" whatever the day when no day is given), and the change as price minus
/// previous close with its sign ("+30.5", "-21", "0"). Prices take `decimals` digits (negative: as few as
/// needed). The name is the one given (from the code list); the short name is the same. A missing field takes
/// the fallback the page readers give it. Nothing when the body is over MaxSeriesQuoteBytes, not
/// a chart JSON, or has no price.
std::optional<QuoteFields> quoteFromSeriesJson(const QByteArray& body, const QString& name, int decimals = -1,
                                               QDate japanToday = QDate());

/// The Nikkei average line of a quote read from the series, in the form the index pages give:
/// "日経平均 38,412.76 (11:30) -125.40".
QString nikkeiLineOf(const QuoteFields& quote);

} // namespace tickora
