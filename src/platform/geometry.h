#pragma once

#include <QColor>
#include <QRect>
#include <QtGlobal>

namespace tickora {

/// Twips to device-independent pixels: twips × dpi / 1440, rounded (15 twips a pixel at 96 DPI).
inline int twipsToPixels(int twips, qreal dpi)
{
    return qRound(twips * dpi / 1440.0);
}

inline QRect twipsRect(int left, int top, int width, int height, qreal dpi)
{
    return QRect(twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
                 twipsToPixels(height, dpi));
}

/// A colour written as 0x00BBGGRR.
inline QColor bgrColor(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace tickora
