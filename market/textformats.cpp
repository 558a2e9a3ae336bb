#include "textformats.h"

#include <QDate>

#include <cmath>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

QString groupDigits(qint64 whole)
{
    QString digits = QString::number(whole);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

} // namespace

QString htmlEscape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += u"&amp;"_s;
            break;
        case '<':
            out += u"&lt;"_s;
            break;
        case '>':
            out += u"&gt;"_s;
            break;
        case '"':
            out += u"&quot;"_s;
            break;
        case '\'':
            out += u"&#39;"_s;
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString formatNumber(double value, int decimals)
{
    const bool negative = value < 0;
    double scale = std::pow(10.0, decimals);
    const qint64 scaled = std::llround(std::abs(value) * scale);
    const qint64 whole = scaled / static_cast<qint64>(scale);
    QString s = groupDigits(whole);
    if (decimals > 0) {
        QString frac = QString::number(scaled % static_cast<qint64>(scale));
        s += u'.' + frac.rightJustified(decimals, u'0');
    }
    return (negative && scaled != 0 ? u"-"_s : QString()) + s;
}

QString formatChange(double change, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    if (std::llround(std::abs(change) * scale) == 0)
        return decimals > 0 ? u"0."_s + QString(decimals, u'0') : u"0"_s;
    return (change > 0 ? u"+"_s : QString()) + formatNumber(change, decimals);
}

QString formatPercent(double change, double base)
{
    const double pct = base != 0 ? 100.0 * change / base : 0;
    if (std::llround(std::abs(pct) * 100) == 0)
        return u"0.00%"_s;
    return (pct > 0 ? u"+"_s : QString()) + QString::number(pct, 'f', 2) + u'%';
}

QString formatMinute(int minuteOfDay)
{
    return u"%1:%2"_s.arg(minuteOfDay / 60).arg(minuteOfDay % 60, 2, 10, QChar(u'0'));
}

QString clockText(int minuteOfDay)
{
    return u"%1:%2"_s.arg(minuteOfDay / 60, 2, 10, QChar(u'0')).arg(minuteOfDay % 60, 2, 10, QChar(u'0'));
}

QString monthDay(QDate date)
{
    return date.isValid() ? date.toString(u"MM/dd"_s) : u"--/--"_s;
}

QString boardChange(double change, int decimals)
{
    const QString signedText = formatChange(change, decimals);
    return signedText.startsWith(u'+') ? signedText.mid(1) : signedText;
}

QString boardChangeRate(double change, double base)
{
    QString rate = formatPercent(change, base);
    rate.chop(1); // the "%"
    return rate.startsWith(u'+') ? rate.mid(1) : rate;
}

} // namespace tickora::market
