#pragma once

#include <QString>
#include <QtGlobal>

namespace tickora {

/// Grid geometry shared by every part of the program: row 0 is the header, column 0 a fixed
/// column, rows 1..12 the watch list, columns 1..12 a watched stock's record.
namespace grid {
constexpr int Rows = 13;
constexpr int Cols = 13;
constexpr int FirstRow = 1;
constexpr int LastRow = 12;
/// Rows of the watch list, each with a thumbnail of its own.
constexpr int WatchedRows = LastRow - FirstRow + 1;
enum Column : int
{
    Code = 1,
    Name = 2,
    Price = 3,
    Change = 4,
    PrevClose = 5,
    Volume = 6,
    Open = 7,
    High = 8,
    Low = 9,
    BuyTarget = 10,
    SellTarget = 11,
    Time = 12,
};
} // namespace grid

/// Cell colours as 0x00BBGGRR values; 0 means the grid's default text colour.
namespace cellcolor {
constexpr quint32 Default = 0;
constexpr quint32 Red = 0x0000FF;   // RGB 255, 0, 0
constexpr quint32 Green = 0x00FF00; // RGB 0, 255, 0
} // namespace cellcolor

/// The cells of the quote grid as the quote logic sees them: text and text colour by row and
/// column. Reading or writing a cell never moves the grid's current cell.
class QuoteSheet
{
public:
    virtual ~QuoteSheet() = default;
    virtual QString cellText(int row, int col) const = 0;
    virtual void setCellText(int row, int col, const QString& text) = 0;
    virtual quint32 cellForeColor(int row, int col) const = 0;
    virtual void setCellForeColor(int row, int col, quint32 bgr) = 0;
};

} // namespace tickora
