// Quote refresh pass and the Nikkei average line.
#include "mainwindow.h"

#include "exchange/securitycode.h"
#include "platform/datafolder.h"
#include "quotegrid.h"
#include "quotes/pageverdict.h"
#include "quotes/quotefetch.h"
#include "quotes/quotepage.h"
#include "quotes/refreshpass.h"
#include "quotes/secondsource.h"
#include "quotes/seriesquote.h"

#include <QStatusBar>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// The Nikkei's page among the pages that could not be read.
const QString NikkeiPageCode = u"998407.O"_s;

} // namespace

/// The window as the refresh pass sees it.
class MainWindow::RefreshHost : public RefreshPassHost
{
public:
    explicit RefreshHost(MainWindow& window) : m_w(window) {}

    QuoteSheet& sheet() override { return *m_w.m_grid; }

    void passStarted(int rowCount) override
    {
        m_stopsAtStart = m_w.m_cycle.stopCount();
        m_w.m_watchCount = qint16(rowCount);
        if (rowCount > 0)
            m_w.m_grid->setCurrent(m_w.m_grid->row(), grid::Code);
    }

    void storeShortName(int row, const QString& shortName) override { m_w.m_shortNames[row - 1] = shortName; }

    bool muted() const override { return m_w.m_muteBox->checkState() == Qt::Checked; }

    void playChime(Chime chime) override
    {
        const Services& s = m_w.m_services;
        if (s.sound)
            s.sound->play(
                s.config.dataFile(chime == Chime::Sell ? DataFolder::sellChime() : DataFolder::buyChime()));
    }

    // A notification is silent, so the mute box, which silences the chimes, leaves it alone.
    void targetReached(const TargetReached& reached) override
    {
        if (Notifier* notifier = m_w.m_services.notifier) {
            const TargetNotice notice = targetNotice(reached);
            notifier->notify(notice.title, notice.body);
        }
    }

    void rowDone(int row) override
    {
        // After a stop the user works in the grid: the quotes are still written, but the current
        // cell and the focus stay where the user put them. When the row just written holds the
        // current cell, the box shows that cell's new text, so box and cell stay one value.
        if (m_w.stoppedSince(m_stopsAtStart)) {
            if (m_w.m_grid->row() == row)
                m_w.showInBox(m_w.m_grid->text());
            return;
        }
        m_w.m_grid->setCurrent(row, grid::Code);
        // Only asks for the focus: a minimised or inactive window simply gets it when it is
        // shown or activated again.
        m_w.m_grid->setFocus(Qt::OtherFocusReason);
        m_w.m_currentRowLabel->setText(QString::number(row));
    }

    void fetchFailed(int) override { m_w.showFetchFailure(); }

    QDateTime now() const override { return m_w.now(); }

    void serviceHeld(const QDateTime& until) override { m_w.showServiceHeld(until); }

    void simulatedMarket() override { m_w.markSimulated(); }

    QString listedName(const QString& code) override
    {
        const std::optional<QString> canonical = canonicalCode(code);
        return canonical ? m_w.m_entry.listedName(*canonical) : QString();
    }

    void pageRead(const QString& code) override { m_w.notePageRead(code); }

    void pageUnread(const QString& code, bool fromSeries) override { m_w.tellPageUnread(code, fromSeries); }

    void pageOfOtherCode(const QString& code, const QString& boardCode) override
    {
        m_w.tellOtherCode(code, boardCode);
    }

    void seriesAnswered(int status, bool holdStarted) override { m_w.noteSeriesAnswer(status, holdStarted); }

    void marketMoment(const QDateTime& simulated) override { m_w.noteMarketMoment(simulated); }

private:
    MainWindow& m_w;
    quint64 m_stopsAtStart = 0; ///< the window's stop count when the pass started
};

RefreshPass& MainWindow::refreshPass()
{
    if (!m_refreshPass) {
        const Config& config = m_services.config;
        m_refreshPass = new RefreshPass(*m_services.http,
                                        {config.quoteBase, config.quotePages, &m_backoff, config.seriesBase},
                                        std::make_unique<RefreshHost>(*this), this);
    }
    return *m_refreshPass;
}

void MainWindow::showFetchFailure()
{
    // A failure ends its pass, and no pass starts while a box is open: one box at a time.
    if (m_services.dialogs)
        m_services.dialogs->message(this, u"Error!"_s, u"URL読み込みに失敗しました"_s,
                                    Dialogs::Icon::Exclamation);
}

QDateTime MainWindow::now() const
{
    return m_services.clock ? m_services.clock->now() : QDateTime::currentDateTime();
}

QDateTime MainWindow::tradingMoment() const
{
    return m_simulatedMoment.isValid() ? m_simulatedMoment : japanTime(now());
}

void MainWindow::noteMarketMoment(const QDateTime& simulated)
{
    m_simulatedMoment = simulated.isValid() ? japanTime(simulated) : QDateTime();
}

/// The window's status line as its messages see it.
class MainWindow::StatusHost : public StatusLineHost
{
public:
    explicit StatusHost(MainWindow& window) : m_w(window) {}
    QString currentMessage() const override { return m_w.statusBar()->currentMessage(); }
    void showMessage(const QString& text, int timeoutMs) override
    {
        m_w.statusBar()->showMessage(text, timeoutMs);
    }
    void clearMessage() override { m_w.statusBar()->clearMessage(); }

private:
    MainWindow& m_w;
};

std::unique_ptr<StatusLineHost> MainWindow::makeStatusHost(MainWindow& window)
{
    return std::make_unique<StatusHost>(window);
}

void MainWindow::showQuiet(const QString& text)
{
    m_status.showQuiet(text);
}

void MainWindow::showServiceHeld(const QDateTime& until)
{
    m_status.showServiceHeld(until, now());
}

void MainWindow::markSimulated()
{
    if (m_simulatedMark)
        return;
    setWindowTitle(u"Tickora（模擬相場）"_s);
    m_simulatedMark = new QLabel(u"模擬相場"_s, statusBar());
    m_simulatedMark->setObjectName(u"simulatedMark"_s);
    QFont bold = m_simulatedMark->font();
    bold.setBold(true);
    m_simulatedMark->setFont(bold);
    QPalette red = m_simulatedMark->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_simulatedMark->setPalette(red);
    m_simulatedMark->setContentsMargins(8, 0, 8, 0);
    m_simulatedMark->setToolTip(u"模擬相場の値です。実際の株価ではありません。"_s);
    statusBar()->addPermanentWidget(m_simulatedMark);
}

void MainWindow::refreshQuotes(Then then)
{
    enableTimer();
    closeStockChartWindows();
    refreshPass().request(std::move(then));
}

void MainWindow::refreshNikkeiLine(Then then)
{
    m_nikkeiLineWaiting.append(std::move(then));
    if (m_nikkeiLineRunning)
        return;
    m_nikkeiLineRunning = true;
    auto finish = [this] {
        m_nikkeiLineRunning = false;
        const QList<Then> waiting = std::exchange(m_nikkeiLineWaiting, {});
        for (const Then& t : waiting)
            if (t)
                t();
    };
    const QUrl url = nikkeiPageUrl(m_services.config);
    // While the service is held the line keeps what it shows.
    if (m_backoff.holds(url, now())) {
        QMetaObject::invokeMethod(this, finish, Qt::QueuedConnection);
        return;
    }
    fetchPage(*m_services.http, url, this, [this, url, finish](const PageFetch& result) {
        if (result.simulated)
            markSimulated();
        if (isOverloadStatus(result.status)) {
            if (m_backoff.noteAnswer(url, result.status, result.retryAfter, now()))
                showServiceHeld(m_backoff.until(url));
        } else if (const JudgedIndex index = result.ok
                                                 ? judgeIndexPage(result.text, m_services.config.quotePages,
                                                                  japanTime(now()).date())
                                                 : JudgedIndex();
                   result.ok && index.verdict == PageVerdict::Unread) {
            return nikkeiLineFromSeries(finish);
        } else if (result.ok && index.verdict == PageVerdict::OtherCode) {
            tellOtherCode(NikkeiPageCode, index.reading.boardCode);
        } else if (result.ok) {
            m_nikkeiLine->setText(index.reading.line);
            notePageRead(NikkeiPageCode);
        } else {
            showFetchFailure();
        }
        finish();
    });
}

void MainWindow::nikkeiLineFromSeries(const std::function<void()>& finish)
{
    const HttpRequest request =
        daySeriesRequest(m_services.config.seriesBase, QString::fromUtf16(NikkeiSeriesSymbol));
    // While the series is held the line keeps what it shows.
    if (m_backoff.holds(request.url, now())) {
        tellPageUnread(NikkeiPageCode, false);
        return finish();
    }
    m_services.http->get(request, this, [this, request, finish](const HttpResponse& r) {
        const bool holdStarted = isOverloadStatus(r.status) &&
                                 m_backoff.noteAnswer(request.url, r.status, r.header("Retry-After"), now());
        noteSeriesAnswer(r.status, holdStarted);
        if (holdStarted)
            showServiceHeld(m_backoff.until(request.url));
        const auto quote =
            r.isSuccess() ? quoteFromSeriesJson(r.body, {}, 2, japanTime(now()).date()) : std::nullopt;
        if (quote)
            m_nikkeiLine->setText(nikkeiLineOf(*quote));
        tellPageUnread(NikkeiPageCode, quote.has_value());
        finish();
    });
}

void MainWindow::tellPageUnread(const QString& code, bool fromSeries)
{
    m_status.tellPageUnread(code, fromSeries, now().date());
}

void MainWindow::tellOtherCode(const QString& code, const QString& boardCode)
{
    m_status.tellOtherCode(code, boardCode);
}

void MainWindow::notePageRead(const QString& code)
{
    m_status.notePageRead(code);
}

void MainWindow::noteSeriesAnswer(int status, bool holdStarted)
{
    m_status.noteSeriesAnswer(status, holdStarted);
}

} // namespace tickora
