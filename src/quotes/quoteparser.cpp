#include "quoteparser.h"

#include "textextract.h"
#include "todaypage.h"

#include <algorithm>

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

QString numericOrZero(QStringView t)
{
    return isNumericText(t) ? t.toString() : u"0"_s;
}

/// The day's high or low: the labelled value when numeric, else the value of the limit-up or
/// limit-down form.
QString extremeValue(QStringView page, QStringView label, QStringView limitMarker, QStringView finClass,
                     QStringView valueMarker)
{
    QStringView t = getValueView(page, label);
    if (!isNumericText(t)) {
        t = {};
        if (page.contains(limitMarker, Qt::CaseInsensitive)) {
            t = getTextView(page, limitMarker, u"</td>");
            if (t.contains(finClass, Qt::CaseInsensitive))
                t = getTextView(t, valueMarker, u"</strong>");
        }
    }
    return numericOrZero(t);
}

/// The cut of a 2012 stock-detail page, by its markers.
QuoteFields cutDetailPage(const QString& pageText)
{
    const QStringView page(pageText);
    QuoteFields q;

    // Short name: after the first "】", up to the first "株" within the 300 characters from it.
    if (const qsizetype p = page.indexOf(u'】'); p >= 0) {
        const QStringView w = page.sliced(p, qMin<qsizetype>(300, page.size() - p));
        if (const qsizetype k = w.indexOf(u'株'); k >= 0)
            q.shortName = w.sliced(1, k - 1).toString();
    }

    q.isDetailPage = page.contains(u"株価詳細");
    if (!q.isDetailPage)
        return q;

    q.name = getTextView(page, u"<h1>", u"</h1>").toString();

    if (page.contains(u"stoksPrice", Qt::CaseInsensitive)) {
        const QStringView cell = getTextView(page, u"stoksPrice\"", u"/td>");
        q.price = getTextView(cell, u">", u"<").toString();
    }

    QStringView change;
    if (page.contains(u"前日比", Qt::CaseInsensitive))
        change = getTextView(page, u"前日比</span>", u"</td>");
    if (change.contains(u"icoUpGreen yjMSt", Qt::CaseInsensitive))
        change = getTextView(change, u"icoUpGreen yjMSt\">", u"（");
    else if (change.contains(u"icoDownRed yjMSt", Qt::CaseInsensitive))
        change = getTextView(change, u"icoDownRed yjMSt\">", u"（");
    q.change = numericOrZero(change);

    q.open = numericOrZero(getValueView(page, u"始値"));
    q.high =
        extremeValue(page, u">高値", u"ストップ高</span>", u"greenFin", u"（<strong class=\"greenFin\">");
    q.low = extremeValue(page, u">安値", u"ストップ安</span>", u"redFin", u"（<strong class=\"redFin\">");
    q.volume = numericOrZero(getValueView(page, u">出来高<"));

    // The previous close stands before its label: the first "strong>" within the 200
    // characters before "前日終値" (fewer near the top of the page) opens it.
    if (const qsizetype p = page.indexOf(u"前日終値", 0, Qt::CaseInsensitive); p >= 0) {
        const qsizetype from = qMax<qsizetype>(0, p - 200);
        const QStringView w = page.sliced(from, p - from);
        if (const qsizetype s = w.indexOf(u"strong>"); s >= 0) {
            const QStringView v = w.sliced(s, qMin<qsizetype>(20, w.size() - s));
            q.prevClose = getTextView(v, u">", u"<").toString();
        }
    }

    QStringView time;
    if (page.contains(u"リアルタイム株価</dd>"))
        time = getTextView(page, u"yjSb real", u"リアルタイム株価</dd>");
    else if (page.contains(u"20分ディレイ株価"))
        time = getTextView(page, u"yjSb real", u"20分ディレイ株価</dd>");
    time = getTextView(time, u"<span>", u"</span>");
    if (time.contains(u':'))
        q.time = time.toString();

    return q;
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

QuoteFields parseQuotePage(const QString& page)
{
    // A page of the current site is read from its state, and gives nothing when the state
    // cannot be read (a page cut short, say): the 2012 short-name cut would only pick up a piece
    // of the title. The 2012 marker counts only in the markup, so a text inside the state that
    // happens to hold it does not send the page to the 2012 cut.
    if (const std::optional<EmbeddedState> found = findEmbeddedState(page);
        found && !containsOutsideState(page, *found, u"株価詳細"))
        return todayQuoteFields(found->state.value_or(QJsonObject()));
    return cutDetailPage(page);
}

} // namespace tickora
