// The thumbnails and the index chart fetched over real HTTP from a chart server on the loopback
// interface, then the server goes away: the pictures already loaded stay on screen, nothing
// crashes and no message appears.
#include "charts/picturebox.h"
#include "mainwindow/quotegrid.h"
#include "platform/qthttpclient.h"
#include "recordinghost.h"
#include "support/chartimages.h"
#include "support/fakes.h"

#include <httplib.h>

#include <QTest>

#include <thread>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestChartsLoopback : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void picturesSurviveTheServerGoingAway();
};

void TestChartsLoopback::picturesSurviveTheServerGoingAway()
{
    const QByteArray thumb = chartPng(QSize(200, 120), QColor(240, 250, 255));
    const QByteArray index = chartPng(QSize(250, 190), QColor(255, 250, 240));
    httplib::Server server;
    server.set_keep_alive_timeout(1); // stop() waits for idle connections to end
    server.Get("/f", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(thumb.toStdString(), "image/png");
    });
    server.Get("/gifdata/nk_chart_L.gif", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(index.toStdString(), "image/gif");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    QVERIFY(port > 0);
    std::thread listener([&server] { server.listen_after_bind(); });

    FakeServices fakes;
    QtHttpClient http(QtHttpClient::Limits{3000, 1 << 20, 2});
    HttpDownloader downloader(http);
    Services s = fakes.services();
    s.config.chartBase = s.config.nikkeiChartBase = QUrl(u"http://127.0.0.1:%1"_s.arg(port));
    s.http = &http;
    s.downloader = &downloader;
    RecordingHost host;
    ChartRoutines charts(s, host);
    const QStringList codes = {u"7203"_s, u"6758"_s, u"9984"_s, u"8306"_s, u"7974"_s, u"6501"_s, u"4063"_s};
    host.fill(codes);

    auto refresh = [&] {
        host.thumbs = {};
        bool thumbs = false;
        bool chart = false;
        charts.refreshThumbnails([&thumbs] { thumbs = true; });
        charts.refreshIndexChart([&chart] { chart = true; });
        return QTest::qWaitFor([&] { return thumbs && chart; }, 10000);
    };
    for (int round = 0; round < 2; ++round) {
        QVERIFY(refresh());
        for (int k = 0; k < codes.size(); ++k)
            QCOMPARE(host.thumbs[k].size(), QSize(200, 120));
        QCOMPARE(host.market.size(), QSize(250, 190));
        if (round == 0) {
            server.stop();
            listener.join();
        }
    }
    QVERIFY(fakes.dialogs.shown.isEmpty());
}

QTEST_MAIN(TestChartsLoopback)
#include "tst_chartsloopback.moc"
