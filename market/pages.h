#pragma once

#include "history.h"

#include <QDate>
#include <QList>
#include <QString>

namespace tickora::market {

/// How today's pages write the time of a quote in their data.
enum class TimeForm
{
    Short,   ///< "9:05"; an earlier day's date "12/4" (the service's usual form)
    Seconds, ///< "09:05:00"; an earlier day's date "12/04"
    Dated,   ///< "2026/12/05 09:05"; an earlier day's date "2026/12/04"
};

/// Everything a stock-detail page shows about one stock at one moment.
struct QuoteView
{
    QString code;
    QString shortName;   ///< as in the code list, e.g. トヨタ自動車
    QString companyName; ///< the heading, e.g. トヨタ自動車(株)
    QString industry;
    double price = 0;
    double prevClose = 0;
    double open = 0;
    double high = 0;
    double low = 0;
    qint64 volume = 0;
    int minute = 9 * 60;     ///< minute of the day of the quote
    int highMinute = 9 * 60; ///< when the day's high was first reached
    int lowMinute = 9 * 60;  ///< when the day's low was first reached
    bool realTime = true;    ///< real-time quote, otherwise delayed by 20 minutes
    double limitUp = 0;      ///< upper daily limit
    double limitDown = 0;    ///< lower daily limit
    bool limitUpReached = false;
    bool limitDownReached = false;
    QDate date;     ///< trading day of the quote
    QDate prevDate; ///< day of the previous close
    double yearHigh = 0;
    double yearLow = 0;
    QDate yearHighDate;
    QDate yearLowDate;
    qint64 sharesOutstanding = 0;
    qint64 unitShares = 100;
    QList<Bar> recentDays; ///< the last completed days, oldest first; filled only when asked for
    TimeForm timeForm = TimeForm::Short; ///< how today's pages write the time
};

/// The Nikkei average at one moment.
struct IndexView
{
    double value = 0;
    double prevClose = 0;
    double open = 0;
    double high = 0;
    double low = 0;
    int minute = 9 * 60;
    QDate date;
    // Other indices shown in the page's side list.
    double topix = 0, topixChange = 0;
    double dow = 0, dowChange = 0;
    double usdJpy = 0, usdJpyChange = 0;
    QList<Bar> recentDays; ///< the last completed days, oldest first; filled only when asked for
    TimeForm timeForm = TimeForm::Short;       ///< how today's pages write the time
    QString code = QStringLiteral("998407.O"); ///< the code the board names
};

/// Per-share figures a stock page shows beside the quote.
struct ShareFigures
{
    double eps = 0;      ///< earnings per share
    double bps = 0;      ///< book value per share
    double dividend = 0; ///< dividend per share
};

/// "1,234" for whole prices, with `decimals` digits after the point otherwise.
QString formatNumber(double value, int decimals = 0);
/// A signed change: "+15", "-3", "0"; with decimals "+123.45".
QString formatChange(double change, int decimals = 0);
/// A signed percentage with two decimals: "+0.45%", "-0.20%", "0.00%".
QString formatPercent(double change, double base);
/// "15:00".
QString formatMinute(int minuteOfDay);

/// The minute a page gives as the time of a quote: 20 minutes back for a delayed quote, never
/// before 9:00.
int shownMinute(const QuoteView& quote);

/// The per-share figures of a quote, the same on every page drawn for that quote.
ShareFigures shareFigures(const QuoteView& quote);

/// The stock-detail page of a listed stock (HTML, UTF-8 when encoded), tens of kilobytes with the
/// site's navigation, news and footer around the quote.
QString quotePage(const QuoteView& quote);
/// The service's answer for a code it does not list: a normal page (served with status 200) that
/// says so, without the detail table. The code is shown escaped.
QString notFoundPage(const QString& code);
/// The Nikkei index page. Besides the index value and the bracketed change, a bold element holding
/// the time of the value starts at character NikkeiFixedPosition (1-based, in UTF-16 characters).
QString nikkeiPage(const IndexView& index);
constexpr int NikkeiFixedPosition = 9230;

/// Escapes &, <, >, " and ' for HTML text and attributes.
QString htmlEscape(const QString& text);

} // namespace tickora::market
