// The secondary chart windows and the picture area: captions, client areas in twips,
// backgrounds, picture areas, and pictures drawn unscaled from the top-left corner.
#include "charts/chartwindows.h"
#include "charts/picturebox.h"

#include <QPointer>
#include <QTest>

#include <functional>
#include <memory>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

using Maker = std::function<ChartWindow*(qreal dpi)>;

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
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y,
                                x < hw ? (y < hh ? Qt::red : Qt::green) : (y < hh ? Qt::blue : Qt::yellow));
    return image;
}

} // namespace

Q_DECLARE_METATYPE(Maker)

class TestChartWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout_data();
    void layout();
    void twipsFollowDpi();
    void form2TextLine();
    void form3DrawsItsPictureFromTheCorner();
    void pictureUnscaledAndClipped();
    void autoSizeFollowsPicture();
    void closedWindowIsDestroyed();
};

void TestChartWindows::layout_data()
{
    QTest::addColumn<Maker>("make");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");      // pixels at 96 DPI
    QTest::addColumn<QColor>("background"); // invalid: the default window colour
    QTest::addColumn<QRect>("picture");     // pixels at 96 DPI; null: none

    QTest::newRow("Form2") << Maker([](qreal d) { return new Form2(d); }) << u"Form2"_s << u"REAL CHART"_s
                           << QSize(545, 352) << QColor(Qt::white) << QRect(8, 0, 497, 289);
    QTest::newRow("Form3") << Maker([](qreal d) { return new Form3(d); }) << u"Form3"_s << QString()
                           << QSize(527, 393) << QColor(Qt::white) << QRect();
    QTest::newRow("Form5") << Maker([](qreal d) { return new Form5(d); }) << u"Form5"_s
                           << u"日経平均 ６ヶ月チャート +ＲＳＩ\u3000+Ｗ％Ｒ"_s << QSize(553, 393)
                           << QColor(Qt::white) << QRect(8, 8, 537, 377);
    QTest::newRow("Form7") << Maker([](qreal d) { return new Form7(d); }) << u"Form7"_s << QString()
                           << QSize(618, 419) << QColor() << QRect(8, 8, 601, 401);
    QTest::newRow("Form9") << Maker([](qreal d) { return new Form9(d); }) << u"Form9"_s
                           << u"ＮＹダウ\u30003ヶ月"_s << QSize(783, 431) << QColor(Qt::white)
                           << QRect(8, 8, 761, 409);
    QTest::newRow("Form12") << Maker([](qreal d) { return new Form12(d); }) << u"Form12"_s
                            << u"アメリカ/日本\u3000為替（1分)"_s << QSize(376, 377)
                            << QColor(0x80, 0x80, 0x80) << QRect(8, 8, 361, 361);
}

void TestChartWindows::layout()
{
    QFETCH(Maker, make);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(QColor, background);
    QFETCH(QRect, picture);

    std::unique_ptr<ChartWindow> w(make(96.0));
    QCOMPARE(w->objectName(), name);
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(w->isWindow());
    QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!w->isModal());
    QCOMPARE(w->size(), client);
    if (background.isValid()) {
        QVERIFY(w->autoFillBackground());
        QCOMPARE(w->palette().color(QPalette::Window), background);
    } else {
        QVERIFY(!w->autoFillBackground());
    }
    PictureBox* box = pictureOf(w.get());
    if (picture.isNull()) {
        QVERIFY(!box);
    } else {
        QVERIFY(box);
        QCOMPARE(box->geometry(), picture);
    }
}

void TestChartWindows::twipsFollowDpi()
{
    // At 120 DPI a twip is 1/12 pixel: 8295 × 5895 twips are 691 × 491 pixels.
    Form5 w(120.0);
    QCOMPARE(w.size(), QSize(691, 491));
    QCOMPARE(pictureOf(&w)->geometry(), QRect(10, 10, 671, 471));
}

void TestChartWindows::form2TextLine()
{
    Form2 w(96.0);
    QVERIFY(w.Label1);
    QCOMPARE(w.Label1->objectName(), u"Label1"_s);
    QCOMPARE(w.Label1->geometry(), QRect(24, 304, 505, 33));
    QVERIFY(w.Label1->text().isEmpty());
    QCOMPARE(w.Label1->palette().color(QPalette::Window), QColor(Qt::white));
}

void TestChartWindows::form3DrawsItsPictureFromTheCorner()
{
    Form3 w(96.0);
    w.setPicture(quadrants(QSize(100, 60)));
    const QImage shot = w.grab().toImage();
    QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(99, 0), QColor(Qt::blue));
    QCOMPARE(shot.pixelColor(0, 59), QColor(Qt::green));
    QCOMPARE(shot.pixelColor(99, 59), QColor(Qt::yellow));
    QCOMPARE(shot.pixelColor(100, 0), QColor(Qt::white));
    QCOMPARE(shot.pixelColor(0, 60), QColor(Qt::white));

    // Nothing beyond the screen is kept.
    w.setPicture(quadrants(QSize(4000, 4000)));
    QVERIFY(w.picture().width() <= w.screen()->size().width());
    QVERIFY(w.picture().height() <= w.screen()->size().height());

    // An empty picture leaves the white background.
    w.setPicture(QImage());
    QCOMPARE(w.grab().toImage().pixelColor(0, 0), QColor(Qt::white));
}

void TestChartWindows::pictureUnscaledAndClipped()
{
    Form12 w(96.0);
    PictureBox* box = pictureOf(&w);
    // Smaller than the area: drawn at its natural size from the top-left corner.
    box->setPicture(quadrants(QSize(40, 20)));
    QImage shot = box->grab().toImage();
    QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(39, 19), QColor(Qt::yellow));
    QVERIFY(shot.pixelColor(45, 25) != QColor(Qt::yellow));
    // Larger than the area: cut at the area's edge, not shrunk.
    box->setPicture(quadrants(QSize(800, 800)));
    shot = box->grab().toImage();
    QCOMPARE(box->size(), QSize(361, 361));
    QCOMPARE(shot.pixelColor(360, 360), QColor(Qt::red));
    QCOMPARE(box->picture().size(), QSize(361, 361)); // only what shows is kept
    // The empty picture clears the area.
    box->clearPicture();
    QVERIFY(!box->hasPicture());
    QVERIFY(box->pixmap().isNull());
}

void TestChartWindows::autoSizeFollowsPicture()
{
    PictureBox box;
    box.setGeometry(10, 20, 280, 180);
    box.setFlatBorder(true);
    box.setAutoSize(true);
    box.setPicture(quadrants(QSize(150, 90)));
    QCOMPARE(box.geometry(), QRect(10, 20, 152, 92)); // picture plus a one-pixel border each side
    box.clearPicture();
    QCOMPARE(box.geometry(), QRect(10, 20, 152, 92));
    box.setPicture(quadrants(QSize(300, 200)));
    QCOMPARE(box.size(), QSize(302, 202));
    // Never beyond the maximum size, and only what shows is kept.
    box.setMaximumSize(252, 152);
    box.setPicture(quadrants(QSize(4000, 3000)));
    QCOMPARE(box.size(), QSize(252, 152));
    QCOMPARE(box.picture().size(), QSize(250, 150));
}

void TestChartWindows::closedWindowIsDestroyed()
{
    QPointer<Form9> w = new Form9(96.0);
    w->show();
    QVERIFY(!w->isClosing());
    QVERIFY(w->close());
    QVERIFY(w->isClosing());
    QTRY_VERIFY(w.isNull());
}

QTEST_MAIN(TestChartWindows)
#include "tst_chartwindows.moc"
