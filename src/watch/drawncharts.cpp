// Drawn charts on demand: a stock's year or six months, and the market-wide charts, each drawn
// from the series it needs.
#include "drawncharts.h"

#include "platform/savefile.h"

#include <QBuffer>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

/// What a drawn file holds, as the address the downloaded pictures are noted under.
QUrl drawnHolds(const QString& what)
{
    QUrl url;
    url.setScheme(u"drawn"_s);
    url.setPath(what);
    return url;
}

/// Options titled `title` with `decimals`, drawn at `dpr`, showing the last `windowDays` (0: all).
ChartOptions optionsOf(const QString& title, int decimals, double dpr, int windowDays = 0)
{
    ChartOptions o{title, decimals};
    o.devicePixelRatio = dpr;
    o.windowDays = windowDays;
    return o;
}

} // namespace

DrawnCharts::DrawnCharts(const Services& services, ChartRoutinesHost& host, ChartFiles& files,
                         QObject* parent)
    : ChartStrategy(parent), m_services(services), m_host(host), m_files(files),
      m_series(services, host, this)
{
}

DrawnCharts::Plan DrawnCharts::stockPlan(const QString& code, StockSpan span)
{
    const bool year = span == StockSpan::Year;
    Plan plan;
    plan.symbols = {code + u".T"_s};
    plan.kind = year ? ChartKind::Year : ChartKind::HalfYear;
    plan.size = year ? drawnsize::Year : drawnsize::SixMonth;
    const QString spanText = year ? u"  1年"_s : u"  6ヶ月"_s;
    plan.title = code + spanText;
    plan.draw = [plan, code, spanText, year](const QList<PriceSeries>& s, double dpr) {
        ChartOptions o{s[0].name.isEmpty() ? plan.title : code + u" "_s + s[0].name + spanText};
        o.devicePixelRatio = dpr;
        // Both charts draw from a year of days, so the 130-day average runs across the half year too.
        return year ? drawYearChart(s[0], plan.size, o) : drawHalfYearChart(s[0], plan.size, o);
    };
    return plan;
}

DrawnCharts::Plan DrawnCharts::marketPlan(MarketChart chart)
{
    Plan plan;
    switch (chart) {
    case MarketChart::NikkeiSixMonth:
        plan = {{u"^N225"_s},
                false,
                ChartKind::NikkeiHalfYear,
                drawnsize::NikkeiSixMonth,
                u"日経平均株価  6ヶ月"_s,
                {}};
        plan.draw = [plan](const QList<PriceSeries>& s, double dpr) {
            return drawIndexHalfYearChart(s[0], plan.size, optionsOf(plan.title, 2, dpr));
        };
        break;
    case MarketChart::NyNikkei:
        plan = {{u"^DJI"_s, u"^N225"_s},       false, ChartKind::Comparison, drawnsize::IndexChart,
                u"ＮＹダウ・日経平均 3ヶ月"_s, {}};
        plan.draw = [plan](const QList<PriceSeries>& s, double dpr) {
            return drawComparisonChart(s[0], s[1], plan.size, optionsOf(plan.title, 1, dpr, 92));
        };
        break;
    case MarketChart::Dow:
        plan = {{u"^DJI"_s}, false, ChartKind::Line, drawnsize::Dow, u"NYダウ工業株30種平均 (^DJI)  3ヶ月"_s,
                {}};
        plan.draw = [plan](const QList<PriceSeries>& s, double dpr) {
            return drawLineChart(s[0], plan.size, optionsOf(plan.title, 2, dpr, 92));
        };
        break;
    case MarketChart::DollarYen:
        plan = {{u"JPY=X"_s}, true, ChartKind::Line, drawnsize::DollarYen, u"USD/JPY 5分足"_s, {}};
        plan.draw = [plan](const QList<PriceSeries>& s, double dpr) {
            return drawLineChart(s[0], plan.size, optionsOf(plan.title, 3, dpr));
        };
        break;
    }
    return plan;
}

void DrawnCharts::stockChart(const QString& code, StockSpan span, Show show)
{
    draw(stockChartDownload(m_services.config, code, span), stockPlan(code, span), std::move(show), {});
}

void DrawnCharts::marketChart(MarketChart chart, Show show, Then then)
{
    draw(marketChartDownload(m_services.config, chart), marketPlan(chart), std::move(show), std::move(then));
}

void DrawnCharts::writeDrawn(const QString& file, const QUrl& holds, const QImage& picture)
{
    if (replaceFileUnsynced(file, pngOf(picture)))
        m_files.noteHolds(file, holds);
    else
        m_files.forget(file); // what the file holds now is not known
}

void DrawnCharts::gather(std::shared_ptr<QList<PriceSeries>> got, const Plan& plan,
                         std::function<void(bool)> done)
{
    if (got->size() == plan.symbols.size())
        return done(true);
    const QString symbol = plan.symbols[got->size()];
    auto next = [this, got, plan, done = std::move(done)](const std::optional<PriceSeries>& series) {
        if (!series)
            return done(false);
        got->append(*series);
        gather(got, plan, done);
    };
    if (plan.intraday)
        m_series.fetch(symbol, ChartRange::OneDay, ChartInterval::FiveMinutes, std::move(next));
    else
        m_series.year(symbol, std::move(next));
}

void DrawnCharts::draw(const ChartDownload& chart, const Plan& plan, Show show, Then then)
{
    const QUrl holds = drawnHolds(u"%1/%2"_s.arg(int(plan.kind)).arg(plan.symbols.join(u'+')));
    auto got = std::make_shared<QList<PriceSeries>>();
    gather(got, plan,
           [this, chart, plan, holds, got, show = std::move(show), then = std::move(then)](bool ok) {
               QImage picture;
               const double dpr = displayRatio();
               if (ok) {
                   // Shown at the screen's pixel ratio; the file keeps the chart's size in pixels.
                   picture = plan.draw(*got, dpr).image;
                   writeDrawn(chart.file, holds, dpr == 1 ? picture : plan.draw(*got, 1).image);
               } else {
                   // No series: the file is shown again only when it holds this very chart.
                   if (m_files.holds(chart, holds))
                       picture = m_files.load(chart.file);
                   if (picture.isNull())
                       picture = drawEmptyChart(plan.kind, plan.size, plan.title, dpr).image;
               }
               show(picture);
               if (then)
                   then();
           });
}

} // namespace tickora
