#pragma once

#include "files/codelist.h"
#include "quotes/quotesheet.h"

#include <QPoint>
#include <QSet>
#include <QString>

#include <functional>

#include <optional>

namespace tickora {

/// What code entry needs from the window: the grid's cells and current cell, the entry box,
/// the row number, a beep, the code list and its messages.
class CodeEntryHost
{
public:
    virtual ~CodeEntryHost() = default;
    virtual QuoteSheet& sheet() = 0;
    virtual int row() const = 0;
    virtual int col() const = 0;
    virtual void setCurrent(int row, int col) = 0;
    virtual void setTopRow(int row) = 0;
    virtual QString boxText() const = 0;
    /// Sets the box's text; the box reports the change back through CodeEntry::boxChanged.
    virtual void setBoxText(const QString& text) = 0;
    /// The box takes typing while it is attached to a cell, and refuses it while it is not.
    virtual void setBoxAttached(bool attached) = 0;
    /// Puts the cursor at the end of the box and gives the box the focus.
    virtual void focusBox() = 0;
    /// Shows `row` as the grid's current row number.
    virtual void showRowNumber(int row) = 0;
    /// The name column reads left-aligned once the user works in the grid.
    virtual void alignNamesLeft() = 0;
    virtual void beep() = 0;
    /// The lookup code was chosen (the charts of a stock use it too).
    virtual void chartCodeChosen(const QString& code) = 0;
    /// False when the code list cannot be read at all (no CP932 converter); the host has said so.
    virtual bool codeListReadable() = 0;
    virtual QString codeListPath() const = 0;
    /// The file of the codes the quote service named (code-list format), read after the list.
    virtual QString addedCodesPath() const = 0;
    /// Asks the quote service for the quote page of `code` once, without waiting; `done` gets
    /// the page, or nothing when there is no answer (a failure, a held service, no network).
    virtual void askQuotePage(const QString& code, std::function<void(std::optional<QString> page)> done) = 0;
    /// A modal warning box with `text`.
    virtual void warn(const QString& text) = 0;
    /// The modal box that says a code is not in the list.
    virtual void sayNotFound() = 0;
};

/// Code entry through the entry box, the box being the grid's only editor. Outside the name
/// column the box refuses characters (one beep each). Any key the box reports (a character,
/// Enter, Backspace, a paste) into an emptied box in the code columns first wipes the whole row. Enter looks
/// the row's code up in the code list and moves to the next row's code cell (from the last row back to the
/// first); in the target columns it steps down. A code that neither the list nor the added codes
/// hold is, when it has the form of an issued code, asked of the quote service: a stock's quote
/// page names it and the code is added; else, or without that form, the code is rejected: its code
/// cell is emptied where the row stands when the message closes.
///
/// The box is attached to one cell, the one it was handed, and writes only there. Whatever moves
/// the grid's current cell hands the box the new cell (a fixed cell leaves it unattached), and a
/// change of the attached cell's text from elsewhere (a refresh, a row packing, a file opened) is
/// shown in the box: so box and cell never part, and no key can write one cell's text into another.
class CodeEntry
{
public:
    explicit CodeEntry(CodeEntryHost& host) : m_host(host) {}

    /// The box shows the cell at (row, col) and writes into it from now on; a fixed cell detaches.
    void handOver(int row, int col);
    /// Empties the box and leaves it attached to no cell: typing is refused until a cell is handed.
    void detach();
    /// True while the box is attached to the cell at (row, col).
    bool attachedTo(int row, int col) const { return m_attached && *m_attached == QPoint(col, row); }
    bool attached() const { return m_attached.has_value(); }
    /// The grid's current cell moved: the box follows it.
    void currentMoved();
    /// The text or colours of the cell at (row, col) changed.
    void cellChanged(int row, int col);

    /// The box's text changed (typed, pasted or set by the window).
    void boxChanged();
    /// A character key for the box; returns true when the key is consumed.
    bool boxKey(int keyAscii);
    /// The grid took the focus: the box takes it and shows the current cell as it stands.
    void gridFocused();
    /// A character key while the grid holds the focus; returns true when consumed.
    bool gridKey(int keyAscii);
    /// Loads the box with the current cell's new text, `text`, when the box is attached to that
    /// cell: no filter, no beep, nothing written back.
    void showInBox(const QString& text);
    /// The lookup of a code cell's text; a text that is no code counts as a code not in the list.
    void lookupCode(const QString& cellText);
    /// The name the code list, else the added codes, give `code` (canonical form); empty when
    /// neither holds it or a list cannot be read.
    QString listedName(const QString& code);

private:
    /// Loads the box with `text`: no filter, no beep, nothing written back.
    void load(const QString& text);
    /// Where the row rejected at `row` with `code` stands now, or -1 when it is gone.
    int rejectedRowNow(int row, const QString& code) const;
    void moveAfterEnter();
    void reject(int row, const QString& cellText);
    void askService(int row, const QString& cellText, const QString& code);
    void quotePageArrived(int row, const QString& cellText, const QString& code,
                          const std::optional<QString>& page);

    CodeEntryHost& m_host;
    CodeList m_codeList;
    CodeList m_addedCodes;
    QSet<QString> m_asking;           ///< codes whose quote page is on its way
    bool m_showingCell = false;       ///< the box is being loaded from a cell
    bool m_filtering = false;         ///< the filter is removing refused characters from the box
    std::optional<QPoint> m_attached; ///< the cell the box writes into, as (col, row)
};

} // namespace tickora
