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

inline ThumbPlace thumbPlace(int k, bool large)
{
    static constexpr int pictureTops[2][3] = {{4380, 6500, 8640}, {4380, 7380, 10380}};
    static constexpr int pictureLefts[2][4] = {{850, 4000, 7150, 10300}, {250, 4800, 9350, 13900}};
    static constexpr int captionTops[2][3] = {{4130, 6250, 8390}, {4100, 7100, 10100}};
    static constexpr int captionLefts[2][4] = {{1050, 4200, 7350, 10500}, {550, 5000, 9800, 14350}};
    const int t = large ? 1 : 0;
    const int row = k / 4;
    const int col = k % 4;
    return {QPoint(pictureLefts[t][col], pictureTops[t][row]),
            QPoint(captionLefts[t][col], captionTops[t][row])};
}

} // namespace tickora
