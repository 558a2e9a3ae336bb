// Refresh cycle: start, stop, the tick with its trading-hours questions, packing and thumbnail
// layout.
#include "form1.h"

#include "charts/chartsources.h"
#include "charts/picturebox.h"
#include "quotes/quotefetch.h"
#include "quotes/refreshpass.h"
#include "quotegrid.h"
#include "thumblayout.h"
#include "widgetstyle.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {
constexpr quint32 Yellow = 0x0000FFFF;
constexpr quint32 Black = 0x00000000;
} // namespace

/// The window as the refresh cycle sees it.
class Form1::CycleHost : public RefreshCycleHost
{
public:
    explicit CycleHost(Form1& window) : m_w(window) {}

    bool firstRowEmpty() const override { return m_w.MSFlexGrid1->cellText(grid::FirstRow, grid::Code).isEmpty(); }
    int openBoxes() const override { return m_w.m_dialogs->open(); }
    QTime timeOfDay() const override { return m_w.m_services.clock->timeOfDay(); }
    bool askToStop(const QString& text) override { return m_w.m_dialogs->question(&m_w, u"継続確認"_s, text); }
    void startTimer() override { m_w.enableTimer(); }
    void stopTimer() override { m_w.Timer1->stop(); }
    void showRunning(bool running) override
    {
        setBackground(m_w.Label3, running ? Yellow : Black);
        if (running)
            m_w.Label3->setText(u" リアルタイム株価表示中"_s);
    }
    void closeSecondaryWindows() override { m_w.closeSecondaryWindows(); }
    void packRows() override { m_w.PackRows(); }
    void prefetchRefresh() override { m_w.prefetchRefresh(); }
    void refreshQuotes(Then then) override { m_w.refreshQuotes(std::move(then)); }
    void layOutThumbs() override
    {
        m_w.LayoutThumbs();
        m_w.LayoutThumbLabels();
    }
    void refreshThumbs(Then then) override { m_w.RefreshThumbs(std::move(then)); }
    void refreshIndexChart(Then then) override { m_w.relchart(std::move(then)); }
    void refreshNikkeiLine(Then then) override { m_w.heikin(std::move(then)); }
    void workEnded() override { m_w.m_http->clear(); }

private:
    Form1& m_w;
};

std::unique_ptr<RefreshCycleHost> Form1::makeCycleHost(Form1& window)
{
    return std::make_unique<CycleHost>(window);
}

void Form1::stopCycle()
{
    m_cycle.stop();
}

void Form1::enableTimer()
{
    if (!Timer1->isActive())
        Timer1->start();
}

void Form1::menu4_Click()
{
    stopCycle();
}

void Form1::Timer1_Timer()
{
    m_cycle.tick();
}

void Form1::menu3_Click()
{
    m_cycle.start();
}

void Form1::prefetchRefresh()
{
    // The steps of a refresh run in their order (quotes, thumbnails, index chart, Nikkei line),
    // but their requests all start now; each step then takes its answer when it gets there.
    const Config& config = m_services.config;
    const int rows = watchRowCount(*MSFlexGrid1);
    for (int r = 1; r <= rows; ++r)
        m_http->prefetch(quotePageRequest(config.quoteBase, MSFlexGrid1->cellText(r, grid::Code)));
    for (int r = 1; r <= rows; ++r)
        if (const auto code = chartCodeFromText(MSFlexGrid1->cellText(r, grid::Code)))
            m_http->prefetch(chartRequest(thumbnailChart(config, *code, screenPixelsY).url));
    m_http->prefetch(chartRequest(nikkeiIndexChart(config).url));
    m_http->prefetch(pageRequest(serviceUrl(config.nikkeiBase, u"/nkave"_s)));
}

void Form1::PackRows()
{
    // Twelve sweeps move every filled row over all the empty rows above it.
    for (int sweep = 0; sweep < 12; ++sweep) {
        for (int r = grid::FirstRow; r < grid::LastRow; ++r) {
            if (!MSFlexGrid1->cellText(r, grid::Code).isEmpty() || MSFlexGrid1->cellText(r + 1, grid::Code).isEmpty())
                continue;
            for (int c = grid::Code; c <= grid::Time; ++c) {
                MSFlexGrid1->setCellText(r, c, MSFlexGrid1->cellText(r + 1, c));
                MSFlexGrid1->setCellText(r + 1, c, QString());
            }
        }
    }
}

void Form1::LayoutThumbs()
{
    // The first thumbnail is always placed; the others up to watchCount.
    const bool large = usesLargeThumbs(screenPixelsY);
    int k = 0;
    do {
        const QPoint at = thumbPlace(k, large).picture;
        Image1[k]->move(twips(at.x(), at.y(), 0, 0).topLeft());
        Image1[k]->setFlatBorder(true);
        ++k;
    } while (k < watchCount && k < 12);
}

void Form1::LayoutThumbLabels()
{
    const bool large = usesLargeThumbs(screenPixelsY);
    int k = 0;
    do {
        const QPoint at = thumbPlace(k, large).caption;
        Label1[k]->move(twips(at.x(), at.y(), 0, 0).topLeft());
        ++k;
    } while (k < watchCount && k < 12);
}

void Form1::RefreshThumbs(Then then)
{
    for (PictureBox* image : Image1)
        image->clearPicture();
    // The Nikkei 6-month window closes too: yahoochart closes it first thing.
    yahoochart(std::move(then));
}

} // namespace tickora
