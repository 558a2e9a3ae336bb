// Chart routines, their triggers and the secondary chart windows.
//
// Each routine downloads one image into its fixed file in the data folder and then loads that
// file into its target. Downloads are asynchronous: a routine's `then` runs once the picture is
// shown. The thumbnail refresh starts the downloads of all rows at once and writes and shows the
// answers strictly in row order.
#include "charts/chartsources.h"
#include "charts/chartwindows.h"
#include "charts/picturebox.h"
#include "platform/savefile.h"
#include "form1.h"
#include "quotegrid.h"

#include <memory>
#include <vector>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

void done(const Form1::Then& then)
{
    if (then)
        then();
}

void showModeless(ChartWindow* w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

template <class W> W* Form1::chartWindow(QPointer<W>& slot)
{
    if (!slot || slot->isClosing())
        slot = new W(m_dpi, this);
    return slot;
}

template <class W> void Form1::closeChartWindow(QPointer<W>& slot)
{
    if (slot && !slot->isClosing())
        slot->close();
    slot.clear();
}

void Form1::closeStockChartWindows()
{
    closeChartWindow(m_form2);
    closeChartWindow(m_form3);
}

void Form1::closeSecondaryWindows()
{
    closeStockChartWindows();
    closeChartWindow(m_form5);
    closeChartWindow(m_form7);
    closeChartWindow(m_form9);
    closeChartWindow(m_form12);
    closeSettingsWindow();
}

QImage Form1::chartPicture(const ChartDownload& chart, bool written)
{
    if (written) {
        m_chartFileHolds.insert(chart.file, chart.url);
    } else {
        // A failed download left the file as it was. Show it again only when it is known to hold
        // this very chart: never another stock's chart, nor the Dow in a stock's window.
        const auto held = m_chartFileHolds.constFind(chart.file);
        const bool same = held != m_chartFileHolds.cend() ? *held == chart.url : chart.fileHoldsOneChart;
        if (!same)
            return {};
    }
    return m_services.pictures ? m_services.pictures->load(chart.file) : QImage();
}

void Form1::fetchChart(const ChartDownload& chart, std::function<void(const QImage&)> show, Then then)
{
    auto finish = [this, chart, show = std::move(show), then = std::move(then)](bool written) {
        show(chartPicture(chart, written));
        done(then);
    };
    if (!m_services.downloader) {
        finish(false);
        return;
    }
    m_services.downloader->download(chart.url, chart.file, this, std::move(finish));
}

void Form1::chart(Then then)
{
    const int call = ++m_yearChartCalls;
    fetchChart(yearChart(m_services.config, chartCode),
               [this, call, then = std::move(then)](const QImage& picture) {
                   if (call != m_yearChartCalls)
                       return; // a later click's chart is on its way, or shown already
                   Form2* w = chartWindow(m_form2);
                   w->Image1->setPicture(picture);
                   showModeless(w);
                   done(then);
               },
               {});
}

void Form1::lifechart(Then then)
{
    const int call = ++m_sixMonthChartCalls;
    fetchChart(sixMonthChart(m_services.config, chartCode),
               [this, call, then = std::move(then)](const QImage& picture) {
                   if (call != m_sixMonthChartCalls)
                       return; // a later click's chart is on its way, or shown already
                   Form3* w = chartWindow(m_form3);
                   w->setPicture(picture);
                   showModeless(w);
                   done(then);
               },
               {});
}

void Form1::yahoochart(Then then)
{
    closeChartWindow(m_form5);
    closeChartWindow(m_form7);

    struct Slot
    {
        ChartDownload chart;
        bool hasCode = false;
        bool answered = false;
        HttpResponse response;
    };
    struct Run
    {
        int id = 0;
        std::vector<Slot> slots;
        size_t next = 0; // first slot not yet shown
        size_t unanswered = 0;
        Then then;
    };
    auto run = std::make_shared<Run>();
    run->id = ++m_thumbRun;
    run->then = std::move(then);

    const int rows = qBound(0, int(watchCount), 12);
    for (int k = 0; k < rows; ++k) {
        const int row = k + 1;
        Slot slot;
        if (const auto code = chartCodeFromText(MSFlexGrid1->cellText(row, grid::Code))) {
            chartCode = *code;
            slot.chart = thumbnailChart(m_services.config, chartCode, screenPixelsY);
            slot.hasCode = true;
        } else {
            // A code that is no whole number from 0 to 32767 has no chart; the other rows go on.
            slot.answered = true;
        }
        // Names come from web pages: show them as they are, never as markup.
        Label1[k]->setTextFormat(Qt::PlainText);
        Label1[k]->setText(MSFlexGrid1->cellText(row, grid::Name));
        Label1[k]->adjustSize();
        run->slots.push_back(std::move(slot));
    }

    // Shows every slot whose answer is in, in row order, stopping at the first still awaited, so
    // each slot gets its own row's picture and the shared file ends with the last row's.
    auto showInOrder = [this](Run& r) {
        for (; r.next < r.slots.size() && r.slots[r.next].answered; ++r.next) {
            if (r.id != m_thumbRun)
                continue; // a newer refresh owns the slots and the file now
            const size_t k = r.next;
            Slot& s = r.slots[k];
            PictureBox* box = Image1[k];
            box->setAutoSize(true);
            if (!s.hasCode) {
                box->clearPicture();
                continue;
            }
            const bool written = s.response.isSuccess() && isAcceptablePicture(s.response.body) &&
                                 saveFileAtomically(s.chart.file, s.response.body);
            s.response = {};
            QImage picture;
            if (written) {
                picture = m_services.pictures ? m_services.pictures->load(s.chart.file) : QImage();
                m_chartFileHolds.insert(s.chart.file, s.chart.url);
            }
            if (picture.isNull() && m_thumbUrls[k] == s.chart.url) {
                // The download failed, or brought no readable picture: the slot shows again the
                // last picture it had of this chart.
                picture = m_thumbPictures[k];
            }
            box->setPicture(picture);
            if (written && !picture.isNull()) {
                // Kept as the slot holds it, cut to its area.
                m_thumbUrls[k] = s.chart.url;
                m_thumbPictures[k] = box->picture();
            }
        }
        if (r.next == r.slots.size() && r.unanswered == 0 && r.then)
            std::exchange(r.then, {})();
    };

    for (Slot& s : run->slots)
        if (s.hasCode)
            ++run->unanswered;
    if (run->unanswered == 0 || !m_services.http) {
        for (Slot& s : run->slots)
            s.answered = true;
        run->unanswered = 0;
        showInOrder(*run);
        return;
    }
    for (size_t k = 0; k < run->slots.size(); ++k) {
        if (!run->slots[k].hasCode)
            continue;
        m_services.http->get(chartRequest(run->slots[k].chart.url), this,
                             [run, k, showInOrder](const HttpResponse& response) {
                                 Slot& s = run->slots[k];
                                 s.response = response;
                                 s.answered = true;
                                 --run->unanswered;
                                 showInOrder(*run);
                             });
    }
}

void Form1::mchart(Then then)
{
    closeChartWindow(m_form5);
    closeChartWindow(m_form7);
    Image2->clearPicture();
    fetchChart(
        nikkeiSixMonthChart(m_services.config),
        [this](const QImage& picture) {
            Form5* w = chartWindow(m_form5);
            w->Image1->setPicture(picture);
            w->moveTwips(ChartWindowLeftTwips, ChartWindowTopTwips);
            showModeless(w);
        },
        std::move(then));
}

void Form1::relchart(Then then)
{
    closeChartWindow(m_form5);
    closeChartWindow(m_form7);
    Image2->clearPicture();
    fetchChart(
        nikkeiIndexChart(m_services.config), [this](const QImage& picture) { Image2->setPicture(picture); },
        std::move(then));
}

void Form1::nynkchart(Then then)
{
    Label4->setText(u"ＮＹ日経比較"_s);
    fetchChart(
        nyNikkeiChart(m_services.config), [this](const QImage& picture) { Image2->setPicture(picture); },
        std::move(then));
}

void Form1::tourakuchart(Then then)
{
    closeChartWindow(m_form5);
    fetchChart(
        advanceDeclineChart(m_services.config),
        [this](const QImage& picture) {
            Form7* w = chartWindow(m_form7);
            w->Image1->setPicture(picture);
            w->setWindowTitle(u"日経平均騰落レシオ"_s);
            showModeless(w);
        },
        std::move(then));
}

void Form1::nychart(Then then)
{
    fetchChart(
        dowChart(m_services.config),
        [this](const QImage& picture) {
            Form9* w = chartWindow(m_form9);
            w->Image1->setPicture(picture);
            showModeless(w);
        },
        std::move(then));
}

void Form1::dolen(Then then)
{
    fetchChart(
        dollarYenChart(m_services.config),
        [this](const QImage& picture) {
            Form12* w = chartWindow(m_form12);
            w->Image1->setPicture(picture);
            w->moveTwips(ChartWindowLeftTwips, ChartWindowTopTwips);
            showModeless(w);
        },
        std::move(then));
}

void Form1::Image1_Click(int index)
{
    if (index < 0 || index >= 12)
        return;
    const int row = index + 1;
    const auto code = chartCodeFromText(MSFlexGrid1->cellText(row, grid::Code));
    if (!code)
        return; // an empty row, or a code that has no chart
    chartCode = *code;
    const QString caption = u"REAL CHART  "_s + MSFlexGrid1->cellText(row, grid::Name);
    chartWindow(m_form2)->setWindowTitle(caption);
    chart([this, index, caption] {
        // The window may have been closed and made anew while the chart was on its way.
        Form2* w = chartWindow(m_form2);
        w->setWindowTitle(caption);
        w->Label1->setText(shortNames.value(index));
    });
}

void Form1::Label1_Click(int index)
{
    if (index < 0 || index >= 12 || Label1[index]->text().isEmpty())
        return;
    const int row = index + 1;
    const auto code = chartCodeFromText(MSFlexGrid1->cellText(row, grid::Code));
    if (!code)
        return; // a caption left over from a row that has no code now
    chartCode = *code;
    const QString caption = MSFlexGrid1->cellText(row, grid::Name) + u"６ヶ月チャート\u3000出来高 + RSI"_s;
    chartWindow(m_form3)->setWindowTitle(caption);
    lifechart([this, caption] { chartWindow(m_form3)->setWindowTitle(caption); });
}

void Form1::menu5_Click()
{
    // The stop comes first, so no tick can close the window while its chart downloads.
    stopCycle();
    mchart();
}

void Form1::munu6_Click()
{
    // The stop comes first, so no tick can close the window while its chart downloads.
    stopCycle();
    nynkchart();
}

void Form1::nyd_Click()
{
    // The stop comes first, so no tick can close the window while its chart downloads.
    stopCycle();
    nychart();
}

void Form1::menu7_Click()
{
    // The stop comes first, so no tick can close the window while its chart downloads.
    stopCycle();
    tourakuchart();
}

void Form1::en_Click()
{
    dolen();
}

} // namespace tickora
