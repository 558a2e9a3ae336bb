#include "quotegrid.h"

#include "platform/geometry.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace tickora {

namespace {
// Fixed cells look like a header; the normal background stays the view's base colour.
const QColor FixedBackground(0xD4, 0xD0, 0xC8);
} // namespace

QuoteGrid::QuoteGrid(qreal dpi, QWidget* parent) : QTableWidget(grid::Rows, grid::Cols, parent), m_dpi(dpi)
{
    setObjectName(QStringLiteral("MSFlexGrid1"));
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

    const int rowHeight = twipsToPixels(225, dpi);
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
        setColWidthTwips(c, 960); // the control's default column width

    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col) {
        if (m_syncing || row < 0 || col < 0)
            return;
        m_row = row;
        m_col = col;
    });
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int col) {
        if (row >= 1 && col >= 1) {
            m_row = row;
            m_col = col;
        }
        Q_EMIT clicked();
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

void QuoteGrid::setRow(int row)
{
    m_row = qBound(0, row, grid::Rows - 1);
    syncView();
}

void QuoteGrid::setCol(int col)
{
    m_col = qBound(0, col, grid::Cols - 1);
    syncView();
}

void QuoteGrid::setCurrent(int row, int col)
{
    m_row = qBound(0, row, grid::Rows - 1);
    m_col = qBound(0, col, grid::Cols - 1);
    syncView();
}

void QuoteGrid::syncView()
{
    m_syncing = true;
    if (m_row >= 1 && m_col >= 1)
        setCurrentCell(m_row, m_col);
    else
        clearSelection();
    m_syncing = false;
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

int QuoteGrid::topRow() const
{
    return qMax(1, rowAt(0) < 0 ? 1 : rowAt(0));
}

void QuoteGrid::setTopRow(int row)
{
    scrollToItem(item(qBound(1, row, grid::LastRow), 0), QAbstractItemView::PositionAtTop);
}

void QuoteGrid::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    Q_EMIT focusReceived();
}

void QuoteGrid::mousePressEvent(QMouseEvent* event)
{
    // The clicked cell becomes current before the focus arrives, so the focus handler sees it.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.row() >= 1 && index.column() >= 1) {
        m_row = index.row();
        m_col = index.column();
    }
    QTableWidget::mousePressEvent(event);
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
