#include "pictures.h"

#include "savefile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <memory>

using namespace Qt::StringLiterals;

namespace tickora {

QByteArray pictureFormat(QByteArrayView head)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return QByteArrayLiteral("jpeg");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return QByteArrayLiteral("png");
    if (head.startsWith("BM"))
        return QByteArrayLiteral("bmp");
    return {};
}

void limitImageAllocation()
{
    QImageReader::setAllocationLimit(ImageAllocationLimitMiB);
}

namespace {

// A reader bound to the one format the content names; Qt must not probe it for any other
// handler it has. Null when the bytes are too many or of no format read here.
std::unique_ptr<QImageReader> boundedReader(QBuffer& buffer, const QByteArray& bytes)
{
    if (bytes.size() > MaxPictureBytes)
        return {};
    const QByteArray format = pictureFormat(bytes);
    if (format.isEmpty())
        return {};
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    auto reader = std::make_unique<QImageReader>(&buffer, format);
    reader->setAutoDetectImageFormat(false);
    const QSize declared = reader->size();
    if (!declared.isValid() || declared.width() > MaxPictureSide || declared.height() > MaxPictureSide)
        return {};
    return reader;
}

} // namespace

bool isAcceptablePicture(const QByteArray& bytes)
{
    QBuffer buffer;
    return boundedReader(buffer, bytes) != nullptr;
}

QImage decodePicture(const QByteArray& bytes)
{
    QBuffer buffer;
    const std::unique_ptr<QImageReader> reader = boundedReader(buffer, bytes);
    if (!reader)
        return {};
    QImage image = reader->read();
    if (image.width() > MaxPictureSide || image.height() > MaxPictureSide)
        return {};
    return image;
}

QtPictures::QtPictures()
{
    limitImageAllocation();
}

QImage QtPictures::load(const QString& path)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodePicture(file.read(MaxPictureBytes + 1)); // refuses what is longer than the cap
}

bool QtPictures::saveBmp(const QImage& image, const QString& path, QString* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "BMP")) {
        if (error)
            *error = u"BMP encoding failed"_s;
        return false;
    }
    return saveFileAtomically(path, bytes, error);
}

} // namespace tickora
