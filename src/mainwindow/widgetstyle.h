#pragma once

#include "platform/geometry.h"

#include <QPalette>
#include <QWidget>

namespace tickora {

/// Fills a widget's background with a 0x00BBGGRR colour.
inline void setBackground(QWidget* w, quint32 bgr)
{
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, bgrColor(bgr));
    w->setPalette(pal);
}

} // namespace tickora
