#include "quotes/secondsource.h"

#include "quotes/pageverdict.h"

namespace tickora {

bool isNoSuchCodePage(const QString& page)
{
    return page.contains(u"該当する銘柄はありません");
}

bool UnreadPageNotices::pageRead(const QString& code)
{
    m_otherCode.remove(code);
    if (!m_unread.remove(code) || !m_unread.isEmpty())
        return false;
    m_toldFromSeries = m_toldUnread = QDate();
    return true;
}

QString UnreadPageNotices::pageUnread(const QString& code, bool fromSeries, QDate day)
{
    m_unread.insert(code);
    QDate& told = fromSeries ? m_toldFromSeries : m_toldUnread;
    if (told == day)
        return {};
    told = day;
    return QString::fromUtf16(fromSeries ? PagesUnreadFromSeriesText : PagesUnreadText);
}

QString UnreadPageNotices::pageOfOtherCode(const QString& code, const QString& boardCode)
{
    const auto told = m_otherCode.constFind(code);
    if (told != m_otherCode.constEnd() && *told == boardCode)
        return {};
    m_otherCode.insert(code, boardCode);
    return otherCodeText(code, boardCode);
}

QString UnreadPageNotices::otherCodeTold(const QString& code) const
{
    const auto told = m_otherCode.constFind(code);
    return told == m_otherCode.constEnd() ? QString() : otherCodeText(code, *told);
}

bool SeriesRefusals::noteAnswer(int status, bool holdStarted)
{
    const bool refused = status == 403 || holdStarted;
    // No answer at all, or an answer during a hold that started before (429 again), neither
    // counts nor ends the run.
    if (!refused && (status <= 0 || status == 429 || status == 503))
        return false;
    m_run = refused ? m_run + 1 : 0;
    return m_run == 3;
}

} // namespace tickora
