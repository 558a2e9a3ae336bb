// The pictures the market serves, each at the size the program lays it out in.

#include "marketclient.h"
#include "platform/pictures.h"
#include "server.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;
using tickora::market::test::fetch;

class TestChartRoutes : public QObject
{
    Q_OBJECT

    std::unique_ptr<MarketServer> m_server;
    int m_port = -1;

private Q_SLOTS:
    void initTestCase()
    {
        m_server =
            std::make_unique<MarketServer>(QList<Listing>{{u"7203"_s, u"トヨタ自動車"_s}}, ServerOptions{});
        m_port = m_server->startInBackground(0);
        QVERIFY(m_port > 0);
    }

    void pictureSizes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("a stock's day") << u"/f?s=7203.T"_s << QSize(288, 180);
        QTest::newRow("a stock's day, small") << u"/t?s=7203.T"_s << QSize(200, 126);
        QTest::newRow("a stock's year") << u"/b?s=7203.T&t=1y"_s << QSize(512, 400);
        QTest::newRow("a stock's six months") << u"/z?s=7203.T&t=6m"_s << QSize(512, 390);
        QTest::newRow("the Nikkei's six months") << u"/z?s=998407.O&t=6m"_s << QSize(537, 377);
        QTest::newRow("an unlisted stock's day") << u"/f?s=4444.T"_s << QSize(288, 180);
        QTest::newRow("the Nikkei's day") << u"/gifdata/nk_chart_L.gif"_s << QSize(256, 200);
        QTest::newRow("the Dow against the Nikkei") << u"/chart/nka_l.gif"_s << QSize(256, 200);
        QTest::newRow("advance/decline ratio") << u"/Pics/Stock/Day/K001881.GIF"_s << QSize(600, 400);
        QTest::newRow("the Dow by default") << u"/rakutensecj/common/analytic.jsp"_s << QSize(755, 400);
        QTest::newRow("the Dow at a size asked for")
            << u"/rakutensecj/common/analytic.jsp?width=300&height=200"_s << QSize(300, 200);
        QTest::newRow("the Dow at sizes kept within bounds")
            << u"/rakutensecj/common/analytic.jsp?width=5&height=9000"_s << QSize(32, 2000);
        QTest::newRow("dollar-yen at a size asked for")
            << u"/asp4gif/japan_gif.asp?x=360&y=360&barno=100"_s << QSize(360, 360);
    }
    void pictureSizes()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const auto chart = fetch(m_port, path.toStdString());
        QVERIFY(chart && chart->status == 200);
        QCOMPARE(chart->get_header_value("Content-Type"), "image/png");
        QCOMPARE(tickora::decodePicture(QByteArray::fromStdString(chart->body)).size(), size);
    }
};

QTEST_MAIN(TestChartRoutes)
#include "tst_chartroutes.moc"
