#include "statusmessages.h"

#include "platform/backoff.h"

#include <QTimeZone>

namespace tickora {

void StatusMessages::showQuiet(const QString& text)
{
    if (!text.isEmpty())
        m_host.showMessage(text);
    else if (m_host.currentMessage() == m_quietShown)
        m_host.clearMessage(); // a hold's message stays
    m_quietShown = text;
}

void StatusMessages::showServiceHeld(const QDateTime& until, const QDateTime& now)
{
    // The message goes when the hold ends; the time is the computer's own.
    m_host.showMessage(holdMessage(until.toTimeZone(now.timeZone())),
                       int(qBound(qint64(1000), now.msecsTo(until), qint64(3600) * 1000)));
}

void StatusMessages::tellPageUnread(const QString& code, bool fromSeries, QDate day)
{
    const QString text = m_pageNotices.pageUnread(code, fromSeries, day);
    if (!text.isEmpty())
        m_host.showMessage(text);
}

void StatusMessages::tellOtherCode(const QString& code, const QString& boardCode)
{
    const QString text = m_pageNotices.pageOfOtherCode(code, boardCode);
    if (!text.isEmpty())
        m_host.showMessage(text);
}

void StatusMessages::notePageRead(const QString& code)
{
    // The page shows its own security again: the word that it showed another goes.
    if (const QString told = m_pageNotices.otherCodeTold(code);
        !told.isEmpty() && m_host.currentMessage() == told)
        m_host.clearMessage();
    // Every page reads again: the word that they could not be read goes.
    if (m_pageNotices.pageRead(code) &&
        m_host.currentMessage().startsWith(QString::fromUtf16(PagesUnreadText)))
        m_host.clearMessage();
}

void StatusMessages::noteSeriesAnswer(int status, bool holdStarted)
{
    if (m_seriesRefusals.noteAnswer(status, holdStarted))
        m_host.showMessage(QString::fromUtf16(SeriesRefusedText));
}

} // namespace tickora
