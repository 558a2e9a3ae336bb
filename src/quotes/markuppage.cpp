#include "markuppage.h"

#include "exchange/numbertext.h"
#include "textextract.h"

#include <QStringView>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

// The text between the first `start` and the next `end` after it, within a small window.
QString between(QStringView all, const QString& start, const QString& end)
{
    return textBetween(all.toString(), start, end);
}

// Up to `count` characters of `text` from index `from` (fewer at the end, none past it).
QStringView window(QStringView text, qsizetype from, qsizetype count)
{
    if (from < 0 || from >= text.size())
        return {};
    return text.sliced(from, qMin(count, text.size() - from));
}

/// The day's high or low: the labelled value when numeric, else the value of the limit-up or
/// limit-down form.
QString extremeValue(QStringView page, QStringView label, QStringView limitMarker, QStringView finClass,
                     QStringView valueMarker)
{
    QStringView t = valueAfterLabelView(page, label);
    if (!isNumericText(t)) {
        t = {};
        if (page.contains(limitMarker, Qt::CaseInsensitive)) {
            t = textBetweenView(page, limitMarker, u"</td>");
            if (t.contains(finClass, Qt::CaseInsensitive))
                t = textBetweenView(t, valueMarker, u"</strong>");
        }
    }
    return numericOrZero(t);
}

} // namespace

QuoteFields cutMarkupQuotePage(const QString& pageText)
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

    q.name = textBetweenView(page, u"<h1>", u"</h1>").toString();

    if (page.contains(u"stoksPrice", Qt::CaseInsensitive)) {
        const QStringView cell = textBetweenView(page, u"stoksPrice\"", u"/td>");
        q.price = textBetweenView(cell, u">", u"<").toString();
    }

    QStringView change;
    if (page.contains(u"前日比", Qt::CaseInsensitive))
        change = textBetweenView(page, u"前日比</span>", u"</td>");
    if (change.contains(u"icoUpGreen yjMSt", Qt::CaseInsensitive))
        change = textBetweenView(change, u"icoUpGreen yjMSt\">", u"（");
    else if (change.contains(u"icoDownRed yjMSt", Qt::CaseInsensitive))
        change = textBetweenView(change, u"icoDownRed yjMSt\">", u"（");
    q.change = numericOrZero(change);

    q.open = numericOrZero(valueAfterLabelView(page, u"始値"));
    q.high =
        extremeValue(page, u">高値", u"ストップ高</span>", u"greenFin", u"（<strong class=\"greenFin\">");
    q.low = extremeValue(page, u">安値", u"ストップ安</span>", u"redFin", u"（<strong class=\"redFin\">");
    q.volume = numericOrZero(valueAfterLabelView(page, u">出来高<"));

    // The previous close stands before its label: the first "strong>" within the 200
    // characters before "前日終値" (fewer near the top of the page) opens it.
    if (const qsizetype p = page.indexOf(u"前日終値", 0, Qt::CaseInsensitive); p >= 0) {
        const qsizetype from = qMax<qsizetype>(0, p - 200);
        const QStringView w = page.sliced(from, p - from);
        if (const qsizetype s = w.indexOf(u"strong>"); s >= 0) {
            const QStringView v = w.sliced(s, qMin<qsizetype>(20, w.size() - s));
            q.prevClose = textBetweenView(v, u">", u"<").toString();
        }
    }

    QStringView time;
    if (page.contains(u"リアルタイム株価</dd>"))
        time = textBetweenView(page, u"yjSb real", u"リアルタイム株価</dd>");
    else if (page.contains(u"20分ディレイ株価"))
        time = textBetweenView(page, u"yjSb real", u"20分ディレイ株価</dd>");
    time = textBetweenView(time, u"<span>", u"</span>");
    if (time.contains(u':'))
        q.time = time.toString();

    return q;
}

MarkupIndexCut cutMarkupIndexPage(const QString& pageText)
{
    const QStringView page(pageText);
    MarkupIndexCut cut;
    if (const qsizetype p = page.indexOf(u"cmn-index_value no-bg"); p >= 0) {
        cut.marked = true;
        cut.index = between(window(page, p, 400), u"<b>"_s, u"</b>"_s);
    }

    // Character 9220 counted from 1.
    cut.fixed = between(window(page, 9219, 200), u"<b>"_s, u"</b>"_s);

    if (const qsizetype q = page.indexOf(u"cmn-indexes_index_link"); q >= 0) {
        cut.marked = true;
        const QStringView near = window(page, q, 50);
        if (const qsizetype a = near.indexOf(u"</a>"); a >= 0)
            cut.change = between(window(near, a, 20), u"("_s, u")"_s);
    }
    return cut;
}

QString markupIndexLine(const MarkupIndexCut& cut)
{
    return u"日経平均 "_s + cut.index + u" ("_s + cut.change + u") "_s + cut.fixed;
}

} // namespace tickora
