#pragma once

#include <QImage>
#include <QSize>

namespace tickora {

/// The screen the program runs on.
class Screen
{
public:
    virtual ~Screen() = default;
    virtual QSize sizePixels() const = 0;
    virtual qreal logicalDpiX() const = 0;
    virtual qreal logicalDpiY() const = 0;
    /// A picture of the whole desktop as it looks now.
    virtual QImage grabDesktop() = 0;
};

class QtScreen : public Screen
{
public:
    QSize sizePixels() const override;
    qreal logicalDpiX() const override;
    qreal logicalDpiY() const override;
    QImage grabDesktop() override;
};

} // namespace tickora
