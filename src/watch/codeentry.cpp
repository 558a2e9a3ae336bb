#include "codeentry.h"

#include "entrytext.h"
#include "exchange/securitycode.h"
#include "quotes/quotepage.h"

#include <QDir>

#include <algorithm>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {
constexpr int KeyEnter = 13;
} // namespace

void CodeEntry::load(const QString& text)
{
    m_showingCell = true;
    m_host.setBoxText(text);
    m_showingCell = false;
}

void CodeEntry::showInBox(const QString& text)
{
    if (attachedTo(m_host.row(), m_host.col()))
        load(text);
}

void CodeEntry::handOver(int row, int col)
{
    if (row < grid::FirstRow || row > grid::LastRow || col < grid::Code || col > grid::Time)
        return detach();
    m_attached = QPoint(col, row);
    m_host.setBoxAttached(true);
    load(m_host.sheet().cellText(row, col));
}

void CodeEntry::detach()
{
    m_attached.reset();
    load(QString());
    m_host.setBoxAttached(false);
}

void CodeEntry::currentMoved()
{
    handOver(m_host.row(), m_host.col());
}

void CodeEntry::cellChanged(int row, int col)
{
    if (!attachedTo(row, col))
        return;
    const QString text = m_host.sheet().cellText(row, col);
    if (text != m_host.boxText())
        load(text);
}

void CodeEntry::boxChanged()
{
    // Loading the box from a cell shows the cell as it is: the filter is for what the user types.
    // The filter's own edit of the box raises this event again; the pass below has done its work.
    if (m_showingCell || m_filtering || !m_attached)
        return;
    const int row = m_attached->y();
    const int col = m_attached->x();
    if (col != grid::Name) {
        // As if the refused characters were removed one at a time, one beep each, but in one
        // pass: a long paste neither nests text-change events nor redraws the box per character.
        const QString text = m_host.boxText();
        const FilteredText filtered = col == grid::Code ? filterCodeText(text) : removeRefused(text);
        if (filtered.text != text) {
            m_filtering = true;
            m_host.setBoxText(filtered.text);
            m_filtering = false;
            for (int i = 0; i < filtered.removed; ++i)
                m_host.beep();
            m_host.focusBox();
        }
    }
    // Only into the cell the box was handed, never into one the box does not show.
    m_host.sheet().setCellText(row, col, m_host.boxText());
}

bool CodeEntry::boxKey(int keyAscii)
{
    const bool enter = keyAscii == KeyEnter;
    QuoteSheet& sheet = m_host.sheet();
    if (!m_attached) {
        // No cell was handed to the box (a click beside the cells): no key has a cell to go to.
        m_host.beep();
        return true;
    }
    if (!attachedTo(m_host.row(), m_host.col())) {
        // The current cell moved without the box following it: hand it over, and let this key,
        // typed for another cell, go nowhere.
        currentMoved();
        return true;
    }

    // Target columns: Enter steps down the same column and stops at the last row.
    if (m_host.col() >= grid::BuyTarget) {
        if (enter) {
            if (m_host.row() < grid::LastRow)
                m_host.setCurrent(m_host.row() + 1, m_host.col());
            m_host.showRowNumber(m_host.row());
            showInBox(sheet.cellText(m_host.row(), m_host.col()));
        }
        return false;
    }

    // Code columns with an empty box: any key first wipes the whole row, then takes its effect.
    if (m_host.boxText().isEmpty()) {
        for (int c = grid::Code; c <= grid::Time; ++c)
            sheet.setCellText(m_host.row(), c, QString());
        return false;
    }

    if (enter && m_host.row() != grid::LastRow)
        moveAfterEnter();
    // This looks at the row just made current: Enter on row 11 with a code in row 12 looks both up.
    if (!sheet.cellText(m_host.row(), grid::Code).isEmpty()) {
        if (enter && m_host.row() == grid::LastRow) {
            lookupCode(sheet.cellText(grid::LastRow, grid::Code));
            m_host.setCurrent(grid::FirstRow, grid::Code);
            showInBox(sheet.cellText(grid::FirstRow, grid::Code));
        }
        m_host.showRowNumber(m_host.row());
    }
    return enter;
}

void CodeEntry::moveAfterEnter()
{
    const int row = m_host.row();
    lookupCode(m_host.sheet().cellText(row, grid::Code));
    // The box shows the next row's code, so its code cell becomes current whatever column
    // Enter came from: what the user types next must land in the cell the box shows.
    m_host.setCurrent(row + 1, grid::Code);
    m_host.showRowNumber(row + 1);
    showInBox(m_host.sheet().cellText(row + 1, grid::Code));
}

void CodeEntry::lookupCode(const QString& cellText)
{
    const std::optional<QString> code = canonicalCode(cellText);
    if (code)
        m_host.chartCodeChosen(*code);
    const int row = m_host.row();
    // Without a converter the list cannot be read: keep what the user typed rather than reject it.
    if (!m_host.codeListReadable())
        return;
    const QString path = m_host.codeListPath();
    CodeList::Result found = code ? m_codeList.lookup(path, *code) : CodeList::Result{};

    if (found.status != CodeList::Status::Ok) {
        // Without the list no code can be checked: say so and keep what the user typed.
        const QString file = QDir::toNativeSeparators(path);
        m_host.warn(
            found.status == CodeList::Status::Missing
                ? u"コード一覧ファイル「%1」が見つかりません。\n銘柄名は表示できません。"_s.arg(file)
                : u"コード一覧ファイル「%1」を読み込めません。\n銘柄名は表示できません。"_s.arg(file));
        return;
    }
    if (code && !found.name)
        found = m_addedCodes.lookup(m_host.addedCodesPath(), *code);
    QuoteSheet& sheet = m_host.sheet();
    if (found.name)
        sheet.setCellText(row, grid::Name, *found.name);
    if (!sheet.cellText(row, grid::Name).isEmpty())
        return;
    if (code && hasIssuedCodeForm(*code))
        askService(row, cellText, *code);
    else
        reject(row, cellText);
}

QString CodeEntry::listedName(const QString& code)
{
    if (const auto name = m_codeList.lookup(m_host.codeListPath(), code).name)
        return *name;
    return m_addedCodes.lookup(m_host.addedCodesPath(), code).name.value_or(QString());
}

void CodeEntry::askService(int row, const QString& cellText, const QString& code)
{
    // One request per code: a second Enter on it while the page is on its way waits for that page.
    if (m_asking.contains(code))
        return;
    m_asking.insert(code);
    m_host.askQuotePage(code, [this, row, cellText, code](const std::optional<QString>& page) {
        quotePageArrived(row, cellText, code, page);
    });
}

void CodeEntry::quotePageArrived(int row, const QString& cellText, const QString& code,
                                 const std::optional<QString>& page)
{
    m_asking.remove(code);
    const QuoteFields fields = page ? parseQuotePage(*page) : QuoteFields{};
    if (!fields.isDetailPage || fields.name.isEmpty()) {
        reject(row, cellText);
        return;
    }
    // The rows may have moved while the page was on its way: name every row still waiting for it.
    QuoteSheet& sheet = m_host.sheet();
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r)
        if (canonicalCode(sheet.cellText(r, grid::Code)) == code && sheet.cellText(r, grid::Name).isEmpty())
            sheet.setCellText(r, grid::Name, fields.name);
    const QString error = appendToCodeList(m_host.addedCodesPath(), {code, fields.name});
    if (!error.isEmpty())
        m_host.warn(error);
}

void CodeEntry::reject(int row, const QString& rejected)
{
    QuoteSheet& sheet = m_host.sheet();
    m_host.sayNotFound();
    // While the message was open the rows may have moved and a refresh may have moved the
    // current cell: empty the code where the rejected row stands now, and the box only when it
    // shows that code cell (emptying a box that shows another cell would empty that cell).
    const int at = rejectedRowNow(row, rejected);
    if (at < 0)
        return;
    sheet.setCellText(at, grid::Code, QString());
    if (attachedTo(at, grid::Code))
        load(QString());
}

int CodeEntry::rejectedRowNow(int row, const QString& code) const
{
    // A rejected row has the code and no name; it is most likely still where it was.
    QuoteSheet& sheet = m_host.sheet();
    const auto isRejected = [&](int r) {
        return sheet.cellText(r, grid::Code) == code && sheet.cellText(r, grid::Name).isEmpty();
    };
    if (isRejected(row))
        return row;
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r)
        if (isRejected(r))
            return r;
    return -1;
}

void CodeEntry::gridFocused()
{
    m_host.alignNamesLeft();
    m_host.focusBox();
    handOver(m_host.row(), m_host.col());
}

bool CodeEntry::gridKey(int keyAscii)
{
    if (keyAscii != KeyEnter)
        return false;
    QuoteSheet& sheet = m_host.sheet();
    // The box is written back only into the cell it was handed; a box that shows another cell
    // (or none) leaves the current cell as it is.
    if (attachedTo(m_host.row(), m_host.col()))
        sheet.setCellText(m_host.row(), m_host.col(), m_host.boxText());
    if (m_host.col() == grid::PrevClose) {
        // Price columns left empty read as 0.
        for (int c = grid::Price; c <= grid::PrevClose; ++c) {
            m_host.setCurrent(m_host.row(), c);
            if (sheet.cellText(m_host.row(), c).trimmed().isEmpty())
                sheet.setCellText(m_host.row(), c, u"0"_s);
        }
        if (m_host.row() == grid::LastRow) { // back to the top
            m_host.setCurrent(0, m_host.col());
            m_host.setTopRow(grid::FirstRow);
        }
        m_host.setCurrent(m_host.row() + 1, m_host.col());
    }
    // The step right stops at the last column.
    m_host.setCurrent(m_host.row(), std::min(m_host.col() + 1, int(grid::Time)));
    // Taking the focus again hands the new current cell to the box; the grid already holds the
    // focus, so no focus event would come: run the focus steps directly.
    gridFocused();
    return true;
}

} // namespace tickora
