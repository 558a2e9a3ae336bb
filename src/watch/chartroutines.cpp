#include "chartroutines.h"

#include "platform/savefile.h"

#include <memory>
#include <vector>

namespace tickora {

using namespace Qt::StringLiterals;
using Window = ChartRoutinesHost::Window;

namespace {

void done(const ChartRoutines::Then& then)
{
    if (then)
        then();
}

} // namespace

/// One thumbnail slot of a refresh: its chart, and its answer once it came.
struct ThumbSlot
{
    ChartDownload chart;
    bool hasCode = false;
    bool answered = false;
    HttpResponse response;
};

struct ChartRoutines::ThumbRun
{
    int id = 0;
    std::vector<ThumbSlot> slots;
    size_t next = 0; ///< first slot not yet shown
    size_t unanswered = 0;
    Then then;
};

ChartRoutines::ChartRoutines(const Services& services, ChartRoutinesHost& host, QObject* parent)
    : QObject(parent), m_services(services), m_host(host)
{
}

QImage ChartRoutines::load(const QString& file) const
{
    return m_services.pictures ? m_services.pictures->load(file) : QImage();
}

QImage ChartRoutines::chartPicture(const ChartDownload& chart, bool written)
{
    if (written) {
        m_fileHolds.insert(chart.file, chart.url);
    } else {
        // A failed download left the file as it was. Show it again only when it is known to hold
        // this very chart: never another stock's chart, nor the Dow in a stock's window.
        const auto held = m_fileHolds.constFind(chart.file);
        const bool same = held != m_fileHolds.cend() ? *held == chart.url : chart.fileHoldsOneChart;
        if (!same)
            return {};
    }
    return load(chart.file);
}

void ChartRoutines::fetchChart(const ChartDownload& chart, std::function<void(const QImage&)> show, Then then)
{
    auto finish = [this, chart, show = std::move(show), then = std::move(then)](bool written) {
        show(chartPicture(chart, written));
        done(then);
    };
    if (!m_services.downloader)
        return finish(false);
    m_services.downloader->download(chart.url, chart.file, this, std::move(finish));
}

void ChartRoutines::fetchIntoWindow(const ChartDownload& chart, Window window, Then then)
{
    fetchChart(
        chart, [this, window](const QImage& picture) { m_host.showInWindow(window, picture); },
        std::move(then));
}

void ChartRoutines::showStockChart(const ChartDownload& chart, const DrawnChartPlan& plan, Window window,
                                   int& calls, Then then)
{
    const int call = ++calls;
    auto show = [this, window, call, &calls, then = std::move(then)](const QImage& picture) {
        if (call != calls)
            return; // a later click's chart is on its way, or shown already
        m_host.showInWindow(window, picture);
        done(then);
    };
    if (drawn())
        drawChart(chart, plan, std::move(show), {});
    else
        fetchChart(chart, std::move(show), {});
}

void ChartRoutines::showYearChart(const QString& code, Then then)
{
    showStockChart(yearChart(m_services.config, code), stockChartSpec(code, true), Window::Year,
                   m_yearChartCalls, std::move(then));
}

void ChartRoutines::showSixMonthChart(const QString& code, Then then)
{
    showStockChart(sixMonthChart(m_services.config, code), stockChartSpec(code, false), Window::SixMonth,
                   m_sixMonthChartCalls, std::move(then));
}

void ChartRoutines::refreshThumbnails(Then then)
{
    m_host.closeWindow(Window::NikkeiSixMonth);
    m_host.closeWindow(Window::AdvanceDecline);
    if (drawn())
        return drawThumbnails(std::move(then));
    auto run = std::make_shared<ThumbRun>();
    run->id = ++m_thumbRun;
    run->then = std::move(then);

    const int rows = qBound(0, m_host.watchCount(), 12);
    for (int k = 0; k < rows; ++k) {
        const int row = k + 1;
        ThumbSlot slot;
        if (const auto code = chartCodeFromText(m_host.sheet().cellText(row, grid::Code))) {
            m_host.chartCodeChosen(*code);
            slot.chart = thumbnailChart(m_services.config, *code, m_host.screenPixelsY());
            slot.hasCode = true;
            ++run->unanswered;
        } else {
            // A cell that holds no securities code has no chart; the other rows go on.
            slot.answered = true;
        }
        m_host.setThumbCaption(k, m_host.sheet().cellText(row, grid::Name));
        run->slots.push_back(std::move(slot));
    }

    if (run->unanswered == 0 || !m_services.http) {
        for (ThumbSlot& s : run->slots)
            s.answered = true;
        run->unanswered = 0;
        return showThumbsInOrder(*run);
    }
    for (size_t k = 0; k < run->slots.size(); ++k) {
        if (!run->slots[k].hasCode)
            continue;
        m_services.http->get(chartRequest(run->slots[k].chart.url), this,
                             [this, run, k](const HttpResponse& r) {
                                 ThumbSlot& s = run->slots[k];
                                 s.response = r;
                                 s.answered = true;
                                 --run->unanswered;
                                 showThumbsInOrder(*run);
                             });
    }
}

void ChartRoutines::showThumbsInOrder(ThumbRun& run)
{
    // Shows every slot whose answer is in, in row order, stopping at the first still awaited, so
    // each slot gets its own row's picture and the shared file ends with the last row's.
    for (; run.next < run.slots.size() && run.slots[run.next].answered; ++run.next)
        if (run.id == m_thumbRun) // else a newer refresh owns the slots and the file now
            showThumb(run.next, run.slots[run.next]);
    if (run.next == run.slots.size() && run.unanswered == 0 && run.then)
        std::exchange(run.then, {})();
}

void ChartRoutines::showThumb(size_t k, ThumbSlot& s)
{
    if (!s.hasCode) {
        m_host.showThumb(int(k), QImage());
        return;
    }
    const bool written = s.response.isSuccess() && isAcceptablePicture(s.response.body) &&
                         replaceFileUnsynced(s.chart.file, s.response.body);
    s.response = {};
    QImage picture;
    if (written) {
        picture = load(s.chart.file);
        m_fileHolds.insert(s.chart.file, s.chart.url);
    }
    // The download failed, or brought no readable picture: the slot shows again the last picture
    // it had of this chart.
    if (picture.isNull() && m_thumbUrls[k] == s.chart.url)
        picture = m_thumbPictures[k];
    const QImage held = m_host.showThumb(int(k), picture);
    if (written && !picture.isNull()) {
        // Kept as the slot holds it, cut to its area.
        m_thumbUrls[k] = s.chart.url;
        m_thumbPictures[k] = held;
    }
}

void ChartRoutines::showNikkeiSixMonthChart(Then then)
{
    m_host.closeWindow(Window::NikkeiSixMonth);
    m_host.closeWindow(Window::AdvanceDecline);
    m_host.showMarketChart({});
    if (drawn()) {
        DrawnChartPlan plan{{u"^N225"_s},
                            false,
                            ChartKind::NikkeiHalfYear,
                            drawnsize::NikkeiSixMonth,
                            u"日経平均株価  6ヶ月"_s,
                            {}};
        plan.draw = [plan](const QList<PriceSeries>& s, double dpr) {
            ChartOptions o{plan.title, 2};
            o.devicePixelRatio = dpr;
            return drawIndexHalfYearChart(s[0], plan.size, o);
        };
        return drawIntoWindow(nikkeiSixMonthChart(m_services.config), plan, Window::NikkeiSixMonth,
                              std::move(then));
    }
    fetchIntoWindow(nikkeiSixMonthChart(m_services.config), Window::NikkeiSixMonth, std::move(then));
}

void ChartRoutines::refreshIndexChart(Then then)
{
    m_host.closeWindow(Window::NikkeiSixMonth);
    m_host.closeWindow(Window::AdvanceDecline);
    m_host.showMarketChart({});
    if (drawn())
        return drawIndexChart(std::move(then));
    fetchChart(
        nikkeiIndexChart(m_services.config),
        [this](const QImage& picture) { m_host.showMarketChart(picture); }, std::move(then));
}

void ChartRoutines::showNyNikkeiChart(Then then)
{
    m_host.setMarketTitle(u"ＮＹ日経比較"_s);
    if (drawn()) {
        DrawnChartPlan plan{{u"^DJI"_s, u"^N225"_s},       false,
                            ChartKind::Comparison,         drawnsize::IndexChart,
                            u"ＮＹダウ・日経平均 3ヶ月"_s, {}};
        plan.draw = [plan](const QList<PriceSeries>& s, double dpr) {
            ChartOptions o{plan.title, 1};
            o.devicePixelRatio = dpr;
            o.windowDays = 92;
            return drawComparisonChart(s[0], s[1], plan.size, o);
        };
        return drawChart(
            nyNikkeiChart(m_services.config), plan,
            [this](const QImage& picture) { m_host.showMarketChart(picture); }, std::move(then));
    }
    fetchChart(
        nyNikkeiChart(m_services.config), [this](const QImage& picture) { m_host.showMarketChart(picture); },
        std::move(then));
}

void ChartRoutines::showAdvanceDeclineChart(Then then)
{
    m_host.closeWindow(Window::NikkeiSixMonth);
    fetchIntoWindow(advanceDeclineChart(m_services.config), Window::AdvanceDecline, std::move(then));
}

void ChartRoutines::showDowChart(Then then)
{
    if (drawn()) {
        DrawnChartPlan plan{
            {u"^DJI"_s}, false, ChartKind::Line, drawnsize::Dow, u"NYダウ工業株30種平均 (^DJI)  3ヶ月"_s, {}};
        plan.draw = [plan](const QList<PriceSeries>& s, double dpr) {
            ChartOptions o{plan.title, 2};
            o.windowDays = 92;
            o.devicePixelRatio = dpr;
            return drawLineChart(s[0], plan.size, o);
        };
        return drawIntoWindow(dowChart(m_services.config), plan, Window::Dow, std::move(then));
    }
    fetchIntoWindow(dowChart(m_services.config), Window::Dow, std::move(then));
}

void ChartRoutines::showDollarYenChart(Then then)
{
    if (drawn()) {
        DrawnChartPlan plan{{u"JPY=X"_s},       true, ChartKind::Line, drawnsize::DollarYen,
                            u"USD/JPY 5分足"_s, {}};
        plan.draw = [plan](const QList<PriceSeries>& s, double dpr) {
            ChartOptions o{plan.title, 3};
            o.devicePixelRatio = dpr;
            return drawLineChart(s[0], plan.size, o);
        };
        return drawIntoWindow(dollarYenChart(m_services.config), plan, Window::DollarYen, std::move(then));
    }
    fetchIntoWindow(dollarYenChart(m_services.config), Window::DollarYen, std::move(then));
}

void ChartRoutines::thumbnailClicked(int k)
{
    if (k < 0 || k >= 12)
        return;
    const int row = k + 1;
    const auto code = chartCodeFromText(m_host.sheet().cellText(row, grid::Code));
    if (!code)
        return; // an empty row, or a code that has no chart
    m_host.chartCodeChosen(*code);
    const QString caption = u"REAL CHART  "_s + m_host.sheet().cellText(row, grid::Name);
    m_host.setWindowTitle(Window::Year, caption);
    showYearChart(*code, [this, k, caption] {
        // The window may have been closed and made anew while the chart was on its way.
        m_host.setWindowTitle(Window::Year, caption);
        m_host.setYearChartLine(m_host.shortName(k));
    });
}

void ChartRoutines::captionClicked(int k)
{
    if (k < 0 || k >= 12 || m_host.thumbCaption(k).isEmpty())
        return;
    const int row = k + 1;
    const auto code = chartCodeFromText(m_host.sheet().cellText(row, grid::Code));
    if (!code)
        return; // a caption left over from a row that has no code now
    m_host.chartCodeChosen(*code);
    const QString caption = m_host.sheet().cellText(row, grid::Name) + u"６ヶ月チャート\u3000出来高 + RSI"_s;
    m_host.setWindowTitle(Window::SixMonth, caption);
    showSixMonthChart(*code, [this, caption] { m_host.setWindowTitle(Window::SixMonth, caption); });
}

} // namespace tickora
