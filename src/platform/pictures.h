#pragma once

#include <QImage>
#include <QString>

namespace tickora {

/// Picture files: loaded by content whatever the extension; saved as BMP.
class Pictures
{
public:
    virtual ~Pictures() = default;
    /// A missing file or one without a readable picture gives a null image.
    virtual QImage load(const QString& path) = 0;
    virtual bool saveBmp(const QImage& image, const QString& path, QString* error) = 0;
};

class QtPictures : public Pictures
{
public:
    QImage load(const QString& path) override;
    bool saveBmp(const QImage& image, const QString& path, QString* error) override;
};

} // namespace tickora
