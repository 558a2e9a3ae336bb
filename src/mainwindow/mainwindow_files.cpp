// Watch-list file, display settings, screen capture and printing.
#include "mainwindow.h"

#include "charts/picturebox.h"
#include "entrybox.h"
#include "files/capture.h"
#include "files/watchlist.h"
#include "platform/datafolder.h"
#include "quotegrid.h"
#include "settingswindow.h"
#include "thumbcaption.h"

#include <algorithm>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {
const QString AppTitle = u"Tickora"_s;
} // namespace

void MainWindow::showNoShiftJis()
{
    m_services.dialogs->message(this, AppTitle,
                                u"この環境には Shift_JIS（CP932）の文字コード変換がないため、"
                                "ウォッチリストの保存・読み込みとコード一覧の参照はできません。"_s,
                                Dialogs::Icon::Warning);
}

void MainWindow::saveWatchList()
{
    // Without the converter no file can be written; say why instead of blaming a character.
    if (!m_services.shiftJisConverter)
        return showNoShiftJis();
    packRows();
    // After packing, the filled rows stand from row 1 without gaps.
    QList<WatchRow> rows;
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r) {
        if (m_grid->cellText(r, grid::Code).isEmpty())
            break;
        WatchRow row;
        for (int c = grid::Code; c <= grid::Time; ++c)
            row.append(m_grid->cellText(r, c));
        rows.append(row);
    }
    const QString problem = tickora::saveWatchList(m_services.config.dataFile(DataFolder::watchList()), rows);
    if (!problem.isEmpty()) {
        m_services.dialogs->message(this, AppTitle, problem, Dialogs::Icon::Warning);
        return;
    }
    m_services.dialogs->message(this, AppTitle, u"保存完了"_s, Dialogs::Icon::None);
    m_grid->setCurrent(grid::FirstRow, grid::Code);
    m_currentRowLabel->setText(u"1"_s);
    m_grid->setFocus();
}

void MainWindow::openWatchList()
{
    // Without the converter the file cannot be read: keep the grid as it is.
    if (!m_services.shiftJisConverter)
        return showNoShiftJis();
    const QStringList codesBefore = watchedCodes();
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r) {
        for (int c = grid::Code; c <= grid::Time; ++c)
            m_grid->setCellText(r, c, QString());
        m_grid->setCellText(r, 0, QString::number(r));
    }
    const WatchListLoad load = loadWatchList(m_services.config.dataFile(DataFolder::watchList()));
    for (qsizetype i = 0; i < load.content.rows.size(); ++i)
        for (int c = grid::Code; c <= grid::Time; ++c)
            m_grid->setCellText(grid::FirstRow + int(i), c, load.content.rows[i].value(c - 1));
    clearThumbnailsOfChangedRows(codesBefore);

    // Row 1's code cell becomes current and is handed to the box, which shows row 1's code.
    m_grid->setCurrent(grid::FirstRow, grid::Code);
    m_currentRowLabel->setText(u"1"_s);
    m_entry.handOver(grid::FirstRow, grid::Code);

    if (!load.error.isEmpty())
        m_services.dialogs->message(this, AppTitle, load.error, Dialogs::Icon::Warning);
    else if (!load.content.skippedLines.isEmpty())
        m_services.dialogs->message(this, AppTitle, skippedLinesMessage(load.content.skippedLines),
                                    Dialogs::Icon::Warning);
}

QStringList MainWindow::watchedCodes() const
{
    QStringList codes;
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r)
        codes << m_grid->cellText(r, grid::Code);
    return codes;
}

void MainWindow::clearThumbnailsOfChangedRows(const QStringList& codesBefore)
{
    // A thumbnail and its caption show the stock of their row: once the row holds another stock,
    // or none, they would show a stock that is no longer watched there.
    const QStringList codesNow = watchedCodes();
    for (int k = 0; k < int(m_thumbnails.size()); ++k) {
        if (codesNow.value(k) == codesBefore.value(k))
            continue;
        m_thumbnails[k]->setPicture(QImage());
        m_thumbCaptions[k]->setName(QString());
    }
}

void MainWindow::showSettings()
{
    // Opening the settings empties the watch list: ask first when there is one to lose.
    const QStringList codesBefore = watchedCodes();
    const bool holdsCodes = std::any_of(codesBefore.cbegin(), codesBefore.cend(),
                                        [](const QString& code) { return !code.isEmpty(); });
    if (holdsCodes &&
        !m_services.dialogs->question(this, AppTitle, u"ウォッチリストを空にして設定画面を開きますか？"_s))
        return;
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r)
        for (int c = grid::Code; c <= grid::Time; ++c)
            m_grid->setCellText(r, c, QString());
    clearThumbnailsOfChangedRows(codesBefore);
    stopRealTime();

    if (!m_settingsWindow) {
        m_settingsWindow = new SettingsWindow(m_dpi);
        // Not a child (it has no owner), so it goes when the main window goes.
        connect(this, &QObject::destroyed, m_settingsWindow.data(),
                [form = m_settingsWindow] { delete form.data(); });
    }
    const QSize screen = m_services.screen ? m_services.screen->sizePixels() : QSize();
    m_settingsWindow->showResolution(QSizeF(screen));
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

void MainWindow::closeSettingsWindow()
{
    if (m_settingsWindow)
        m_settingsWindow->close();
}

void MainWindow::captureScreen()
{
    // The picture is taken before anything of this command appears on the screen.
    const QImage shot = m_services.screen->grabDesktop();
    QString savedPath;
    const QString problem =
        saveCapture(*m_services.pictures, shot, m_services.config.dataFile(DataFolder::captures()),
                    m_services.clock->today(), &savedPath);
    if (!problem.isEmpty()) {
        m_services.dialogs->message(this, AppTitle, problem, Dialogs::Icon::Warning);
        return;
    }
    if (!m_services.dialogs->question(this, u"印刷確認"_s, u"画面保存しました。印刷をしますか"_s))
        return;
    const Printer::Result printed = m_services.printer->printImage(shot);
    if (!printed.printed)
        m_services.dialogs->message(this, AppTitle, printFailureMessage(printed, savedPath),
                                    Dialogs::Icon::Warning);
}

} // namespace tickora
