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
const QTime MarketOpens(9, 0, 0);
const QTime MarketCloses(15, 1, 0);
} // namespace

void Form1::setRunningLook()
{
    setBackground(Label3, Yellow);
    Label3->setText(u" リアルタイム株価表示中"_s);
}

void Form1::stopCycle()
{
    ++m_stopCount;
    m_startPending = false; // a start queued behind the work in progress is cancelled too
    Timer1->stop();
    setBackground(Label3, Black);
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

void Form1::finishCycleWork()
{
    m_cycleBusy = false;
    m_http->clear();
    runPendingStart();
}

void Form1::runPendingStart()
{
    // A start queued behind a tick or start also waits for every message box to close: packing
    // rows under an open box would move the row that the box is about.
    if (!m_startPending || m_cycleBusy || m_dialogs->open() > 0)
        return;
    m_startPending = false;
    menu3_Click();
}

void Form1::Timer1_Timer()
{
    // A tick that comes due while earlier work or a box is still open is dropped.
    if (m_cycleBusy || m_dialogs->open() > 0)
        return;
    m_cycleBusy = true;
    const quint64 stops = m_stopCount;

    closeSecondaryWindows();
    setRunningLook();
    // The trading window is compared in whole seconds: 15:01:00.4 is still 15:01:00.
    const QTime clock = m_services.clock->timeOfDay();
    const QTime now(clock.hour(), clock.minute(), clock.second());
    const QString title = u"継続確認"_s;
    if ((now < MarketOpens && m_dialogs->question(this, title, u"9:00 からスタートです停止しますか？"_s))
        || (now > MarketCloses && m_dialogs->question(this, title, u"15:00 を過ぎました停止しますか？"_s))) {
        stopCycle();
        finishCycleWork();
        return;
    }
    if (stoppedSince(stops)) { // stopped while the question was open
        finishCycleWork();
        return;
    }

    runRefreshSteps(stops, false);
}

void Form1::runRefreshSteps(quint64 stops, bool layOutThumbs)
{
    // Each step runs when the one before has ended, unless a stop came meanwhile.
    prefetchRefresh();
    refreshQuotes([this, stops, layOutThumbs] {
        if (stoppedSince(stops))
            return finishCycleWork();
        if (layOutThumbs) {
            LayoutThumbs();
            LayoutThumbLabels();
        }
        RefreshThumbs([this, stops] {
            if (stoppedSince(stops))
                return finishCycleWork();
            relchart([this, stops] {
                if (stoppedSince(stops))
                    return finishCycleWork();
                heikin([this] { finishCycleWork(); });
            });
        });
    });
}

void Form1::menu3_Click()
{
    if (MSFlexGrid1->cellText(grid::FirstRow, grid::Code).isEmpty())
        return;
    if (m_cycleBusy) {
        m_startPending = true; // runs once the current work ends
        return;
    }
    m_cycleBusy = true;
    const quint64 stops = m_stopCount;
    enableTimer();
    PackRows();
    setRunningLook();
    runRefreshSteps(stops, true);
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
    const quint64 stops = m_stopCount;
    for (PictureBox* image : Image1)
        image->clearPicture();
    // The Nikkei 6-month window closes too: yahoochart closes it first thing.
    yahoochart([this, stops, then = std::move(then)] {
        if (!stoppedSince(stops))
            enableTimer();
        if (then)
            then();
    });
}

} // namespace tickora
