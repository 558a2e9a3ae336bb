#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace tickora {

/// Chart pictures come from the network, so they are bounded before they are decoded: a file or
/// body larger than this is no chart picture.
constexpr qint64 MaxPictureBytes = 4 * 1024 * 1024;
/// Neither side of a chart picture may be larger than this (charts are a few hundred pixels).
constexpr int MaxPictureSide = 4096;
/// The process-wide limit of one decoded image, in MiB: a MaxPictureSide square at 32 bits.
constexpr int ImageAllocationLimitMiB = 64;

/// The format of picture bytes, decided from their first bytes: "jpeg", "gif", "png" or "bmp";
/// empty for anything else (SVG, compressed SVG and every other format Qt may know included).
QByteArray pictureFormat(QByteArrayView head);

/// Whether bytes may be decoded as a chart picture: at most MaxPictureBytes, JPEG, GIF, PNG or BMP
/// by their content, with a declared size of at most MaxPictureSide on each side. Reads only the
/// picture's header.
bool isAcceptablePicture(const QByteArray& bytes);

/// Decodes a chart picture. Only JPEG, GIF, PNG and BMP are read, decided from the content, and
/// only when the size the picture declares is at most MaxPictureSide on each side; anything else
/// gives a null image without being decoded.
QImage decodePicture(const QByteArray& bytes);

/// Sets the process-wide allocation limit of decoded images to ImageAllocationLimitMiB.
void limitImageAllocation();

/// Picture files: loaded by content whatever the extension; saved as BMP.
class Pictures
{
public:
    virtual ~Pictures() = default;
    /// A missing file or one without a readable picture gives a null image.
    virtual QImage load(const QString& path) = 0;
    virtual bool saveBmp(const QImage& image, const QString& path, QString* error) = 0;
};

/// Loads through decodePicture, so only bounded JPEG, GIF, PNG and BMP files give a picture.
class QtPictures : public Pictures
{
public:
    QtPictures();
    QImage load(const QString& path) override;
    bool saveBmp(const QImage& image, const QString& path, QString* error) override;
};

} // namespace tickora
