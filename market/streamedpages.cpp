#include "streamedpages.h"

#include "history.h"
#include "siteshell.h"
#include "textformats.h"
#include "timeforms.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

const QString Undefined = u"$undefined"_s;

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString compact(const QJsonArray& array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString hex(int n)
{
    return QString::number(n, 16);
}

/// "2026-09-25T09:00:00+09:00": a minute of a day in Japan time, as the indicators stamp them.
QString stamp(QDate date, int minuteOfDay)
{
    return date.toString(u"yyyy-MM-dd"_s) + u"T%1:%2:00+09:00"_s.arg(minuteOfDay / 60, 2, 10, QChar(u'0'))
                                                .arg(minuteOfDay % 60, 2, 10, QChar(u'0'));
}

/// A random source of its own for each page and purpose.
Rng pageRng(const QuoteView& q, QStringView purpose)
{
    return Rng(mixSeed(mixSeed(static_cast<std::uint64_t>(q.date.toJulianDay()) * 1440 + q.minute, q.code),
                       purpose));
}

QJsonObject indicator(const QString& name, const QString& value, QDate date, const QString& meta)
{
    return {{u"name"_s, name},
            {u"value"_s, value},
            {u"updateDate"_s, date.toString(u"MM/dd"_s)},
            {u"updateDateMeta"_s, meta}};
}

/// The price board: display texts, each price as an object with its `value`.
QJsonObject board(const QuoteView& q)
{
    const bool traded = q.volume > 0;
    const double change = q.price - q.prevClose;
    auto value = [](const QString& text) { return QJsonObject{{u"value"_s, text}}; };
    return {{u"stockType"_s, u"STOCK"_s},
            {u"typeDetail"_s, u"STOCK"_s},
            {u"name"_s, q.companyName},
            {u"code"_s, q.code},
            {u"codeWithMarketExtension"_s, QString(q.code + u".T"_s)},
            {u"label"_s, u"東証PRM"_s},
            {u"price"_s, value(traded ? formatNumber(q.price) : u"---"_s)},
            {u"priceChange"_s, value(traded ? boardChange(change) : Undefined)},
            {u"priceChangeRate"_s, value(traded ? boardChangeRate(change, q.prevClose) : Undefined)},
            {u"pressReleaseDate"_s, QString()},
            // The time of the price in the session; the date of the last price before the first trade.
            {u"japanUpdateTime"_s,
             quoteBoardTime(q, traded ? formatMinute(shownMinute(q)) : q.prevDate.toString(u"M/d"_s))},
            {u"delayMinutes"_s, q.realTime ? 0 : 20},
            {u"statusLabel"_s,
             QJsonObject{{u"crossStatus"_s, Undefined},
                         {u"highStopText"_s, traded && q.limitUpReached ? u"ストップ高"_s : Undefined},
                         {u"lowStopText"_s, traded && q.limitDownReached ? u"ストップ安"_s : Undefined},
                         {u"isNisaGrowth"_s, true}}},
            {u"industry"_s, QJsonObject{{u"industryName"_s, q.industry}}},
            {u"usStock"_s, Undefined},
            {u"delayMinutesSuffix"_s, u"株価"_s}};
}

/// The detail data: the day's figures as indicators, each stamped with when it was last updated.
QJsonObject detailData(const QuoteView& q)
{
    const bool traded = q.volume > 0;
    const QString none = u"---"_s;
    const QString now = stamp(q.date, q.minute);
    QJsonObject high =
        indicator(u"高値"_s, traded ? formatNumber(q.high) : none, q.date, stamp(q.date, q.highMinute));
    high.insert(u"stopLabel"_s,
                traded && q.limitUpReached
                    ? QJsonValue(QJsonObject{{u"text"_s, u"ストップ高"_s}, {u"status"_s, u"rising"_s}})
                    : QJsonValue(Undefined));
    QJsonObject low =
        indicator(u"安値"_s, traded ? formatNumber(q.low) : none, q.date, stamp(q.date, q.lowMinute));
    low.insert(u"stopLabel"_s,
               traded && q.limitDownReached
                   ? QJsonValue(QJsonObject{{u"text"_s, u"ストップ安"_s}, {u"status"_s, u"falling"_s}})
                   : QJsonValue(Undefined));
    QJsonObject volume = indicator(u"出来高"_s, formatNumber(double(q.volume)), q.date, now);
    volume.insert(u"suffix"_s, u"株"_s);
    const QJsonObject indicators{
        {u"previousPrice"_s, indicator(u"前日終値"_s, formatNumber(q.prevClose), q.prevDate,
                                       q.prevDate.toString(u"yyyy-MM-dd"_s))},
        {u"openPrice"_s,
         indicator(u"始値"_s, traded ? formatNumber(q.open) : none, q.date, stamp(q.date, 9 * 60))},
        {u"highPrice"_s, high},
        {u"lowPrice"_s, low},
        {u"volume"_s, volume},
        {u"tradingValue"_s,
         indicator(u"売買代金"_s, formatNumber(double(q.volume) * q.price / 1000.0), q.date, now)},
        {u"priceLimit"_s,
         indicator(u"値幅制限"_s, formatNumber(q.limitDown) + u"〜"_s + formatNumber(q.limitUp), q.date,
                   stamp(q.date, 0))},
        {u"bidPrice"_s,
         QJsonObject{{u"name"_s, u"買気配"_s}, {u"value"_s, none}, {u"updateDateMeta"_s, Undefined}}},
        {u"askPrice"_s,
         QJsonObject{{u"name"_s, u"売気配"_s}, {u"value"_s, none}, {u"updateDateMeta"_s, Undefined}}}};
    return {{u"isApiError"_s, false}, {u"indicators"_s, indicators}};
}

/// The row of the page's store, the price board inside it written with `currentKey` first as the
/// service does.
QString storeRow(const QuoteView& q, const QString& boardJson)
{
    QJsonObject store{{u"pageInfo"_s, QJsonObject{{u"code"_s, QString(q.code + u".T"_s)},
                                                  {u"currentKey"_s, u"stocksContents"_s},
                                                  {u"itemType"_s, u"stock"_s}}}};
    Rng rng(mixSeed(static_cast<std::uint64_t>(q.date.toJulianDay()) * 1440 + q.minute, q.code));
    addCommonSections(store, rng, q.date);
    QJsonArray nav;
    for (const auto& [key, title] : {std::pair{u"detail"_s, u"詳細"_s}, {u"chart"_s, u"チャート"_s}})
        nav.append(QJsonObject{{u"key"_s, key},
                               {u"link"_s, QString(u"/quote/"_s + q.code + u".T/"_s + key)},
                               {u"title"_s, title}});
    QString json = compact(store);
    json.chop(1);
    json += u",\"priceBoard\":{\"currentKey\":\"detail\",\"board\":"_s + boardJson + u",\"navItems\":"_s +
            compact(nav) + u"}}"_s;
    return u"[\"$\",\"$L25\",null,{\"preloadedStore\":"_s + json + u"}]"_s;
}

} // namespace

QString streamStringLiteral(const QString& text)
{
    QString literal = compact(QJsonArray{text});
    literal = literal.mid(1, literal.size() - 2); // the array's brackets
    // These characters only stand inside the string, where the escapes mean the same text.
    literal.replace(u'&', u"\\u0026"_s);
    literal.replace(u'<', u"\\u003c"_s);
    literal.replace(u'>', u"\\u003e"_s);
    return literal;
}

QString streamScripts(const QStringList& pushes)
{
    QString s = u"<script>(self.__next_f=self.__next_f||[]).push([0])</script>\n"_s;
    for (const QString& push : pushes)
        s += u"<script>self.__next_f.push([1,"_s + streamStringLiteral(push) + u"])</script>\n"_s;
    return s;
}

QString quoteStream(const QuoteView& q)
{
    Rng rng = pageRng(q, u"ids");
    const int storeId = 0x20 + rng.below(0x40);
    const int detailId = storeId + 1 + rng.below(16);
    const int textId = 0x10 + rng.below(0x10);
    const QString script = u"\n  YAHOO = window.YAHOO || {};\n  YAHOO.JP = YAHOO.JP || {};\n  YAHOO.JP.fin = "
                           u"{\"code\":\""_s +
                           q.code + u".T\",\"device\":\"pc\"};"_s;
    QString s =
        u"1:\"$Sreact.fragment\"\n3:I[339756,[\"/_next/static/chunks/2mfds_cbkzka0.js\"],\"default\"]\n"
        u"0:{\"P\":null,\"c\":[\"\",\"pc\",\"stock\",\"quote\",\""_s +
        q.code + u".T\"],\"q\":\"\",\"i\":false}\n"_s;
    // A text row, its length in UTF-8 bytes, runs straight into the next row.
    s += hex(textId) + u":T"_s + hex(int(script.toUtf8().size())) + u',' + script;
    s += hex(storeId) + u':' + storeRow(q, compact(board(q))) + u'\n';
    s += hex(detailId) +
         u":[\"$\",\"section\",null,{\"className\":\"$undefined\",\"children\":[[\"$\",\"$L48\",null,{"
         u"\"head\":"
         u"\"株価詳細値\",\"invisible\":true}],[\"$\",\"$L63\",null,{\"detailData\":"_s +
         compact(detailData(q)) + u"}]]}]\n"_s;
    s += hex(detailId + 1) + u":[\"$\",\"$L64\",null,{\"sectionId\":\"reference\",\"detailData\":\"$"_s +
         hex(detailId) + u":props:children:1:props:detailData\",\"code\":\""_s + q.code + u".T\"}]\n"_s;
    s += hex(detailId + 2) + u":null\n"_s;
    return s;
}

QString streamedQuotePage(const QuoteView& q)
{
    const QString stream = quoteStream(q);
    // Cut at the ends of a few rows, and on some pages inside the price board as well.
    QList<qsizetype> cuts{stream.indexOf(u"\n0:"_s) + 1, stream.indexOf(u"\"preloadedStore\""_s),
                          stream.indexOf(u"\"detailData\":{"_s)};
    Rng rng = pageRng(q, u"cuts");
    if (rng.below(3) == 0) {
        const qsizetype board = stream.indexOf(u"\"board\":{"_s);
        qsizetype cut = board + 8 + rng.below(int(stream.indexOf(u",\"navItems\""_s) - board - 8));
        if (stream[cut].isLowSurrogate())
            ++cut;
        cuts.append(cut);
    }
    std::sort(cuts.begin(), cuts.end());
    QStringList pushes;
    qsizetype from = 0;
    for (const qsizetype cut : std::as_const(cuts)) {
        pushes.append(stream.mid(from, cut - from));
        from = cut;
    }
    pushes.append(stream.mid(from));

    const bool traded = q.volume > 0;
    const double change = q.price - q.prevClose;
    const QString none = u"---"_s;
    const QString body =
        u"<div class=\""_s + cls(u"BasePriceBoard", u"wrapper") + u"\">"_s +
        priceBoardMarkup(u"priceBoard"_s, q.companyName, traded ? formatNumber(q.price) : none,
                         traded ? boardChange(change) : none,
                         traded ? boardChangeRate(change, q.prevClose) : none,
                         traded ? formatMinute(shownMinute(q)) : q.prevDate.toString(u"M/d"_s)) +
        u"<section class=\""_s + cls(u"StocksDetail", u"main") + u"\"><h2 class=\""_s +
        cls(u"Heading", u"title") + u"\" hidden>株価詳細値</h2></section>"_s + newsMarkup() + u"</div>"_s;
    return siteShell(q.companyName + u"【"_s + q.code + u"】：株価・株式情報 - Tickoraマーケット"_s, body,
                     streamScripts(pushes));
}

QString streamedIndexPage(const IndexView& ix)
{
    const double change = ix.value - ix.prevClose;
    const QString name = u"日経平均株価"_s;
    const QString price = formatNumber(ix.value, 2);
    const TimeForm form = ix.timeForm == TimeForm::Short ? TimeForm::Dated : ix.timeForm;
    const QString time = boardTime(form, ix.date, ix.minute);
    const QJsonObject board{{u"marketName"_s, u"国内指数"_s},
                            {u"code"_s, ix.code},
                            {u"name"_s, name},
                            {u"price"_s, price},
                            {u"changePrice"_s, boardChange(change, 2)},
                            {u"changePriceRate"_s, boardChangeRate(change, ix.prevClose)},
                            {u"japanUpdateTime"_s, time},
                            {u"delayMinutes"_s, 0}};
    const QJsonObject detail{{u"code"_s, ix.code},
                             {u"previousPrice"_s, formatNumber(ix.prevClose, 2)},
                             {u"openPrice"_s, formatNumber(ix.open, 2)},
                             {u"highPrice"_s, formatNumber(ix.high, 2)},
                             {u"lowPrice"_s, formatNumber(ix.low, 2)}};
    const QJsonObject store{{u"mainDomesticIndexPriceBoard"_s, QJsonObject{{u"indexPrices"_s, board}}},
                            {u"mainDomesticIndexDetail"_s, QJsonObject{{u"indexPrices"_s, detail}}}};
    const QString stream =
        u"1:\"$Sreact.fragment\"\n0:{\"P\":null,\"c\":[\"\",\"pc\",\"index\",\"quote\",\"998407.O\"]}\n"
        u"2a:[\"$\",\"$L25\",null,{\"preloadedStore\":"_s +
        compact(store) + u"}]\n2b:null\n"_s;
    const QString body =
        u"<div class=\""_s + cls(u"BasePriceBoard", u"wrapper") + u"\">"_s +
        priceBoardMarkup(u"mainDomesticIndexPriceBoard"_s, name, price, boardChange(change, 2),
                         boardChangeRate(change, ix.prevClose), time) +
        newsMarkup() + u"</div>"_s;
    return siteShell(name + u"【998407.O】：指数・株価 - Tickoraマーケット"_s, body, streamScripts({stream}));
}

} // namespace tickora::market
