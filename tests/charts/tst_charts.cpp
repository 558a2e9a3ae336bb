// Chart addresses and the code they need; the chart windows and the picture area: twips follow
// the screen's DPI, pictures are drawn unscaled from the top-left corner and only what shows is
// kept, closed windows go away.
#include "charts/chartsources.h"
#include "charts/chartwindows.h"
#include "charts/picturebox.h"

#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <functional>

using namespace tickora;
using namespace Qt::StringLiterals;

using Builder = std::function<ChartDownload(const Config&)>;
Q_DECLARE_METATYPE(Builder)

namespace {

/// Four quadrants of distinct colours, so scaling or shifting shows in any corner pixel.
QImage quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    const int hw = size.width() / 2, hh = size.height() / 2;
    QPainter p(&image);
    p.fillRect(0, 0, hw, hh, Qt::red);
    p.fillRect(hw, 0, size.width() - hw, hh, Qt::blue);
    p.fillRect(0, hh, hw, size.height() - hh, Qt::green);
    p.fillRect(hw, hh, size.width() - hw, size.height() - hh, Qt::yellow);
    return image;
}

} // namespace

class TestCharts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addresses_data()
    {
        QTest::addColumn<Builder>("build");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("oneChart");
        const QString b = u"http://h:8080"_s;
        QTest::newRow("6-month stock")
            << Builder([](const Config& c) { return sixMonthChart(c, 9984); })
            << b + u"/chart/z?s=9984.T&t=6m&q=c&l=off&z=m&p=m130,s&a=v,r&c=%22"_s << u"ny.gif"_s << false;
        QTest::newRow("code below 1000")
            << Builder([](const Config& c) { return yearChart(c, 72); })
            << b + u"/chart/b?s=72.T&t=1y&q=c&l=off&z=m&p=m65,m130,s&a=v&c="_s << u"chart.jpg"_s << false;
        QTest::newRow("index chart") << Builder([](const Config& c) { return nikkeiIndexChart(c); })
                                     << b + u"/nikkei/gifdata/nk_chart_L.gif"_s << u"rel.jpg"_s << true;
        QTest::newRow("advance/decline") << Builder([](const Config& c) { return advanceDeclineChart(c); })
                                         << b + u"/md/Pics/Stock/Day/K001881.GIF"_s << u"trk.gif"_s << true;
        QTest::newRow("thumbnail, 800 pixels high is small")
            << Builder([](const Config& c) { return thumbnailChart(c, 7203, 800); })
            << b + u"/chart/t?s=7203.T"_s << u"yahoo.jpg"_s << false;
        QTest::newRow("thumbnail, 801 is large")
            << Builder([](const Config& c) { return thumbnailChart(c, 7203, 801); })
            << b + u"/chart/f?s=7203.T"_s << u"yahoo.jpg"_s << false;
    }
    void addresses()
    {
        QFETCH(Builder, build);
        QFETCH(QString, url);
        QFETCH(QString, file);
        QFETCH(bool, oneChart);
        Config c;
        c.dataDir = u"/data/kabu"_s;
        c.chartBase = QUrl(u"http://h:8080/chart"_s);
        c.nikkeiChartBase = QUrl(u"http://h:8080/nikkei"_s);
        c.marketDataBase = QUrl(u"http://h:8080/md"_s);
        const ChartDownload d = build(c);
        QCOMPARE(d.url.toString(QUrl::FullyEncoded), url);
        QCOMPARE(d.file, u"/data/kabu/"_s + file);
        QCOMPARE(d.fileHoldsOneChart, oneChart);
    }

    void codeFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code"); // -1: no chart
        const std::pair<const char16_t*, int> rows[] = {
            {u"0072", 72},     {u"32767", 32767}, {u"32768", -1}, {u"327670", -1},   {u" 7203 ", 7203},
            {u"7203.0", 7203}, {u"7203.", 7203},  {u".0", 0},     {u".", -1},        {u"7203.01", -1},
            {u"-1", -1},       {u"", -1},         {u"7e3", -1},   {u"７２０３", -1},
        };
        for (const auto& [text, code] : rows)
            QTest::newRow(QString::fromUtf16(text).toUtf8().constData()) << QString::fromUtf16(text) << code;
    }
    void codeFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        const std::optional<qint16> got = chartCodeFromText(text);
        QCOMPARE(got.has_value(), code >= 0);
        if (got)
            QCOMPARE(int(*got), code);
    }

    void twipsFollowDpi()
    {
        // At 120 DPI a twip is 1/12 pixel: 8295 × 5895 twips are 691 × 491 pixels.
        Form5 w(120.0);
        QCOMPARE(w.size(), QSize(691, 491));
        QCOMPARE(w.findChild<PictureBox*>(u"Image1"_s)->geometry(), QRect(10, 10, 671, 471));
    }

    void form3DrawsItsPictureFromTheCorner()
    {
        Form3 w(96.0);
        w.setPicture(quadrants(QSize(100, 60)));
        const QImage shot = w.grab().toImage();
        QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(99, 59), QColor(Qt::yellow));
        QCOMPARE(shot.pixelColor(100, 0), QColor(Qt::white));
        // Nothing beyond the screen is kept, on either side.
        const QSize screen = w.screen()->size();
        for (const QSize size : {QSize(4000, 4000), QSize(100, 4000), QSize(4000, 100)}) {
            w.setPicture(quadrants(size));
            QCOMPARE(w.picture().size(), size.boundedTo(screen));
        }
    }

    void pictureUnscaledAndClipped()
    {
        Form12 w(96.0);
        PictureBox* box = w.findChild<PictureBox*>(u"Image1"_s);
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

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
