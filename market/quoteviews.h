#pragma once

// What a page shows: the quote of a stock or of the Nikkei average at one moment, as every form of
// page (markup, state, streamed) draws it.

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

} // namespace tickora::market
