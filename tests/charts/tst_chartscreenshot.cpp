// The main window with six thumbnails and the index chart, loaded through the chart routines
// from pictures drawn here. The window is grabbed and saved as a PNG in the build folder; under
// X the whole screen is saved too. Each picture must stand unscaled in its slot.
#include "chartimages.h"
#include "charts/picturebox.h"
#include "fakes/fakes.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

struct Stock
{
    QString code;
    QString name;
    QColor fill;
};

const QList<Stock>& stocks()
{
    static const QList<Stock> list = {
        {u"7203"_s, u"トヨタ自動車"_s, QColor(255, 250, 235)},
        {u"6758"_s, u"ソニー"_s, QColor(235, 248, 255)},
        {u"9984"_s, u"ソフトバンク"_s, QColor(240, 255, 240)},
        {u"8306"_s, u"三菱ＵＦＪ"_s, QColor(255, 240, 245)},
        {u"7974"_s, u"任天堂"_s, QColor(248, 240, 255)},
        {u"6501"_s, u"日立製作所"_s, QColor(245, 245, 220)},
    };
    return list;
}

const QColor IndexFill(250, 250, 250);

} // namespace

class TestChartScreenshot : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mainWindowWithCharts();
};

void TestChartScreenshot::mainWindowWithCharts()
{
    FakeServices fakes;
    fakes.http.setHandler([](const HttpRequest& r) {
        const QString target = r.url.toString();
        for (int k = 0; k < stocks().size(); ++k) {
            const Stock& s = stocks()[k];
            if (target.endsWith(u"/f?s="_s + s.code + u".T"_s))
                return okResponse(pngOf(drawnChart(QSize(256, 160), s.fill, s.code + u" 日中足"_s, k + 1)));
        }
        if (target.contains(u"nk_chart_L.gif"_s))
            return okResponse(pngOf(drawnChart(QSize(250, 190), IndexFill, u"日経平均 6ヶ月"_s, 99)));
        HttpResponse none;
        none.status = 404;
        return none;
    });
    Form1 form(fakes.services());
    form.screenPixelsY = 1080;
    for (int k = 0; k < stocks().size(); ++k) {
        form.MSFlexGrid1->setCellText(k + 1, grid::Code, stocks()[k].code);
        form.MSFlexGrid1->setCellText(k + 1, grid::Name, stocks()[k].name);
    }
    form.watchCount = qint16(stocks().size());
    form.Label4->setText(u"日経平均  12,345.67  +123.45"_s);

    const bool onX = QGuiApplication::platformName() == u"xcb"_s;
    if (onX) {
        form.showAtStart();
    } else {
        form.resize(1920, 1040);
        form.show();
    }
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    bool thumbs = false;
    bool index = false;
    form.yahoochart([&thumbs] { thumbs = true; });
    form.relchart([&index] { index = true; });
    QTRY_VERIFY(thumbs && index);
    QTest::qWait(onX ? 500 : 50);

    const QImage shot = form.grab().toImage();
    const QString dir = QStringLiteral(TICKORA_SHOT_DIR);
    QVERIFY(shot.save(dir + u"/charts_mainwindow.png"_s));
    if (onX)
        QVERIFY(form.screen()->grabWindow(0).save(dir + u"/charts_screen.png"_s));

    // Each thumbnail stands in its slot at natural size: its plain top-left corner is inside
    // the slot's border, and its far corner is where the picture ends.
    const QPoint origin = form.centralWidget()->mapTo(&form, QPoint(0, 0));
    for (int k = 0; k < stocks().size(); ++k) {
        PictureBox* box = form.Image1[k];
        QCOMPARE(box->picture().size(), QSize(256, 160));
        const QPoint corner =
            origin + box->geometry().topLeft() + QPoint(box->frameWidth(), box->frameWidth());
        QCOMPARE(shot.pixelColor(corner + QPoint(2, 2)), stocks()[k].fill);
        QCOMPARE(box->size(), QSize(256, 160) + QSize(2 * box->frameWidth(), 2 * box->frameWidth()));
        QCOMPARE(form.Label1[k]->text(), stocks()[k].name);
    }
    const QPoint indexCorner = origin + form.Image2->geometry().topLeft();
    QCOMPARE(shot.pixelColor(indexCorner + QPoint(2, 2)), IndexFill);
    QCOMPARE(form.Image2->picture().size(), QSize(250, 190));
}

QTEST_MAIN(TestChartScreenshot)
#include "tst_chartscreenshot.moc"
