#include "quotegrid.h"

#include "platform/geometry.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <utility>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {
// Fixed cells look like a header; the normal background stays the view's base colour.
const QColor FixedBackground(0xD4, 0xD0, 0xC8);
} // namespace

QuoteGrid::QuoteGrid(qreal dpi, QWidget* parent) : QTableWidget(grid::Rows, grid::Cols, parent), m_dpi(dpi)
{
    setObjectName(u"quoteGrid"_s);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, bgrColor(0x00FF8000));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, bgrColor(0x00FF8000));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    setPalette(pal);

    // Rows and the default column width are sized so that all 13 rows and columns fit the
    // grid's area without scrolling.
    const int rowHeight = twipsToPixels(210, dpi);
    verticalHeader()->setMinimumSectionSize(1);
    for (int r = 0; r < grid::Rows; ++r) {
        setRowHeight(r, rowHeight);
        for (int c = 0; c < grid::Cols; ++c) {
            auto* item = new QTableWidgetItem;
            Qt::ItemFlags flags = Qt::ItemIsEnabled;
            if (r > 0 && c > 0)
                flags |= Qt::ItemIsSelectable;
            else
                item->setBackground(FixedBackground);
            item->setFlags(flags);
            setItem(r, c, item);
        }
    }
    for (int c = 0; c < grid::Cols; ++c)
        setColWidthTwips(c, 880);

    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col) {
        // Fixed cells never become current, whatever the view does.
        if (row < grid::FirstRow || col < 1)
            return;
        moveTo(row, col);
    });
    syncView();
}

QTableWidgetItem* QuoteGrid::itemAt(int row, int col) const
{
    return item(row, col);
}

QString QuoteGrid::cellText(int row, int col) const
{
    const QTableWidgetItem* it = itemAt(row, col);
    return it ? it->text() : QString();
}

void QuoteGrid::setCellText(int row, int col, const QString& text)
{
    if (QTableWidgetItem* it = itemAt(row, col))
        it->setText(text);
}

quint32 QuoteGrid::cellForeColor(int row, int col) const
{
    const QTableWidgetItem* it = itemAt(row, col);
    if (!it)
        return cellcolor::Default;
    const QVariant v = it->data(Qt::UserRole);
    return v.isValid() ? v.toUInt() : cellcolor::Default;
}

void QuoteGrid::setCellForeColor(int row, int col, quint32 bgr)
{
    QTableWidgetItem* it = itemAt(row, col);
    if (!it)
        return;
    if (bgr == cellcolor::Default) {
        it->setData(Qt::UserRole, QVariant());
        it->setData(Qt::ForegroundRole, QVariant());
    } else {
        it->setData(Qt::UserRole, bgr);
        it->setForeground(bgrColor(bgr));
    }
}

void QuoteGrid::setRowBackground(int row, int firstCol, int lastCol, quint32 bgr)
{
    for (int c = firstCol; c <= lastCol; ++c)
        if (QTableWidgetItem* it = itemAt(row, c))
            it->setBackground(bgrColor(bgr));
}

QColor QuoteGrid::cellBackground(int row, int col) const
{
    const QTableWidgetItem* it = itemAt(row, col);
    return it ? it->background().color() : QColor();
}

void QuoteGrid::setCurrent(int row, int col)
{
    // Reported even when the cell stays: the program hands that cell over again.
    m_row = qBound(0, row, grid::Rows - 1);
    m_col = qBound(0, col, grid::Cols - 1);
    syncView();
    Q_EMIT currentMoved();
}

void QuoteGrid::moveTo(int row, int col)
{
    if (row == m_row && col == m_col)
        return;
    m_row = row;
    m_col = col;
    Q_EMIT currentMoved();
}

void QuoteGrid::syncView()
{
    if (m_row >= 1 && m_col >= 1)
        setCurrentCell(m_row, m_col);
    else
        clearSelection();
}

void QuoteGrid::setColWidthTwips(int col, int twips)
{
    m_colTwips[col] = twips;
    setColumnWidth(col, twipsToPixels(twips, m_dpi));
}

int QuoteGrid::colWidthTwips(int col) const
{
    return m_colTwips[col];
}

void QuoteGrid::setTopRow(int row)
{
    scrollToItem(item(qBound(1, row, grid::LastRow), 0), QAbstractItemView::PositionAtTop);
}

void QuoteGrid::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason) {
        // A click gives the focus before the press itself arrives: report the focus once the
        // press has made the clicked cell current. Should no press follow (a click on a scroll
        // bar), report it on the next turn of the event loop.
        m_focusFromClick = true;
        QMetaObject::invokeMethod(this, &QuoteGrid::emitPendingFocus, Qt::QueuedConnection);
        return;
    }
    Q_EMIT focusReceived();
}

void QuoteGrid::emitPendingFocus()
{
    if (!m_focusFromClick)
        return;
    m_focusFromClick = false;
    Q_EMIT focusReceived();
}

void QuoteGrid::mousePressEvent(QMouseEvent* event)
{
    m_press = Press::None;
    if (event->button() != Qt::LeftButton) {
        // Only the left button clicks; any other press leaves the current cell where it is.
        event->accept();
    } else {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (!index.isValid() || index.row() < grid::FirstRow || index.column() < 1) {
            // A click on a fixed cell or beside the cells leaves the current cell where it is.
            m_press = Press::Outside;
            event->accept();
        } else {
            // The clicked cell becomes current before the focus is reported, so the focus handler
            // sees it.
            m_press = Press::OnCell;
            moveTo(index.row(), index.column());
            QTableWidget::mousePressEvent(event);
        }
    }
    emitPendingFocus();
}

void QuoteGrid::mouseReleaseEvent(QMouseEvent* event)
{
    // A left press is a click wherever the button comes up (the same cell, another cell, a fixed
    // cell, outside the grid): the pressed cell stays current and the click is raised for it.
    const Press press = std::exchange(m_press, Press::None);
    if (event->button() != Qt::LeftButton || press == Press::None) {
        event->accept();
        return;
    }
    if (press == Press::OnCell) {
        const int row = m_row;
        const int col = m_col;
        QTableWidget::mouseReleaseEvent(event);
        setCurrent(row, col);
    } else {
        event->accept();
        Q_EMIT clickedBesideCells();
    }
    Q_EMIT clicked();
}

void QuoteGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a click like the first: the focus has gone to the
    // entry box meanwhile, so take it back, and let the press make its cell current.
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    mousePressEvent(event);
}

void QuoteGrid::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging would move the current cell away from the one handed to the entry box.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTableWidget::mouseMoveEvent(event);
}

QModelIndex QuoteGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex next = QTableWidget::moveCursor(cursorAction, modifiers);
    if (!next.isValid() || next.row() < grid::FirstRow || next.column() < 1)
        return currentIndex();
    return next;
}

void QuoteGrid::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (!text.isEmpty()) {
        int key = text.at(0).unicode();
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            key = 13;
        bool consumed = false;
        Q_EMIT keyPressed(key, &consumed);
        if (consumed) {
            event->accept();
            return;
        }
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace tickora
