#include "statepages.h"

#include "history.h"
#include "markuppages.h"
#include "siteshell.h"
#include "textformats.h"
#include "timeforms.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include <cmath>
#include <tuple>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

QString shortDate(QDate date)
{
    return date.isValid() ? date.toString(u"yy/MM/dd"_s) : u"--/--/--"_s;
}

/// Milliseconds since the epoch of a minute of a day in Tokyo.
qint64 tokyoMillis(QDate date, int minuteOfDay)
{
    return QDateTime(date, QTime(minuteOfDay / 60, minuteOfDay % 60), QTimeZone(9 * 3600))
        .toMSecsSinceEpoch();
}

/// The whole page around its state and body markup.
QString shell(const QString& title, const QString& bodyMarkup, const QJsonObject& state)
{
    return siteShell(title, bodyMarkup,
                     u"<script>\n"
                     u"    // The state the page is drawn from, written by the server as JSON.\n"
                     u"    // Client code reads it once at start and then drops it.\n"
                     u"    window.__PRELOADED_STATE__ = "_s +
                         scriptSafeJson(state) + u"</script>\n"_s);
}

QJsonArray dailyBars(const QList<Bar>& days)
{
    QJsonArray bars;
    for (const Bar& b : days)
        bars.append(
            QJsonObject{{u"baseDatetime"_s, QString(b.date.toString(u"yyyy-MM-dd"_s) + u"T00:00:00+09:00"_s)},
                        {u"openPrice"_s, b.open},
                        {u"highPrice"_s, b.high},
                        {u"lowPrice"_s, b.low},
                        {u"closePrice"_s, b.close},
                        {u"volume"_s, b.volume}});
    return bars;
}

QJsonObject chartSetting(const QList<Bar>& days)
{
    return {{u"chartType"_s, u"candle"_s},
            {u"term"_s, u"6m"_s},
            {u"timeSeriesData"_s, QJsonObject{{u"histories"_s, dailyBars(days)}, {u"isDaily"_s, true}}}};
}

} // namespace

QString scriptSafeJson(const QJsonObject& state)
{
    QString json = QString::fromUtf8(QJsonDocument(state).toJson(QJsonDocument::Compact));
    // "<" only occurs inside strings in JSON, where "\/" and "\u003c" mean the same text.
    json.replace(u"<!--"_s, u"\\u003c!--"_s);
    json.replace(u"</"_s, u"<\\/"_s);
    return json;
}

QString stateQuotePage(const QuoteView& q)
{
    const bool traded = q.volume > 0;
    const double change = q.price - q.prevClose;
    const QString none = u"---"_s;
    const QString time = quoteBoardTime(q, traded ? formatMinute(shownMinute(q)) : monthDay(q.prevDate));
    const QString price = traded ? formatNumber(q.price) : none;
    const QString changeText = traded ? boardChange(change) : none;
    const QString rateText = traded ? boardChangeRate(change, q.prevClose) : none;

    QJsonObject state;
    state.insert(u"pageInfo"_s, QJsonObject{{u"pageType"_s, u"stocks"_s},
                                            {u"currentDateTime"_s, tokyoMillis(q.date, q.minute)},
                                            {u"jwtToken"_s, base36(mixSeed(q.minute, q.code), 12)}});
    state.insert(
        u"mainStocksPriceBoard"_s,
        QJsonObject{{u"priceBoard"_s,
                     QJsonObject{{u"code"_s, q.code},
                                 {u"codeWithMarketExtension"_s, QString(q.code + u".T"_s)},
                                 {u"name"_s, q.companyName},
                                 {u"shortName"_s, q.shortName},
                                 {u"typeDetail"_s, u"STOCK"_s},
                                 {u"marketName"_s, u"東証PRM"_s},
                                 {u"industry"_s, QJsonObject{{u"industryName"_s, q.industry},
                                                             {u"industryItemsLink"_s,
                                                              QString(u"/stocks/qi/?ids="_s + q.industry)}}},
                                 {u"price"_s, price},
                                 {u"priceDateTime"_s, time},
                                 {u"savePrice"_s, price},
                                 {u"priceChange"_s, changeText},
                                 {u"priceChangeRate"_s, rateText},
                                 {u"isRealTime"_s, q.realTime},
                                 {u"isLatest"_s, true},
                                 {u"yearHighPriceFlag"_s, traded && q.yearHighDate == q.date},
                                 {u"yearLowPriceFlag"_s, traded && q.yearLowDate == q.date},
                                 {u"usStock"_s, QJsonValue::Null},
                                 {u"tabInfo"_s,
                                  QJsonArray{u"detail"_s, u"chart"_s, u"history"_s, u"news"_s, u"bbs"_s}}}}});

    const QString volumeText = formatNumber(double(q.volume));
    const QString tradingValue = formatNumber(double(q.volume) * q.price / 1000.0);
    const QJsonObject detail{
        {u"previousPrice"_s, formatNumber(q.prevClose)},
        {u"previousPriceDate"_s, monthDay(q.prevDate)},
        {u"openPrice"_s, traded ? formatNumber(q.open) : none},
        {u"openPriceDateTime"_s, traded ? clockText(9 * 60) : none},
        {u"highPrice"_s, traded ? formatNumber(q.high) : none},
        {u"highPriceDateTime"_s, traded ? clockText(q.highMinute) : none},
        {u"isStopHighPrice"_s, q.limitUpReached},
        {u"lowPrice"_s, traded ? formatNumber(q.low) : none},
        {u"lowPriceDateTime"_s, traded ? clockText(q.lowMinute) : none},
        {u"isStopLowPrice"_s, q.limitDownReached},
        {u"volume"_s, volumeText},
        {u"volumeDateTime"_s, time},
        {u"tradingValue"_s, tradingValue},
        {u"tradingValueDateTime"_s, time},
        {u"priceLimit"_s, QString(formatNumber(q.limitDown) + u"～"_s + formatNumber(q.limitUp))},
        {u"priceLimitDate"_s, monthDay(q.date)},
        {u"isLatestVolumeAndTradingValue"_s, true},
        {u"isLatestOHLC"_s, true}};
    const ShareFigures f = shareFigures(q);
    const double reference = traded ? q.price : q.prevClose;
    const QJsonObject referenceIndex{
        {u"totalPrice"_s, formatNumber(double(q.sharesOutstanding) * reference / 1e6)},
        {u"sharesIssued"_s, formatNumber(double(q.sharesOutstanding))},
        // The live pages give the yield as a number, the other figures as texts.
        {u"shareDividendYield"_s, std::round(10000 * f.dividend / reference) / 100},
        {u"dps"_s, QString::number(f.dividend, 'f', 2)},
        {u"per"_s, QString::number(reference / f.eps, 'f', 2)},
        {u"pbr"_s, QString::number(reference / f.bps, 'f', 2)},
        {u"eps"_s, QString::number(f.eps, 'f', 2)},
        {u"bps"_s, QString::number(f.bps, 'f', 2)},
        {u"minPrice"_s, formatNumber(reference * double(q.unitShares))},
        {u"shareUnit"_s, q.unitShares},
        {u"yearHighPrice"_s, formatNumber(q.yearHigh)},
        {u"yearHighPriceDate"_s, shortDate(q.yearHighDate)},
        {u"yearLowPrice"_s, formatNumber(q.yearLow)},
        {u"yearLowPriceDate"_s, shortDate(q.yearLowDate)}};
    const QJsonObject emptyBoard{
        {u"ask"_s, QJsonObject{{u"price"_s, none}, {u"prefix"_s, QJsonValue::Null}}},
        {u"stock"_s, QJsonObject{{u"price"_s, none}}},
        {u"bid"_s, QJsonObject{{u"price"_s, none}, {u"prefix"_s, QJsonValue::Null}}}};
    state.insert(u"mainStocksDetail"_s, QJsonObject{{u"detail"_s, detail},
                                                    {u"boards"_s, QJsonArray{emptyBoard, emptyBoard}},
                                                    {u"referenceIndex"_s, referenceIndex}});
    state.insert(u"mainItemDetailChartSetting"_s, chartSetting(q.recentDays));
    Rng rng(mixSeed(static_cast<std::uint64_t>(q.date.toJulianDay()) * 1440 + q.minute, q.code));
    addCommonSections(state, rng, q.date);

    const QString body =
        u"<div class=\""_s + cls(u"BasePriceBoard", u"wrapper") + u"\">"_s +
        priceBoardMarkup(u"mainStocksPriceBoard"_s, q.companyName, price, changeText, rateText, time) +
        newsMarkup() + u"</div>"_s;
    return shell(q.companyName + u"【"_s + q.code + u"】：株価・株式情報 - Tickoraマーケット"_s, body, state);
}

QString stateNotFoundPage(const QString& code)
{
    QJsonObject state;
    state.insert(u"pageInfo"_s, QJsonObject{{u"pageType"_s, u"notFound"_s}});
    state.insert(u"mainNotFound"_s,
                 QJsonObject{{u"message"_s, u"該当する銘柄はありません"_s}, {u"searchWord"_s, code}});
    Rng rng(mixSeed(0, code));
    addCommonSections(state, rng, QDate());
    const QString body = u"<section id=\"mainNotFound\" class=\""_s + cls(u"Notice", u"main") +
                         u"\"><h2>該当する銘柄はありません</h2><p>「"_s + htmlEscape(code) +
                         u"」に該当する銘柄は見つかりませんでした。</p></section>\n"_s + newsMarkup();
    return shell(u"指定されたページは存在しません - Tickoraマーケット"_s, body, state);
}

QString stateIndexPage(const IndexView& ix)
{
    const double change = ix.value - ix.prevClose;
    const QString name = u"日経平均株価"_s;
    const QString price = formatNumber(ix.value, 2);
    const QString changeText = boardChange(change, 2);
    const QString rateText = boardChangeRate(change, ix.prevClose);
    const QString time = boardTime(ix.timeForm, ix.date, ix.minute);
    const QDate prevDate = ix.recentDays.isEmpty() ? previousTradingDay(ix.date) : ix.recentDays.last().date;

    QJsonObject state;
    state.insert(u"pageInfo"_s, QJsonObject{{u"pageType"_s, u"indices"_s},
                                            {u"currentDateTime"_s, tokyoMillis(ix.date, ix.minute)}});
    // The board and the day's figures as the index pages have them since 2026.
    state.insert(u"mainDomesticIndexPriceBoard"_s,
                 QJsonObject{{u"indexPrices"_s, QJsonObject{{u"marketName"_s, u"国内指数"_s},
                                                            {u"code"_s, ix.code},
                                                            {u"name"_s, name},
                                                            {u"price"_s, price},
                                                            {u"savePrice"_s, price},
                                                            {u"changePrice"_s, changeText},
                                                            {u"changePriceRate"_s, rateText},
                                                            {u"japanUpdateTime"_s, time},
                                                            {u"delayMinutes"_s, 0},
                                                            {u"isLatest"_s, true}}},
                             {u"currentTabNavigationKey"_s, u"detail"_s},
                             {u"isLoading"_s, false},
                             {u"isError"_s, false}});
    state.insert(
        u"mainDomesticIndexDetail"_s,
        QJsonObject{{u"indexPrices"_s, QJsonObject{{u"code"_s, ix.code},
                                                   {u"previousPrice"_s, formatNumber(ix.prevClose, 2)},
                                                   {u"previousPriceDate"_s, monthDay(prevDate)},
                                                   {u"openPrice"_s, formatNumber(ix.open, 2)},
                                                   {u"highPrice"_s, formatNumber(ix.high, 2)},
                                                   {u"lowPrice"_s, formatNumber(ix.low, 2)},
                                                   {u"volume"_s, QString()}}},
                    {u"isLoading"_s, false},
                    {u"isError"_s, false}});
    QJsonArray others;
    for (const auto& [code, label, value, diff] :
         {std::tuple{u"998405"_s, u"TOPIX"_s, ix.topix, ix.topixChange},
          {u"^DJI"_s, u"NYダウ"_s, ix.dow, ix.dowChange},
          {u"USDJPY=FX"_s, u"米ドル/円"_s, ix.usdJpy, ix.usdJpyChange}})
        others.append(QJsonObject{{u"code"_s, code},
                                  {u"name"_s, label},
                                  {u"price"_s, formatNumber(value, 2)},
                                  {u"priceChange"_s, boardChange(diff, 2)}});
    state.insert(u"mainIndexList"_s, QJsonObject{{u"indices"_s, others}});
    state.insert(u"mainItemDetailChartSetting"_s, chartSetting(ix.recentDays));
    Rng rng(mixSeed(static_cast<std::uint64_t>(ix.date.toJulianDay()) * 1440 + ix.minute, u"998407"));
    addCommonSections(state, rng, ix.date);

    const QString body =
        u"<div class=\""_s + cls(u"BasePriceBoard", u"wrapper") + u"\">"_s +
        priceBoardMarkup(u"mainDomesticIndexPriceBoard"_s, name, price, changeText, rateText, time) +
        newsMarkup() + u"</div>"_s;
    return shell(name + u"【998407.O】：指数・株価 - Tickoraマーケット"_s, body, state);
}

} // namespace tickora::market
