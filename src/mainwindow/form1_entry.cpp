// Code entry through the entry box, code-list lookup and the grid's own events.
#include "form1.h"

#include "entrybox.h"
#include "platform/numbers.h"
#include "quotegrid.h"

#include <QDir>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

constexpr int KeyEnter = 13;
const QString AppTitle = u"Tickora"_s;

} // namespace

void Form1::showInBox(const QString& text)
{
    m_showingCell = true;
    Text1->setText(text);
    m_showingCell = false;
}

void Form1::Text1_Change()
{
    // Loading the box from a cell shows the cell as it is: the filter is for what the user types.
    if (m_showingCell)
        return;
    // The filter's own edit of the box raises this event again; the pass below has done its work.
    if (m_filtering)
        return;
    if (MSFlexGrid1->col() != grid::Name) {
        // As if NumericOnly ran until the text is clean, one beep per refused character, but in
        // one pass: a long paste neither nests text-change events nor redraws the box per character.
        const FilteredText filtered = removeRefused(Text1->text());
        if (filtered.removed > 0) {
            m_filtering = true;
            Text1->setText(filtered.text);
            m_filtering = false;
            for (int i = 0; i < filtered.removed && m_services.sound; ++i)
                m_services.sound->beep();
            Text1->setCursorPosition(int(filtered.text.size()));
            Text1->setFocus();
        }
    }
    // The header row and the fixed column are never the box's to edit.
    if (MSFlexGrid1->row() >= grid::FirstRow && MSFlexGrid1->col() >= grid::Code)
        MSFlexGrid1->setText(Text1->text());
}

void Form1::Text1_GotFocus()
{
    Text1->setCursorPosition(int(Text1->text().size()));
}

bool Form1::NumericOnly(EntryBox* box)
{
    const QString text = box->text();
    const RefusedChar refused = firstRefused(text);
    if (refused.position < 0)
        return false;
    const QString shortened = QString(text).remove(refused.position, refused.length);
    box->setText(shortened);
    if (m_services.sound)
        m_services.sound->beep();
    box->setCursorPosition(int(shortened.size()));
    box->setFocus();
    return true;
}

bool Form1::Text1_KeyPress(int keyAscii)
{
    const bool enter = keyAscii == KeyEnter;
    const int col = MSFlexGrid1->col();

    // Target columns: Enter steps down the same column and stops at the last row.
    if (col >= grid::BuyTarget) {
        if (enter) {
            if (MSFlexGrid1->row() < grid::LastRow)
                MSFlexGrid1->setRow(MSFlexGrid1->row() + 1);
            Label5->setText(QString::number(MSFlexGrid1->row()));
            showInBox(MSFlexGrid1->text());
        }
        return false;
    }

    // Code columns with an empty box: any key first wipes the whole row, then takes its effect.
    if (Text1->text().isEmpty()) {
        const int row = MSFlexGrid1->row();
        for (int c = grid::Code; c <= grid::Time; ++c)
            MSFlexGrid1->setCellText(row, c, QString());
        return false;
    }

    if (enter && MSFlexGrid1->row() != grid::LastRow) {
        const int row = MSFlexGrid1->row();
        lookupCode(toInt16(MSFlexGrid1->cellText(row, grid::Code)));
        // The box shows the next row's code, so its code cell becomes current whatever column
        // Enter came from: what the user types next must land in the cell the box shows.
        MSFlexGrid1->setCurrent(row + 1, grid::Code);
        Label5->setText(QString::number(row + 1));
        showInBox(MSFlexGrid1->cellText(row + 1, grid::Code));
    }
    // This looks at the row just made current: Enter on row 11 with a code in row 12 looks both up.
    if (!MSFlexGrid1->cellText(MSFlexGrid1->row(), grid::Code).isEmpty()) {
        if (enter && MSFlexGrid1->row() == grid::LastRow) {
            lookupCode(toInt16(MSFlexGrid1->cellText(grid::LastRow, grid::Code)));
            MSFlexGrid1->setCurrent(grid::FirstRow, grid::Code);
            showInBox(MSFlexGrid1->cellText(grid::FirstRow, grid::Code));
        }
        Label5->setText(QString::number(MSFlexGrid1->row()));
    }
    return enter;
}

void Form1::LookupCode()
{
    lookupCode(chartCode);
}

void Form1::lookupCode(std::optional<qint16> code)
{
    if (code)
        chartCode = *code;
    const int row = MSFlexGrid1->row();
    if (!m_services.shiftJisConverter) {
        // The code list cannot be read: keep what the user typed rather than reject it.
        showNoShiftJis();
        return;
    }
    const QString path = m_services.config.dataFile(u"tousyou1.csv"_s);
    const CodeList::Result found = code ? m_codeList.lookup(path, *code) : CodeList::Result{};

    if (found.status != CodeList::Status::Ok) {
        // Without the list no code can be checked: say so and keep what the user typed.
        const QString file = QDir::toNativeSeparators(path);
        const QString text =
            found.status == CodeList::Status::Missing
                ? u"コード一覧ファイル「%1」が見つかりません。\n銘柄名は表示できません。"_s.arg(file)
                : u"コード一覧ファイル「%1」を読み込めません。\n銘柄名は表示できません。"_s.arg(file);
        if (m_services.dialogs)
            m_services.dialogs->message(this, AppTitle, text, Dialogs::Icon::Warning);
        return;
    }
    if (found.name)
        MSFlexGrid1->setCellText(row, grid::Name, *found.name);

    if (MSFlexGrid1->cellText(row, grid::Name).isEmpty()) {
        const QString rejected = MSFlexGrid1->cellText(row, grid::Code);
        if (m_services.dialogs)
            m_services.dialogs->message(this, AppTitle, u"入力したコードは該当なし"_s, Dialogs::Icon::None);
        // While the message was open the rows may have moved and a refresh may have moved the
        // current cell: empty the code where the rejected row stands now, and the box only when
        // it shows that code cell (emptying a box that shows another cell would empty that cell).
        const int at = rejectedRowNow(row, rejected);
        if (at < 0)
            return;
        MSFlexGrid1->setCellText(at, grid::Code, QString());
        if (MSFlexGrid1->row() == at && MSFlexGrid1->col() == grid::Code)
            Text1->setText(QString());
    }
}

int Form1::rejectedRowNow(int row, const QString& code) const
{
    // A rejected row has the code and no name; it is most likely still where it was.
    const auto isRejected = [&](int r) {
        return MSFlexGrid1->cellText(r, grid::Code) == code && MSFlexGrid1->cellText(r, grid::Name).isEmpty();
    };
    if (isRejected(row))
        return row;
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r)
        if (isRejected(r))
            return r;
    return -1;
}

void Form1::MSFlexGrid1_Click()
{
    Label5->setText(QString::number(MSFlexGrid1->row()));
    stopCycle();
}

void Form1::MSFlexGrid1_GotFocus()
{
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r)
        MSFlexGrid1->item(r, grid::Name)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Text1->setFocus();
    showInBox(MSFlexGrid1->text());
}

bool Form1::MSFlexGrid1_KeyPress(int keyAscii)
{
    if (keyAscii != KeyEnter)
        return false;
    MSFlexGrid1->setText(Text1->text());
    if (MSFlexGrid1->col() == grid::PrevClose) {
        // Price columns left empty read as 0.
        for (int c = grid::Price; c <= grid::PrevClose; ++c) {
            MSFlexGrid1->setCol(c);
            if (MSFlexGrid1->text().trimmed().isEmpty())
                MSFlexGrid1->setText(u"0"_s);
        }
        if (MSFlexGrid1->row() >= grid::LastRow)
            MSFlexGrid1->setTopRow(MSFlexGrid1->topRow() + 1);
        if (MSFlexGrid1->row() == grid::LastRow) {
            MSFlexGrid1->setRow(0);
            MSFlexGrid1->setTopRow(grid::FirstRow);
        }
        MSFlexGrid1->setRow(MSFlexGrid1->row() + 1);
    }
    // The step right stops at the last column.
    if (MSFlexGrid1->col() < grid::Time)
        MSFlexGrid1->setCol(MSFlexGrid1->col() + 1);
    // Taking the focus again hands the new current cell to the box; the grid already holds the
    // focus, so no focus event would come: run the focus steps directly.
    MSFlexGrid1_GotFocus();
    return true;
}

} // namespace tickora
