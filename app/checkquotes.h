#pragma once

#include "platform/clock.h"
#include "platform/config.h"
#include "platform/httpclient.h"
#include "quotes/quotepage.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tickora {

/// One page as the check found it.
struct PageCheck
{
    QString label;      ///< the code, or "日経平均"
    QUrl url;           ///< where it was asked for
    bool index = false; ///< the Nikkei's page
    int status = 0;     ///< 0: no answer (then `error` says why), or not asked
    QString error;      ///< why there is no page
    bool held = false;  ///< not asked: the service asked not to be asked yet
    PageForm form = PageForm::None;
    QuoteFields fields;        ///< a stock page's quote
    IndexReading indexReading; ///< the Nikkei page's line
    bool read = false;         ///< the quote (or the Nikkei line) was found
    bool noSuchCode = false;   ///< the page says the code is unknown
    QString otherCode;         ///< the security the page shows instead of this one; empty when none
    bool secondSource = false; ///< the program would fill this row from the series
};

/// What the check prints for one page: its label and address, the status (or why there is none),
/// the form found (pageFormName), the fields read, and whether the series would stand in for it.
QString describePageCheck(const PageCheck& check);

/// Reads, one after the other and once each, the page of every code and the Nikkei's page from the
/// configured service, with the program's addresses and headers and its hold after a 429 or 503
/// (a page of a held service is not asked for), each judged as the window judges it
/// (judgeQuotePage, judgeIndexPage) on the Japan date of `clock` (the computer's when null).
/// `report` gets each page's description as it is checked. Runs its own event loop; returns 0
/// when every page was read, else 1 (a page of another security is not read).
int runQuoteCheck(HttpClient& http, const Config& config, const QStringList& codes,
                  const std::function<void(const QString&)>& report, const Clock* clock = nullptr);

} // namespace tickora
