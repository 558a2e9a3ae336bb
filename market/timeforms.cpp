#include "timeforms.h"

#include <QTime>

using namespace Qt::StringLiterals;

namespace tickora::market {

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
