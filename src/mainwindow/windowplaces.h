#pragma once

#include <QPoint>

// Where every control of the main window stands, in twips (1/1440 inch) from the top-left corner
// of its client area; the window turns them into pixels with the screen's DPI.

namespace tickora {

/// A control's rectangle in twips.
struct TwipsRect
{
    int left;
    int top;
    int width;
    int height;
};

namespace places {
inline constexpr TwipsRect DateLabel{480, 360, 1095, 255};
inline constexpr TwipsRect RealTimeStatus{1680, 360, 2175, 300};
inline constexpr TwipsRect CurrentRowLabel{4120, 360, 250, 255};
inline constexpr TwipsRect EntryBox{4440, 289, 855, 343};
inline constexpr TwipsRect MuteBox{12000, 360, 735, 307};
inline constexpr TwipsRect NikkeiLine{13680, 480, 4935, 255};
inline constexpr TwipsRect QuoteGrid{840, 840, 12480, 3030};
inline constexpr TwipsRect IndexChart{13680, 840, 3855, 3015};
/// The three rules across the top of the window, one pixel high.
inline constexpr TwipsRect Rules[] = {{0, 0, 18600, 0}, {0, 0, 19200, 0}, {0, 50, 19200, 0}};
/// A thumbnail's size until its first picture, and the most it grows to.
inline constexpr TwipsRect ThumbnailStart{0, 0, 4200, 2700};
inline constexpr TwipsRect ThumbnailLimit{0, 0, 4500, 2720};
} // namespace places

/// The large thumbnail layout serves screens more than 800 pixels high.
inline bool usesLargeThumbs(int screenPixelsY)
{
    return screenPixelsY > 800;
}

/// Top-left corners, in twips, of thumbnail k (0..11) and of its caption: three layout rows of
/// four, left to right, top to bottom.
struct ThumbPlace
{
    QPoint picture;
    QPoint caption;
};

namespace thumbgrid {
inline constexpr int PictureTops[2][3] = {{4380, 6500, 8640}, {4380, 7380, 10380}};
inline constexpr int PictureLefts[2][4] = {{850, 4000, 7150, 10300}, {250, 4800, 9350, 13900}};
inline constexpr int CaptionTops[2][3] = {{4130, 6250, 8390}, {4100, 7100, 10100}};
inline constexpr int CaptionLefts[2][4] = {{1050, 4200, 7350, 10500}, {550, 5000, 9800, 14350}};
} // namespace thumbgrid

inline ThumbPlace thumbPlace(int k, bool large)
{
    using namespace thumbgrid;
    const int t = large ? 1 : 0;
    const int row = k / 4;
    const int col = k % 4;
    return {QPoint(PictureLefts[t][col], PictureTops[t][row]),
            QPoint(CaptionLefts[t][col], CaptionTops[t][row])};
}

/// Width, in twips, of the room caption k has: from its left edge to the left edge of the next
/// picture in its layout row, so a long name never reaches the next caption; the last caption
/// of a row has as much room up to where a fifth picture would stand.
inline int captionSlotWidth(int k, bool large)
{
    using namespace thumbgrid;
    const int t = large ? 1 : 0;
    const int col = k % 4;
    const int pitch = PictureLefts[t][3] - PictureLefts[t][2];
    const int end = col < 3 ? PictureLefts[t][col + 1] : PictureLefts[t][3] + pitch;
    return end - CaptionLefts[t][col];
}

} // namespace tickora
