#pragma once

#include "quotes/quotesheet.h"

#include <QTableWidget>

#include <array>

namespace tickora {

/// The quote grid: 13 × 13 text cells, row 0 a fixed header row and column 0 a fixed column.
/// Cells are never edited in place; the entry box is the only editor. Row and Col follow the
/// grid's current cell, which clicks and arrow keys move too.
class QuoteGrid : public QTableWidget, public QuoteSheet
{
    Q_OBJECT
public:
    explicit QuoteGrid(qreal dpi, QWidget* parent = nullptr);

    // QuoteSheet: by row and column, without moving the current cell.
    QString cellText(int row, int col) const override;
    void setCellText(int row, int col, const QString& text) override;
    quint32 cellForeColor(int row, int col) const override;
    void setCellForeColor(int row, int col, quint32 bgr) override;

    /// Background of cells of one row from `firstCol` to `lastCol` (0x00BBGGRR).
    void setRowBackground(int row, int firstCol, int lastCol, quint32 bgr);
    QColor cellBackground(int row, int col) const;

    int row() const { return m_row; }
    int col() const { return m_col; }
    void setCurrent(int row, int col);
    /// Text of the current cell.
    QString text() const { return cellText(m_row, m_col); }
    void setText(const QString& text) { setCellText(m_row, m_col, text); }

    void setColWidthTwips(int col, int twips);
    int colWidthTwips(int col) const;
    void setTopRow(int row);

Q_SIGNALS:
    /// A mouse click on a cell, after the clicked cell has become current.
    void clicked();
    /// A mouse click on a fixed cell or beside the cells, just before its clicked(); the current
    /// cell stays where it was.
    void clickedBesideCells();
    /// The program set the current cell (the same one again included), or a click or the grid's
    /// own navigation moved it.
    void currentMoved();
    /// The grid took the keyboard focus.
    void focusReceived();
    /// A character key (Enter is 13) while the grid holds the focus; set `*consumed` to eat it.
    void keyPressed(int keyAscii, bool* consumed);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    QTableWidgetItem* itemAt(int row, int col) const;
    void syncView();
    /// Makes (row, col) current and reports the move when the cell changed.
    void moveTo(int row, int col);
    void emitPendingFocus();

    qreal m_dpi;
    std::array<int, grid::Cols> m_colTwips{};
    int m_row = 1;
    int m_col = 1;
    bool m_focusFromClick = false; ///< focus came with a mouse press not yet delivered
    /// Where the left button went down, until it comes up again.
    enum class Press
    {
        None,
        OnCell,  ///< a data cell, now the current cell
        Outside, ///< a fixed cell or beside the cells
    };
    Press m_press = Press::None;
};

} // namespace tickora
