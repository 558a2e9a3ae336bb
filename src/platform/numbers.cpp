#include "numbers.h"

namespace tickora {

std::optional<qint16> toInt16(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    auto allDigits = [](QStringView s) {
        for (QChar c : s)
            if (c < u'0' || c > u'9')
                return false;
        return true;
    };
    if (!allDigits(whole) || !allDigits(fraction))
        return std::nullopt;

    qint64 value = 0;
    for (QChar c : whole) {
        value = value * 10 + (c.unicode() - u'0');
        if (value > 32768) // past 16 bits, whatever follows
            return std::nullopt;
    }
    // Round half to even: compare the fraction with one half.
    if (!fraction.isEmpty()) {
        const int first = fraction.front().unicode() - u'0';
        bool restNonZero = false;
        for (QChar c : fraction.mid(1))
            restNonZero = restNonZero || c != u'0';
        if (first > 5 || (first == 5 && restNonZero) || (first == 5 && !restNonZero && value % 2 == 1))
            ++value;
    }
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return qint16(value);
}

} // namespace tickora
