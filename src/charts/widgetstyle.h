#pragma once

#include "platform/geometry.h"

#include <QPalette>
#include <QWidget>

namespace tickora {

/// Sets one colour of a widget's palette to a 0x00BBGGRR colour.
inline void setPaletteColor(QWidget* w, QPalette::ColorRole role, quint32 bgr)
{
    QPalette pal = w->palette();
    pal.setColor(role, bgrColor(bgr));
    w->setPalette(pal);
}

/// Fills a widget's background with a 0x00BBGGRR colour.
inline void setBackground(QWidget* w, quint32 bgr)
{
    w->setAutoFillBackground(true);
    setPaletteColor(w, QPalette::Window, bgr);
}

} // namespace tickora
