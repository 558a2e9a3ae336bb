#include "chartsources.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

ChartDownload make(const Config& config, const QUrl& base, const QString& path, const QString& query,
                   const QString& fileName, bool oneChart)
{
    return ChartDownload{serviceUrl(base, path, query), config.dataFile(fileName), oneChart};
}

QString stockSymbol(qint16 code)
{
    return u"s="_s + QString::number(code) + u".T"_s;
}

} // namespace

ChartDownload yearChart(const Config& config, qint16 code)
{
    return make(config, config.chartBase, u"/b"_s,
                stockSymbol(code) + u"&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s, u"chart.jpg"_s, false);
}

ChartDownload sixMonthChart(const Config& config, qint16 code)
{
    // The 6-month address carries one double-quote character after "c=".
    return make(config, config.chartBase, u"/z"_s,
                stockSymbol(code) + u"&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=\""_s, u"ny.gif"_s, false);
}

ChartDownload thumbnailChart(const Config& config, qint16 code, int screenPixelsY)
{
    const QString path = screenPixelsY > 800 ? u"/f"_s : u"/t"_s;
    return make(config, config.chartBase, path, stockSymbol(code), u"yahoo.jpg"_s, false);
}

ChartDownload nikkeiSixMonthChart(const Config& config)
{
    return make(config, config.chartBase, u"/z"_s, u"s=998407.O&t=6m&q=c&l=off&z=m&p=m65,m130&a=r,w&c="_s,
                u"Mchart.jpg"_s, true);
}

ChartDownload nikkeiIndexChart(const Config& config)
{
    return make(config, config.nikkeiChartBase, u"/gifdata/nk_chart_L.gif"_s, QString(), u"rel.jpg"_s, true);
}

ChartDownload nyNikkeiChart(const Config& config)
{
    return make(config, config.nikkeiChartBase, u"/chart/nka_l.gif"_s, QString(), u"nkh.gif"_s, true);
}

ChartDownload advanceDeclineChart(const Config& config)
{
    return make(config, config.marketDataBase, u"/Pics/Stock/Day/K001881.GIF"_s, QString(), u"trk.gif"_s,
                true);
}

ChartDownload dowChart(const Config& config)
{
    // Shares its file with the 6-month stock chart, so an older file may hold either.
    return make(config, config.brokerBase, u"/rakutensecj/common/analytic.jsp"_s,
                u"ric=.DJI&per=1&width=755&height=400&tp=0&sma=1&vol=1"_s, u"ny.gif"_s, false);
}

ChartDownload dollarYenChart(const Config& config)
{
    return make(config, config.fxBase, u"/asp4gif/japan_gif.asp"_s,
                u"code=JPY&exch=CU&type=2&interval=3&upper=0&lower=0&x=360&y=360&barno=100"_s, u"japan.gif"_s,
                true);
}

std::optional<qint16> chartCodeFromText(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    int value = 0;
    int digits = 0;
    // Whole part: ASCII digits only; stop counting once past the 16-bit range.
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
        ++digits;
        if (value <= 32767)
            value = value * 10 + (t[i].unicode() - u'0');
    }
    bool fractionDigits = false;
    if (i < t.size() && t[i] == u'.') {
        // A point may only be followed by zeros: 7203.0 is the whole number 7203, 7203.5 is not.
        for (++i; i < t.size() && t[i] == u'0'; ++i)
            fractionDigits = true;
    }
    if (i != t.size() || (digits == 0 && !fractionDigits) || value > 32767)
        return std::nullopt;
    return qint16(value);
}

} // namespace tickora
