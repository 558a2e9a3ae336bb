#include "timeforms.h"

#include <QTime>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tickora::market {

int shownMinute(const QuoteView& q)
{
    if (q.realTime)
        return q.minute;
    // Twenty minutes back, but never into a stretch without trading: before the opening it is the
    // opening, in the lunch break the morning's last minute.
    constexpr int MorningClose = 11 * 60 + 30, AfternoonOpen = 12 * 60 + 30;
    const int back = std::max(9 * 60, q.minute - 20);
    return back > MorningClose && back < AfternoonOpen ? MorningClose : back;
}

std::optional<TimeForm> parseTimeForm(const QString& name)
{
    if (name == u"short"_s)
        return TimeForm::Short;
    if (name == u"seconds"_s)
        return TimeForm::Seconds;
    if (name == u"dated"_s)
        return TimeForm::Dated;
    return std::nullopt;
}

QString timeFormName(TimeForm form)
{
    switch (form) {
    case TimeForm::Seconds:
        return u"seconds"_s;
    case TimeForm::Dated:
        return u"dated"_s;
    case TimeForm::Short:
        break;
    }
    return u"short"_s;
}

QString boardTime(TimeForm form, QDate date, std::optional<int> minute)
{
    const QTime time = minute ? QTime(*minute / 60, *minute % 60) : QTime();
    switch (form) {
    case TimeForm::Seconds:
        return minute ? time.toString(u"HH:mm:ss"_s) : date.toString(u"MM/dd"_s);
    case TimeForm::Dated:
        return minute ? date.toString(u"yyyy/MM/dd "_s) + time.toString(u"HH:mm"_s)
                      : date.toString(u"yyyy/MM/dd"_s);
    case TimeForm::Short:
        break;
    }
    return minute ? time.toString(u"H:mm"_s) : date.toString(u"M/d"_s);
}

QString quoteBoardTime(const QuoteView& q, const QString& shortText)
{
    if (q.timeForm == TimeForm::Short)
        return shortText;
    const bool traded = q.volume > 0;
    return boardTime(q.timeForm, traded ? q.date : q.prevDate,
                     traded ? std::optional<int>(shownMinute(q)) : std::nullopt);
}

} // namespace tickora::market
