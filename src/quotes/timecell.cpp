#include "timecell.h"

#include <QList>

#include <optional>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// Parts of a text split at `sep`, each one to `maxDigits` ASCII digits; nothing otherwise.
std::optional<QList<int>> numbers(QStringView text, QChar sep, qsizetype maxDigits)
{
    QList<int> out;
    for (QStringView part : text.split(sep)) {
        if (part.isEmpty() || part.size() > maxDigits)
            return std::nullopt;
        int n = 0;
        for (QChar c : part) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            n = n * 10 + (c.unicode() - u'0');
        }
        out.append(n);
    }
    return out;
}

/// "H:MM" or "H:MM:SS" (hour of one or two digits, minutes and seconds of two).
std::optional<QString> timeOfDay(QStringView text)
{
    const std::optional<QList<int>> n = numbers(text, u':', 2);
    if (!n || n->size() < 2 || n->size() > 3)
        return std::nullopt;
    const QList<QStringView> parts = text.split(u':');
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (parts[i].size() != 2 || n->at(i) > 59)
            return std::nullopt;
    if (n->at(0) > 23)
        return std::nullopt;
    return u"%1:%2"_s.arg(n->at(0)).arg(n->at(1), 2, 10, QLatin1Char('0'));
}

/// A date as "M/D" or "YYYY/M/D"; the year is 0 when not given.
std::optional<QDate> dateOf(QStringView text)
{
    const std::optional<QList<int>> n = numbers(text, u'/', 4);
    if (!n || n->size() < 2 || n->size() > 3)
        return std::nullopt;
    const bool withYear = n->size() == 3;
    const QList<QStringView> parts = text.split(u'/');
    if ((withYear && parts[0].size() != 4) || parts[withYear].size() > 2 || parts[withYear + 1].size() > 2)
        return std::nullopt;
    // A leap year stands in for a date without its year, so that 2/29 reads.
    const QDate date(withYear ? n->at(0) : 2000, n->at(withYear), n->at(withYear + 1));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString monthDay(QDate date)
{
    return u"%1/%2"_s.arg(date.month()).arg(date.day());
}

} // namespace

QString quoteTimeCell(QStringView pageTime, QDate japanToday)
{
    const QStringView text = pageTime.trimmed();
    const qsizetype blank = text.indexOf(u' ');
    const QStringView datePart = blank < 0 ? (text.contains(u'/') ? text : QStringView()) : text.first(blank);
    const QStringView timePart =
        blank < 0 ? (text.contains(u'/') ? QStringView() : text) : text.sliced(blank + 1).trimmed();
    std::optional<QString> time;
    if (!timePart.isEmpty() && !(time = timeOfDay(timePart)))
        return {};
    if (datePart.isEmpty())
        return time.value_or(QString());
    const std::optional<QDate> date = dateOf(datePart);
    if (!date)
        return {};
    const bool withYear = datePart.count(u'/') == 2;
    const bool today = withYear ? *date == japanToday
                                : date->month() == japanToday.month() && date->day() == japanToday.day();
    // A date alone tells no time: the cell shows the day, as for any earlier day.
    if (time && today)
        return *time;
    return monthDay(*date);
}

} // namespace tickora
