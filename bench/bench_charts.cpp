// Charts drawn from price series: twelve thumbnails, a 1-year chart with its averages, and
// reading a 1-year chart JSON body. Figures only.
#include "charts/chartpainter.h"
#include "charts/seriesreader.h"
#include "marketfixture.h"
#include "sections.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace tickora::bench {

namespace {

using namespace Qt::StringLiterals;

/// A wandering daily series of `days` bars, or a day of five-minute bars.
PriceSeries walk(int count, qint64 step, std::uint32_t seed)
{
    PriceSeries s;
    s.symbol = u"7203.T"_s;
    s.name = u"トヨタ自動車"_s;
    s.gmtOffset = 32400;
    s.previousClose = 2500;
    double price = 2500;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double r = (double(seed >> 8) / double(1u << 24) - 0.5) * 0.04;
        const double open = price;
        price = std::max(1.0, price * (1 + r));
        s.bars.append({1726585200 + i * step, open, std::max(open, price) * 1.005,
                       std::min(open, price) * 0.995, price, 1e6 * (1 + std::abs(r) * 20)});
    }
    return s;
}

/// Milliseconds per run of `work`, over at least `minSeconds`.
double millisecondsPer(const std::function<void()>& work, double minSeconds = 0.5)
{
    work(); // fonts and glyph caches are loaded once
    int runs = 0;
    const double start = nowSeconds();
    double elapsed = 0;
    do {
        work();
        ++runs;
        elapsed = nowSeconds() - start;
    } while (elapsed < minSeconds);
    return elapsed * 1000 / runs;
}

} // namespace

int runCharts(const QStringList&)
{
    ensureApplication(); // text is drawn with the platform's fonts

    QList<PriceSeries> days;
    for (std::uint32_t k = 0; k < 12; ++k)
        days.append(walk(66, 300, k + 1)); // 9:00 to 15:30 in five-minute bars
    ChartOptions session;
    session.sessionStartMinute = 9 * 60;
    session.sessionEndMinute = 15 * 60 + 30;
    const double thumbs = millisecondsPer([&] {
        for (const PriceSeries& s : days)
            drawIntradayChart(s, QSize(150, 100), session);
    });
    std::printf("  twelve 150x100 thumbnails:           %8.2f ms\n", thumbs);

    const PriceSeries year = walk(380, 86400, 7); // a year shown, the averages started before it
    const double chart = millisecondsPer([&] { drawYearChart(year, QSize(512, 400)); });
    std::printf("  1-year chart 512x400, 65/130-day:    %8.2f ms\n", chart);
    const double half = millisecondsPer([&] { drawIndexHalfYearChart(year, QSize(537, 377)); });
    std::printf("  index 6 months 537x377, RSI and %%R:  %8.2f ms\n", half);

    const QByteArray body = chartJsonFromSeries(walk(250, 86400, 9));
    const double read = millisecondsPer([&] {
        if (!readChartJson(body))
            std::printf("  (the body did not read)\n");
    });
    std::printf("  read a 1-year chart JSON (%lld KB):  %8.3f ms\n",
                static_cast<long long>(body.size() / 1024), read);
    return 0;
}

} // namespace tickora::bench
