#pragma once

#include "exchange/tradingcalendar.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace tickora {

/// The question a tick asks at the Japan-time moment `japan`, compared in whole seconds
/// (15:31:00.4 is still 15:31:00): on a day the exchange is closed, and before 9:00:00 or after
/// 15:31:00 (a minute after the close) the user is asked whether to stop; in between, none (empty).
QString tradingHoursQuestion(const QDateTime& japan);
/// What the status line says at the Japan-time moment `japan` when it lies in a quiet period:
/// before the opening of a trading day that the day has not begun yet, after the close that it
/// is over; empty when prices may change.
QString quietPeriodMessage(const QDateTime& japan);

/// What the refresh cycle needs from the window it runs in.
class RefreshCycleHost
{
public:
    using Then = std::function<void()>;
    virtual ~RefreshCycleHost() = default;
    /// True when the first row's code cell is empty: a start then does nothing.
    virtual bool firstRowEmpty() const = 0;
    /// Number of message boxes open now.
    virtual int openBoxes() const = 0;
    /// The trading day's moment now, in Japan time.
    virtual QDateTime tradingMoment() const = 0;
    /// Asks `text` in the continue box; true when the user answers to stop.
    virtual bool askToStop(const QString& text) = 0;
    /// Starts the refresh clock unless it runs already.
    virtual void startTimer() = 0;
    virtual void stopTimer() = 0;
    /// The status bar: running (yellow with its caption) or stopped (black, caption kept).
    virtual void showRunning(bool running) = 0;
    virtual void closeSecondaryWindows() = 0;
    /// Moves the filled rows over the empty rows above them.
    virtual void packRows() = 0;
    /// Starts every request of one refresh at once; the steps take their answers in order.
    virtual void prefetchRefresh() = 0;
    virtual void refreshQuotes(Then then) = 0;
    virtual void layOutThumbs() = 0;
    virtual void refreshThumbs(Then then) = 0;
    virtual void refreshIndexChart(Then then) = 0;
    virtual void refreshNikkeiLine(Then then) = 0;
    /// Says in the status line why nothing is asked for now; an empty text takes that away.
    virtual void showQuiet(const QString& text) = 0;
    /// A tick or start has ended its work (the prefetched answers may go).
    virtual void workEnded() = 0;
};

/// The refresh cycle: a start packs the rows, lays out the thumbnails and refreshes; each tick
/// asks outside trading hours and refreshes. In a quiet period (lunch, after hours, a closed day)
/// only the first tick or start refreshes; later ticks of that period ask for nothing, since no
/// price can change before it ends. A refresh runs its steps in order (quotes,
/// thumbnails, index chart, Nikkei line), each when the one before has ended. A stop holds: work
/// in progress finishes its current step and goes no further. A tick that comes due while a tick
/// or start works, or while a message box is open, is dropped; a start asked for meanwhile is
/// queued, runs once the work has ended and no box is open, and is cancelled by any stop.
class RefreshCycle
{
public:
    explicit RefreshCycle(RefreshCycleHost& host) : m_host(host) {}

    void start();
    void tick();
    void stop();
    /// Runs the queued start once no tick, start or message box is in its way.
    void runPendingStart();

    /// True while a tick or a start is working.
    bool busy() const { return m_busy; }
    /// Counts stops, so work in progress can see that one came.
    quint64 stopCount() const { return m_stopCount; }
    /// True when a stop came after `stopCount` was read.
    bool stoppedSince(quint64 stopCount) const { return m_stopCount != stopCount; }

private:
    /// Says in the status line why the moment is quiet, if it is, and returns its quiet period.
    QuietPeriod tellQuiet();
    /// Tells why the moment is quiet; true when this quiet period has been refreshed already.
    bool quietAndRefreshed(bool refreshAnyway);
    void runSteps(quint64 stops, bool layOutThumbs);
    void finish();

    RefreshCycleHost& m_host;
    bool m_busy = false;
    bool m_startPending = false;
    quint64 m_stopCount = 0;
    QDateTime m_refreshedQuietUntil; ///< end of the quiet period the last refresh ran in
};

} // namespace tickora
