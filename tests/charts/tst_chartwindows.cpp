// The chart windows and the picture area: twips follow the screen's DPI, pictures are drawn
// unscaled from the top-left corner and only what shows is kept, closed windows go away.
#include "charts/chartwindows.h"
#include "charts/picturebox.h"

#include <QPainter>
#include <QPointer>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

PictureBox* pictureOf(ChartWindow* w)
{
    return w->findChild<PictureBox*>(u"Image1"_s);
}

/// Four quadrants of distinct colours, so scaling or shifting shows in any corner pixel.
QImage quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    const int hw = size.width() / 2;
    const int hh = size.height() / 2;
    QPainter p(&image);
    p.fillRect(0, 0, hw, hh, Qt::red);
    p.fillRect(hw, 0, size.width() - hw, hh, Qt::blue);
    p.fillRect(0, hh, hw, size.height() - hh, Qt::green);
    p.fillRect(hw, hh, size.width() - hw, size.height() - hh, Qt::yellow);
    return image;
}

} // namespace

class TestChartWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void twipsFollowDpi()
    {
        // At 120 DPI a twip is 1/12 pixel: 8295 × 5895 twips are 691 × 491 pixels.
        Form5 w(120.0);
        QCOMPARE(w.size(), QSize(691, 491));
        QCOMPARE(pictureOf(&w)->geometry(), QRect(10, 10, 671, 471));
    }

    void form3DrawsItsPictureFromTheCorner()
    {
        Form3 w(96.0);
        w.setPicture(quadrants(QSize(100, 60)));
        const QImage shot = w.grab().toImage();
        QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(99, 59), QColor(Qt::yellow));
        QCOMPARE(shot.pixelColor(100, 0), QColor(Qt::white));
        // Nothing beyond the screen is kept.
        w.setPicture(quadrants(QSize(4000, 4000)));
        QVERIFY(w.picture().width() <= w.screen()->size().width());
        QVERIFY(w.picture().height() <= w.screen()->size().height());
    }

    void pictureUnscaledAndClipped()
    {
        Form12 w(96.0);
        PictureBox* box = pictureOf(&w);
        box->setPicture(quadrants(QSize(40, 20)));
        QImage shot = box->grab().toImage();
        QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(39, 19), QColor(Qt::yellow));
        QVERIFY(shot.pixelColor(45, 25) != QColor(Qt::yellow));
        // Larger than the area: cut at the area's edge, not shrunk, and only what shows is kept.
        box->setPicture(quadrants(QSize(800, 800)));
        shot = box->grab().toImage();
        QCOMPARE(shot.pixelColor(box->width() - 1, box->height() - 1), QColor(Qt::red));
        QCOMPARE(box->picture().size(), box->size());
        box->clearPicture();
        QVERIFY(box->pixmap().isNull());
    }

    void autoSizeFollowsPicture()
    {
        PictureBox box;
        box.setGeometry(10, 20, 280, 180);
        box.setFlatBorder(true);
        box.setAutoSize(true);
        box.setPicture(quadrants(QSize(150, 90)));
        QCOMPARE(box.geometry(), QRect(10, 20, 152, 92)); // picture plus a one-pixel border each side
        box.clearPicture();
        QCOMPARE(box.geometry(), QRect(10, 20, 152, 92));
        // Never beyond the maximum size, and only what shows is kept.
        box.setMaximumSize(252, 152);
        box.setPicture(quadrants(QSize(4000, 3000)));
        QCOMPARE(box.size(), QSize(252, 152));
        QCOMPARE(box.picture().size(), QSize(250, 150));
    }

    void closedWindowIsDestroyed()
    {
        QPointer<Form9> w = new Form9(96.0);
        w->show();
        QVERIFY(w->close());
        QVERIFY(w->isClosing());
        QTRY_VERIFY(w.isNull());
    }
};

QTEST_MAIN(TestChartWindows)
#include "tst_chartwindows.moc"
