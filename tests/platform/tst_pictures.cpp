// Chart pictures: only JPEG, GIF, PNG and BMP by their first bytes, within the byte and side limits.
#include "platform/pictures.h"
#include "support/chartimages.h"
#include "support/files.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

/// A PNG padded to exactly the largest picture body taken.
QByteArray pngAtCap()
{
    QByteArray atCap = chartPng(QSize(4, 4), Qt::red);
    atCap.resize(MaxPictureBytes);
    return atCap;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Accepted pictures decode at their size; refused ones (no size) decode to nothing.
    void acceptedOrRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        for (const QSize size : {QSize(30, 20), QSize(MaxPictureSide, 1), QSize(1, MaxPictureSide)})
            QTest::addRow("PNG %dx%d", size.width(), size.height()) << chartPng(size, Qt::red) << size;
        QTest::newRow("GIF") << tinyGif(30, 20) << QSize(30, 20);
        QTest::newRow("PNG at the byte cap") << pngAtCap() << QSize(4, 4);
        QTest::newRow("PNG too wide") << chartPng(QSize(MaxPictureSide + 1, 1), Qt::red) << QSize();
        QTest::newRow("PNG too high") << chartPng(QSize(1, MaxPictureSide + 1), Qt::red) << QSize();
        QTest::newRow("GIF declaring 5000x5000") << tinyGif(5000, 5000) << QSize();
        QTest::newRow("SVG") << svgPicture() << QSize();
        QTest::newRow("PNG after a blank") << QByteArray(" " + chartPng(QSize(4, 4), Qt::red)) << QSize();
        QTest::newRow("a byte past the cap") << QByteArray(pngAtCap() + 'x') << QSize();
    }
    void acceptedOrRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QCOMPARE(isAcceptablePicture(bytes), size.isValid());
        QCOMPARE(decodePicture(bytes).size(), size.isValid() ? size : QSize(0, 0));
    }

    // A GIF may say 2 x 0 and decode 2 x 5000 pixels: the decoded picture is measured too.
    void decodedSizeMeasured()
    {
        QVERIFY(decodePicture(tinyGif(2, 5000).replace(24, 4, QByteArray("\x88\x13\0\0", 4))).isNull());
    }

    // Files load by the same rules; a picture that cannot be saved says why.
    void filesLoadedAndSaved()
    {
        const QByteArray atCap = pngAtCap();
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(u"at.png"_s), atCap) &&
                writeFile(dir.filePath(u"over.png"_s), atCap + 'x'));
        QCOMPARE(QtPictures().load(dir.filePath(u"at.png"_s)).size(), QSize(4, 4));
        QVERIFY(QtPictures().load(dir.filePath(u"over.png"_s)).isNull());
        QString error;
        QVERIFY(!QtPictures().saveBmp(QImage(), dir.filePath(u"none.bmp"_s), &error) && !error.isEmpty());
        // Whatever decodes pictures in this process is bounded once the pictures service exists.
        QImageReader::setAllocationLimit(0);
        const QtPictures bounded;
        QCOMPARE(QImageReader::allocationLimit(), ImageAllocationLimitMiB);
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
