#include "numbertext.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// A numeric text taken apart: sign, integer digits without separators or leading zeros,
/// fraction digits without trailing zeros.
struct Decimal
{
    bool negative = false;
    QString integer;
    QString fraction;
    bool isZero() const { return integer.isEmpty() && fraction.isEmpty(); }
};

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

std::optional<Decimal> parseDecimal(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text[i] == u' ')
            ++i;
    };
    Decimal d;
    skipBlanks();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        d.negative = text[i++] == u'-';

    // Integer part: a first group of digits, then ",ddd" groups when separators are used.
    const qsizetype groupStart = i;
    while (i < n && isAsciiDigit(text[i]))
        d.integer.append(text[i++]);
    const qsizetype firstGroup = i - groupStart;
    if (firstGroup == 0)
        return std::nullopt;
    if (i < n && text[i] == u',') {
        if (firstGroup > 3)
            return std::nullopt;
        while (i < n && text[i] == u',') {
            ++i;
            for (int k = 0; k < 3; ++k) {
                if (i >= n || !isAsciiDigit(text[i]))
                    return std::nullopt;
                d.integer.append(text[i++]);
            }
            if (i < n && isAsciiDigit(text[i]))
                return std::nullopt;
        }
    }
    if (i < n && text[i] == u'.') {
        ++i;
        const qsizetype fractionStart = i;
        while (i < n && isAsciiDigit(text[i]))
            d.fraction.append(text[i++]);
        if (i == fractionStart)
            return std::nullopt;
    }
    skipBlanks();
    if (i != n)
        return std::nullopt;

    qsizetype lead = 0;
    while (lead < d.integer.size() && d.integer[lead] == u'0')
        ++lead;
    d.integer.remove(0, lead);
    qsizetype keep = d.fraction.size();
    while (keep > 0 && d.fraction[keep - 1] == u'0')
        --keep;
    d.fraction.truncate(keep);
    if (d.isZero())
        d.negative = false;
    return d;
}

int compareMagnitude(const Decimal& a, const Decimal& b)
{
    // Each step's sign decides: more digits, then the digits, then the fraction's digits.
    if (const qsizetype longer = a.integer.size() - b.integer.size(); longer != 0)
        return int(std::clamp<qsizetype>(longer, -1, 1));
    if (const int c = QStringView(a.integer).compare(b.integer); c != 0)
        return std::clamp(c, -1, 1);
    return std::clamp(QStringView(a.fraction).compare(b.fraction), -1, 1);
}

} // namespace

bool isNumericText(QStringView text)
{
    return parseDecimal(text).has_value();
}

std::optional<int> compareNumericTexts(QStringView a, QStringView b)
{
    const std::optional<Decimal> x = parseDecimal(a);
    const std::optional<Decimal> y = parseDecimal(b);
    if (!x || !y)
        return std::nullopt;
    if (x->negative != y->negative)
        return x->negative ? -1 : 1;
    const int magnitude = compareMagnitude(*x, *y);
    return x->negative ? -magnitude : magnitude;
}

QString signedChange(const QString& numericText)
{
    qsizetype i = 0;
    while (i < numericText.size() && numericText[i] == u' ')
        ++i;
    if (i < numericText.size() && (numericText[i] == u'+' || numericText[i] == u'-'))
        return numericText;
    // Zero keeps its form; a text that is no number is no rise either.
    if (const std::optional<int> sign = compareNumericTexts(numericText, u"0"); !sign || *sign == 0)
        return numericText;
    QString s = numericText;
    s.insert(i, u'+');
    return s;
}

QString numericOrZero(QStringView text)
{
    return isNumericText(text) ? text.toString() : u"0"_s;
}

double numberFromText(QStringView text)
{
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    const std::optional<Decimal> d = parseDecimal(text);
    if (!d)
        return NaN;
    // The digits without separators, in the C locale's form, which toDouble() reads exactly.
    QString plain = d->negative ? u"-"_s : QString();
    plain += d->integer.isEmpty() ? u"0"_s : d->integer;
    if (!d->fraction.isEmpty())
        plain += u'.' + d->fraction;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok && std::isfinite(value) ? value : NaN;
}

} // namespace tickora
