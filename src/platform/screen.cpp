#include "screen.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace tickora {

namespace {
QScreen* primary()
{
    return QGuiApplication::primaryScreen();
}
} // namespace

QSize QtScreen::sizePixels() const
{
    return primary() ? primary()->size() : QSize(1024, 768);
}

qreal QtScreen::logicalDpiX() const
{
    return primary() ? primary()->logicalDotsPerInchX() : 96.0;
}

qreal QtScreen::logicalDpiY() const
{
    return primary() ? primary()->logicalDotsPerInchY() : 96.0;
}

QImage QtScreen::grabDesktop()
{
    return primary() ? primary()->grabWindow(0).toImage() : QImage();
}

} // namespace tickora
