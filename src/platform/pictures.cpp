#include "pictures.h"

#include "savefile.h"

#include <QBuffer>
#include <QImageReader>

namespace tickora {

QImage QtPictures::load(const QString& path)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

bool QtPictures::saveBmp(const QImage& image, const QString& path, QString* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "BMP")) {
        if (error)
            *error = QStringLiteral("BMP encoding failed");
        return false;
    }
    return saveFileAtomically(path, bytes, error);
}

} // namespace tickora
