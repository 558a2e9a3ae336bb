#pragma once

// The quote grid's cells in memory, and row helpers that work on any sheet (the window's
// grid included).

#include "quotes/quotesheet.h"

#include <QStringList>

#include <array>

namespace tickora::test {

class MemorySheet : public QuoteSheet
{
public:
    QString cellText(int row, int col) const override { return m_text.at(row).at(col); }
    void setCellText(int row, int col, const QString& text) override { m_text.at(row).at(col) = text; }
    quint32 cellForeColor(int row, int col) const override { return m_color.at(row).at(col); }
    void setCellForeColor(int row, int col, quint32 bgr) override { m_color.at(row).at(col) = bgr; }

private:
    std::array<std::array<QString, grid::Cols>, grid::Rows> m_text;
    std::array<std::array<quint32, grid::Cols>, grid::Rows> m_color{};
};

/// Writes a code and a name, a price "1,<row>" and a sell target "<row × 100>" into `row`.
void fillRow(QuoteSheet& sheet, int row, const QString& code, const QString& name);
/// The row's twelve record cells, code to time.
QStringList rowTexts(const QuoteSheet& sheet, int row);

} // namespace tickora::test
