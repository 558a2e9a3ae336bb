// Fuzzes the chart JSON and page-state readers: sound bars in time order that write and read back the same.

#include "charts/seriesreader.h"
#include "fuzzcheck.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

namespace {

void checkBars(const QList<PriceBar>& bars, const char* what)
{
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const PriceBar& b = bars[i];
        check(std::isfinite(b.open) && std::isfinite(b.high) && std::isfinite(b.low) &&
                  std::isfinite(b.close) && std::isfinite(b.volume) && b.volume >= 0,
              what, u"a value is not finite"_s);
        check(b.low <= b.open && b.low <= b.close && b.open <= b.high && b.close <= b.high, what,
              u"low, open, close and high out of order"_s);
        check(i == 0 || bars[i - 1].time < b.time, what, u"times out of order or repeated"_s);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto series = readChartJson(body, 1 << 20);
    if (series) {
        checkBars(series->bars, "chart JSON bars");
        const auto again = readChartJson(chartJsonFromSeries(*series), 64 << 20);
        check(again.has_value() && again->bars.size() == series->bars.size(), "a written series reads back");
        for (qsizetype i = 0; i < series->bars.size(); ++i) {
            const PriceBar &a = series->bars[i], &b = again->bars[i];
            check(a.time == b.time && a.open == b.open && a.high == b.high && a.low == b.low &&
                      a.close == b.close && a.volume == b.volume,
                  "a written bar reads back the same");
        }
    }
    check(!readChartJson(body, qsizetype(size) - 1) || size == 0, "a body over the cap is not read");
    checkBars(readHistories(QJsonDocument::fromJson(body).object()), "page-state bars");
    return 0;
}
