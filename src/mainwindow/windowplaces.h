#pragma once

#include <QPoint>

namespace tickora {

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
