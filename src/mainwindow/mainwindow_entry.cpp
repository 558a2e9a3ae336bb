// Code entry through the entry box and the grid's own events.
#include "mainwindow.h"

#include "entrybox.h"
#include "platform/datafolder.h"
#include "quotegrid.h"
#include "quotes/quotefetch.h"

namespace tickora {

using namespace Qt::StringLiterals;

/// The window as code entry sees it.
class MainWindow::EntryHost : public CodeEntryHost
{
public:
    explicit EntryHost(MainWindow& window) : m_w(window) {}

    QuoteSheet& sheet() override { return *m_w.m_grid; }
    int row() const override { return m_w.m_grid->row(); }
    int col() const override { return m_w.m_grid->col(); }
    void setCurrent(int row, int col) override { m_w.m_grid->setCurrent(row, col); }
    void setTopRow(int row) override { m_w.m_grid->setTopRow(row); }
    QString boxText() const override { return m_w.m_entryBox->text(); }
    void setBoxText(const QString& text) override { m_w.m_entryBox->setText(text); }
    void setBoxAttached(bool attached) override { m_w.m_entryBox->setReadOnly(!attached); }
    void focusBox() override
    {
        m_w.m_entryBox->setCursorPosition(int(m_w.m_entryBox->text().size()));
        m_w.m_entryBox->setFocus();
    }
    void showRowNumber(int row) override { m_w.m_currentRowLabel->setText(QString::number(row)); }
    void alignNamesLeft() override
    {
        for (int r = grid::FirstRow; r <= grid::LastRow; ++r)
            m_w.m_grid->item(r, grid::Name)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    void beep() override
    {
        if (m_w.m_services.sound)
            m_w.m_services.sound->beep();
    }
    void chartCodeChosen(const QString& code) override { m_w.m_chartCode = code; }
    bool codeListReadable() override
    {
        if (!m_w.m_services.shiftJisConverter)
            m_w.showNoShiftJis();
        return m_w.m_services.shiftJisConverter;
    }
    QString codeListPath() const override { return m_w.m_services.config.dataFile(DataFolder::codeList()); }
    QString addedCodesPath() const override
    {
        return m_w.m_services.config.dataFile(DataFolder::addedCodes());
    }
    void askQuotePage(const QString& code, std::function<void(std::optional<QString>)> done) override
    {
        const Config& config = m_w.m_services.config;
        const QUrl url = quotePageUrl(config.quoteBase, config.quotePages, code);
        // A held service is not asked; the answer "none" comes after this call, as a page would.
        if (!m_w.m_services.http || m_w.m_backoff.holds(url, m_w.now())) {
            QMetaObject::invokeMethod(
                &m_w, [done] { done(std::nullopt); }, Qt::QueuedConnection);
            return;
        }
        MainWindow& w = m_w;
        fetchPage(*w.m_services.http, url, &w, [&w, url, done](const PageFetch& result) {
            if (isOverloadStatus(result.status) &&
                w.m_backoff.noteAnswer(url, result.status, result.retryAfter, w.now()))
                w.showServiceHeld(w.m_backoff.until(url));
            done(result.ok ? std::optional(result.text) : std::nullopt);
        });
    }
    void warn(const QString& text) override
    {
        m_w.m_dialogs->message(&m_w, u"Tickora"_s, text, Dialogs::Icon::Warning);
    }
    void sayNotFound() override
    {
        m_w.m_dialogs->message(&m_w, u"Tickora"_s, u"入力したコードは該当なし"_s, Dialogs::Icon::None);
    }

private:
    MainWindow& m_w;
};

std::unique_ptr<CodeEntryHost> MainWindow::makeEntryHost(MainWindow& window)
{
    return std::make_unique<EntryHost>(window);
}

void MainWindow::showInBox(const QString& text)
{
    m_entry.showInBox(text);
}

void MainWindow::connectEntry()
{
    // Everything that moves the current cell or writes into the box's cell keeps the two as one.
    connect(m_grid, &QuoteGrid::currentMoved, this, [this] { m_entry.currentMoved(); });
    connect(m_grid, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { m_entry.cellChanged(item->row(), item->column()); });
    // A click on the header or beside the cells hands no cell over: typing then goes nowhere.
    connect(m_grid, &QuoteGrid::clickedBesideCells, this, [this] { m_entry.detach(); });
}

void MainWindow::gridClicked()
{
    m_currentRowLabel->setText(QString::number(m_grid->row()));
    stopRealTime();
}

} // namespace tickora
