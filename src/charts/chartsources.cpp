#include "chartsources.h"

#include "exchange/securitycode.h"
#include "platform/datafolder.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

ChartDownload make(const Config& config, const QUrl& base, const QString& path, const QString& query,
                   const QString& fileName, bool oneChart)
{
    return ChartDownload{serviceUrl(base, path, query), config.dataFile(fileName), oneChart};
}

QString stockSymbol(const QString& code)
{
    return u"s="_s + code + u".T"_s;
}

} // namespace

ChartDownload yearChart(const Config& config, const QString& code)
{
    return make(config, config.chartBase, u"/b"_s,
                stockSymbol(code) + u"&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s,
                DataFolder::yearChartPicture(), false);
}

ChartDownload sixMonthChart(const Config& config, const QString& code)
{
    // The 6-month address carries one double-quote character after "c=".
    return make(config, config.chartBase, u"/z"_s,
                stockSymbol(code) + u"&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=\""_s,
                DataFolder::sixMonthChartPicture(), false);
}

ChartDownload thumbnailChart(const Config& config, const QString& code, int screenPixelsY)
{
    const QString path = screenPixelsY > 800 ? u"/f"_s : u"/t"_s;
    return make(config, config.chartBase, path, stockSymbol(code), DataFolder::thumbnailPicture(), false);
}

ChartDownload nikkeiSixMonthChart(const Config& config)
{
    return make(config, config.chartBase, u"/z"_s, u"s=998407.O&t=6m&q=c&l=off&z=m&p=m65,m130&a=r,w&c="_s,
                DataFolder::nikkeiSixMonthPicture(), true);
}

ChartDownload nikkeiIndexChart(const Config& config)
{
    return make(config, config.nikkeiChartBase, u"/gifdata/nk_chart_L.gif"_s, QString(),
                DataFolder::nikkeiIndexPicture(), true);
}

ChartDownload nyNikkeiChart(const Config& config)
{
    return make(config, config.nikkeiChartBase, u"/chart/nka_l.gif"_s, QString(),
                DataFolder::nyNikkeiPicture(), true);
}

ChartDownload advanceDeclineChart(const Config& config)
{
    return make(config, config.marketDataBase, u"/Pics/Stock/Day/K001881.GIF"_s, QString(),
                DataFolder::advanceDeclinePicture(), true);
}

ChartDownload dowChart(const Config& config)
{
    // Shares its file with the 6-month stock chart, so an older file may hold either.
    return make(config, config.brokerBase, u"/rakutensecj/common/analytic.jsp"_s,
                u"ric=.DJI&per=1&width=755&height=400&tp=0&sma=1&vol=1"_s, DataFolder::dowChartPicture(),
                false);
}

ChartDownload dollarYenChart(const Config& config)
{
    return make(config, config.fxBase, u"/asp4gif/japan_gif.asp"_s,
                u"code=JPY&exch=CU&type=2&interval=3&upper=0&lower=0&x=360&y=360&barno=100"_s,
                DataFolder::dollarYenPicture(), true);
}

std::optional<QString> chartCodeFromText(const QString& text)
{
    return canonicalCode(text);
}

} // namespace tickora
