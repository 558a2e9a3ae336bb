// Chart pictures are decoded only in four formats and within a size cap.
#include "platform/pictures.h"
#include "support/chartimages.h"

#include <QImageReader>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {
QByteArray encoded(QSize size, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}
} // namespace

class TestPictures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The bomb is a well-formed picture: only the size cap refuses it.
    void bombIsWellFormed()
    {
        QBuffer buffer;
        buffer.setData(gifBomb());
        buffer.open(QIODevice::ReadOnly);
        QCOMPARE(QImageReader(&buffer, "gif").size(), QSize(5000, 5000));
    }

    void decodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size"); // invalid: refused
        for (const char* format : {"PNG", "JPEG", "BMP"})
            QTest::newRow(format) << encoded(QSize(30, 20), format) << QSize(30, 20);
        QTest::newRow("GIF") << tinyGif(30, 20) << QSize(30, 20);
        QTest::newRow("widest") << encoded(QSize(MaxPictureSide, 1), "PNG") << QSize(MaxPictureSide, 1);
        QTest::newRow("too wide") << encoded(QSize(MaxPictureSide + 1, 1), "PNG") << QSize();
        QTest::newRow("too high") << encoded(QSize(1, MaxPictureSide + 1), "BMP") << QSize();
        QTest::newRow("GIF bomb") << gifBomb() << QSize();
        QTest::newRow("SVG") << svgPicture() << QSize();
        QTest::newRow("SVGZ") << svgzPicture() << QSize();
        QTest::newRow("XPM") << encoded(QSize(4, 4), "XPM") << QSize();
        QTest::newRow("PNG behind a blank") << " " + encoded(QSize(4, 4), "PNG") << QSize();
        QByteArray huge = encoded(QSize(4, 4), "BMP");
        huge.resize(MaxPictureBytes + 1);
        QTest::newRow("body over the cap") << huge << QSize();
    }
    void decodes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QCOMPARE(isAcceptablePicture(bytes), size.isValid());
        QCOMPARE(decodePicture(bytes).size(), size.isValid() ? size : QSize(0, 0));
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
