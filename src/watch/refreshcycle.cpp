#include "refreshcycle.h"

namespace tickora {

using namespace Qt::StringLiterals;

QString tradingHoursQuestion(const QDateTime& japan)
{
    if (isExchangeClosed(japan.date()))
        return u"本日は休場日です停止しますか？"_s;
    const QTime now = japan.time();
    const QTime whole(now.hour(), now.minute(), now.second());
    if (whole < session::Open)
        return u"9:00 からスタートです停止しますか？"_s;
    if (whole > session::Close.addSecs(60))
        return u"15:30 を過ぎました停止しますか？"_s;
    return {};
}

QString quietPeriodMessage(const QDateTime& japan)
{
    switch (quietPeriodAt(japan).kind) {
    case QuietPeriod::Kind::Lunch:
        return u"昼休み中"_s;
    case QuietPeriod::Kind::AfterHours:
        // The stretch from the close to the next opening: before the opening, the day is to come.
        if (japan.time() < session::Open)
            return u"取引開始前です（9:00 から）"_s;
        return u"本日の取引は終了しました"_s;
    case QuietPeriod::Kind::ClosedDay:
        return u"本日は休場日です"_s;
    case QuietPeriod::Kind::None:
        break;
    }
    return {};
}

QuietPeriod RefreshCycle::tellQuiet()
{
    const QDateTime now = m_host.tradingMoment();
    const QuietPeriod quiet = quietPeriodAt(now);
    m_host.showQuiet(quietPeriodMessage(now));
    return quiet;
}

bool RefreshCycle::quietAndRefreshed(bool refreshAnyway)
{
    const QuietPeriod quiet = tellQuiet();
    if (quiet.kind != QuietPeriod::Kind::None && quiet.ends == m_refreshedQuietUntil && !refreshAnyway)
        return true;
    m_refreshedQuietUntil = quiet.ends; // no end (invalid) outside quiet periods
    return false;
}

void RefreshCycle::stop()
{
    ++m_stopCount;
    m_startPending = false; // a start queued behind the work in progress is cancelled too
    m_host.stopTimer();
    m_host.showRunning(false);
}

void RefreshCycle::finish()
{
    m_busy = false;
    m_host.workEnded();
    runPendingStart();
}

void RefreshCycle::runPendingStart()
{
    // A queued start also waits for every message box to close: packing rows under an open box
    // would move the row that the box is about.
    if (!m_startPending || m_busy || m_host.openBoxes() > 0)
        return;
    m_startPending = false;
    start();
}

void RefreshCycle::tick()
{
    if (m_busy || m_host.openBoxes() > 0)
        return;
    m_busy = true;
    const quint64 stops = m_stopCount;

    m_host.closeSecondaryWindows();
    m_host.showRunning(true);
    const QString question = tradingHoursQuestion(m_host.tradingMoment());
    if (!question.isEmpty() && m_host.askToStop(question)) {
        stop();
        return finish();
    }
    if (stoppedSince(stops)) // stopped while the question was open
        return finish();
    if (quietAndRefreshed(false)) // the rows, thumbnails and Nikkei line keep what they show
        return finish();
    runSteps(stops, false);
}

void RefreshCycle::start()
{
    if (m_host.firstRowEmpty())
        return;
    if (m_busy) {
        m_startPending = true; // runs once the current work ends
        return;
    }
    m_busy = true;
    const quint64 stops = m_stopCount;
    m_host.startTimer();
    m_host.packRows();
    m_host.showRunning(true);
    quietAndRefreshed(true); // a start always refreshes once
    runSteps(stops, true);
}

void RefreshCycle::runSteps(quint64 stops, bool layOutThumbs)
{
    // Each step runs when the one before has ended, unless a stop came meanwhile.
    m_host.prefetchRefresh();
    m_host.startTimer();
    m_host.refreshQuotes([this, stops, layOutThumbs] {
        if (stoppedSince(stops))
            return finish();
        if (layOutThumbs)
            m_host.layOutThumbs();
        m_host.refreshThumbs([this, stops] {
            if (stoppedSince(stops))
                return finish();
            m_host.startTimer();
            m_host.refreshIndexChart([this, stops] {
                if (stoppedSince(stops))
                    return finish();
                m_host.refreshNikkeiLine([this] {
                    tellQuiet(); // the answers may have moved a simulated market's moment
                    finish();
                });
            });
        });
    });
}

} // namespace tickora
