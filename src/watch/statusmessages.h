#pragma once

#include "quotes/secondsource.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace tickora {

/// What the status line's messages need from the window: its status line.
class StatusLineHost
{
public:
    virtual ~StatusLineHost() = default;
    /// The message the status line shows now (empty when none).
    virtual QString currentMessage() const = 0;
    /// Shows `text`, which goes after `timeoutMs` milliseconds (0: it stays until replaced).
    virtual void showMessage(const QString& text, int timeoutMs = 0) = 0;
    virtual void clearMessage() = 0;
};

/// The messages of the status line and when each goes: a quiet period (taken away when it ends,
/// unless another message stands by then), a held service (until the hold ends), pages that could
/// not be read or showed another security (see UnreadPageNotices), and the series service's
/// refusals (see SeriesRefusals).
class StatusMessages
{
public:
    explicit StatusMessages(StatusLineHost& host) : m_host(host) {}

    /// Says why nothing is asked for now; an empty text takes the quiet message away.
    void showQuiet(const QString& text);
    /// Says that a service is held until `until`, in the zone of `now` (the computer's own), for
    /// as long as the hold lasts: at least a second, at most an hour.
    void showServiceHeld(const QDateTime& until, const QDateTime& now);
    /// The page of `code` could not be read on `day`; the series stood in for it (`fromSeries`) or not.
    void tellPageUnread(const QString& code, bool fromSeries, QDate day);
    /// The page of `code` shows another security, `boardCode`.
    void tellOtherCode(const QString& code, const QString& boardCode);
    /// The page of `code` was read: what was told of it that no longer holds goes.
    void notePageRead(const QString& code);
    /// An answer of the series service; `holdStarted`: it started a hold.
    void noteSeriesAnswer(int status, bool holdStarted);

private:
    StatusLineHost& m_host;
    QString m_quietShown; ///< the quiet message the status line holds, if any
    UnreadPageNotices m_pageNotices;
    SeriesRefusals m_seriesRefusals;
};

} // namespace tickora
