// The chart commands and the secondary chart windows the chart routines show their charts in.
#include "charts/chartsources.h"
#include "charts/chartwindows.h"
#include "charts/picturebox.h"
#include "form1.h"
#include "quotegrid.h"
#include "thumbcaption.h"

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// Moves a window to where the market chart windows always stand.
ChartWindow* placed(ChartWindow* w)
{
    w->moveTwips(ChartWindowLeftTwips, ChartWindowTopTwips);
    return w;
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

/// The window as the chart routines see it.
class Form1::ChartsHost : public ChartRoutinesHost
{
public:
    explicit ChartsHost(Form1& window) : m_w(window) {}

    const QuoteSheet& sheet() const override { return *m_w.m_grid; }
    int watchCount() const override { return m_w.m_watchCount; }
    int screenPixelsY() const override { return m_w.m_screenPixelsY; }
    double devicePixelRatio() const override { return m_w.devicePixelRatioF(); }
    void chartCodeChosen(const QString& code) override { m_w.m_chartCode = code; }
    QString shortName(int index) const override { return m_w.m_shortNames.value(index); }
    QString thumbCaption(int k) const override { return m_w.m_thumbCaptions[k]->name(); }
    void setThumbCaption(int k, const QString& text) override { m_w.m_thumbCaptions[k]->setName(text); }
    QImage showThumb(int k, const QImage& picture) override
    {
        m_w.m_thumbs[k]->setAutoSize(true);
        m_w.m_thumbs[k]->setPicture(picture);
        return m_w.m_thumbs[k]->picture();
    }
    void showMarketChart(const QImage& picture) override { m_w.m_marketChart->setPicture(picture); }
    void setMarketTitle(const QString& text) override { m_w.m_nikkeiLine->setText(text); }
    void closeWindow(Window window) override;
    void setWindowTitle(Window window, const QString& title) override;
    void showInWindow(Window window, const QImage& picture) override;
    void setYearChartLine(const QString& text) override
    {
        m_w.chartWindow(m_w.m_form2)->Label1->setText(text);
    }
    QString marketLine() const override { return m_w.m_nikkeiLine->text(); }
    QDateTime now() const override { return m_w.now(); }
    QDateTime tradingMoment() const override { return m_w.tradingMoment(); }
    ServiceBackoff& backoff() override { return m_w.m_backoff; }
    void serviceHeld(const QDateTime& until) override { m_w.showServiceHeld(until); }
    void seriesAnswered(int status, bool holdStarted) override { m_w.noteSeriesAnswer(status, holdStarted); }

private:
    /// The window of `slot` (made when not open) with `picture` in its picture area.
    template <class W> W* withPicture(QPointer<W>& slot, const QImage& picture)
    {
        W* w = m_w.chartWindow(slot);
        w->Image1->setPicture(picture);
        return w;
    }

    Form1& m_w;
};

void Form1::ChartsHost::closeWindow(Window window)
{
    switch (window) {
    case Window::Year:
        return m_w.closeChartWindow(m_w.m_form2);
    case Window::SixMonth:
        return m_w.closeChartWindow(m_w.m_form3);
    case Window::NikkeiSixMonth:
        return m_w.closeChartWindow(m_w.m_form5);
    case Window::AdvanceDecline:
        return m_w.closeChartWindow(m_w.m_form7);
    case Window::Dow:
        return m_w.closeChartWindow(m_w.m_form9);
    case Window::DollarYen:
        return m_w.closeChartWindow(m_w.m_form12);
    }
}

void Form1::ChartsHost::setWindowTitle(Window window, const QString& title)
{
    if (window == Window::Year)
        m_w.chartWindow(m_w.m_form2)->setWindowTitle(title);
    else if (window == Window::SixMonth)
        m_w.chartWindow(m_w.m_form3)->setWindowTitle(title);
}

void Form1::ChartsHost::showInWindow(Window window, const QImage& picture)
{
    switch (window) {
    case Window::Year:
        return showModeless(withPicture(m_w.m_form2, picture));
    case Window::SixMonth:
        m_w.chartWindow(m_w.m_form3)->setPicture(picture);
        return showModeless(m_w.m_form3);
    case Window::NikkeiSixMonth:
        return showModeless(placed(withPicture(m_w.m_form5, picture)));
    case Window::AdvanceDecline:
        withPicture(m_w.m_form7, picture)->setWindowTitle(u"日経平均騰落レシオ"_s);
        return showModeless(m_w.m_form7);
    case Window::Dow:
        return showModeless(withPicture(m_w.m_form9, picture));
    case Window::DollarYen:
        return showModeless(placed(withPicture(m_w.m_form12, picture)));
    }
}

std::unique_ptr<ChartRoutinesHost> Form1::makeChartsHost(Form1& window)
{
    return std::make_unique<ChartsHost>(window);
}

// In the commands below that stop real-time display, the stop comes first, so no tick can close
// the window while its chart downloads.

void Form1::showNikkeiSixMonthChart()
{
    stopRealTime();
    m_charts.showNikkeiSixMonthChart();
}

void Form1::showNyNikkeiChart()
{
    stopRealTime();
    m_charts.showNyNikkeiChart();
}

void Form1::showDowChart()
{
    stopRealTime();
    m_charts.showDowChart();
}

void Form1::showAdvanceDeclineChart()
{
    stopRealTime();
    m_charts.showAdvanceDeclineChart();
}

void Form1::showDollarYenChart()
{
    m_charts.showDollarYenChart();
}

} // namespace tickora
