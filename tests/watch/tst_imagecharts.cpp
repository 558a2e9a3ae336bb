// The chart routines with downloaded images: thumbnails in row order, clicks on them.
#include "chartroutinesfixture.h"

using namespace tickora;
using namespace tickora::test;

class TestImageCharts : public ChartRoutinesFixture
{
    Q_OBJECT
private Q_SLOTS:
    void init() { setUp(); }

    // Thumbnails in row order and the later of two clicks' charts, whatever answer comes last.
    void thumbnailsAndClicksWhileAnswersComeOutOfOrder()
    {
        ManualHttpClient http;
        HttpDownloader downloader(http);
        Services s = m_fakes->services();
        s.http = &http;
        s.downloader = &downloader;
        ChartRoutines charts(s, m_host);
        const QStringList codes = {u"7203"_s, u"72a3"_s, u"6758"_s, u"9984"_s};
        m_host.fill(codes);
        m_host.captions[4] = u"kept"_s; // beyond the watched rows
        for (const Window market : {Window::NikkeiSixMonth, Window::AdvanceDecline, Window::Dow})
            m_host.shown[market] = QImage(1, 1, QImage::Format_RGB32);
        int calls = 0;
        charts.refreshThumbnails([&calls] { ++calls; });
        QCOMPARE(http.unanswered(), 3);    // every row with a chart at once
        QCOMPARE(m_host.shown.size(), 1u); // the Nikkei's six months and the ratio close, the Dow stays
        QVERIFY(m_host.captions[4] == u"kept"_s && m_host.code == u"9984"_s);
        auto body = [](const QString& code) { return chartPng(QSize(40, 30), colourFor(code)); };
        const QString file = m_fakes->config.dataFile(u"yahoo.jpg"_s);
        QVERIFY(http.answer(u"9984"_s, okResponse(body(u"9984"_s))));
        QVERIFY(http.answer(u"6758"_s, okResponse(body(u"6758"_s))));
        QVERIFY(m_host.thumbs[2].isNull() && !QFile::exists(file) && calls == 0); // row 1 is not in yet
        QVERIFY(http.answer(u"7203"_s, okResponse(body(u"7203"_s))));
        QCOMPARE(calls, 1);
        for (int k : {0, 2, 3})
            QCOMPARE(colourOf(m_host.thumbs[k]), colourFor(codes[k]));
        QCOMPARE(readFile(file), body(u"9984"_s)); // the shared file ends with the last row's chart
        auto answerLast = [&](const HttpResponse& r) {
            http.pending.back().answered = true;
            http.pending.back().done(r);
        };
        // A failed answer shows the slot's own last chart, not the file's, and never another code's.
        m_host.fill({u"7203"_s});
        for (const HttpResponse& failed :
             {HttpResponse{500, "<html>error</html>", {}, {}}, okResponse(gifBomb())}) {
            charts.refreshThumbnails({});
            answerLast(failed);
            QCOMPARE(colourOf(m_host.thumbs[0]), colourFor(u"7203"_s));
        }
        m_host.fill({u"9984"_s});
        charts.refreshThumbnails({});
        answerLast(HttpResponse{500, {}, {}, {}});
        QVERIFY(m_host.thumbs[0].isNull());
        // A picture that is written but does not decode takes no slot's memory: back on the earlier
        // code, a failure still shows that code's last chart.
        charts.refreshThumbnails({});
        answerLast(okResponse(body(u"9984"_s).chopped(16)));
        QVERIFY(m_host.thumbs[0].isNull());
        m_host.fill({u"7203"_s});
        charts.refreshThumbnails({});
        answerLast(HttpResponse{500, {}, {}, {}});
        QCOMPARE(colourOf(m_host.thumbs[0]), colourFor(u"7203"_s));
        m_host.fill({u"9984"_s});
        // Of two refreshes in flight, the older one's later answer changes nothing.
        charts.refreshThumbnails([&calls] { ++calls; });
        charts.refreshThumbnails({});
        answerLast(okResponse(body(u"new"_s)));
        QVERIFY(http.answer(u"9984"_s, okResponse(body(u"old"_s))));
        QCOMPARE(calls, 2);
        QCOMPARE(colourOf(m_host.thumbs[0]), colourFor(u"new"_s));
        // A click on a row whose code has no chart, or on an empty caption, opens nothing.
        m_host = RecordingHost();
        m_host.fill({u"7203"_s, u"6758"_s, u"72a3"_s, u"9984"_s});
        m_host.captions = {u"a"_s, u"b"_s, u"c"_s};
        charts.thumbnailClicked(2);
        charts.captionClicked(2);
        charts.captionClicked(3);
        charts.thumbnailClicked(12), charts.captionClicked(12); // no such slot
        QVERIFY(m_host.titles.empty() && m_host.code.isEmpty() && http.unanswered() == 0);
        for (int k = 0; k < 2; ++k)
            charts.thumbnailClicked(k), charts.captionClicked(k);
        for (const QString& code : {u"6758"_s, u"6758"_s, u"7203"_s, u"7203"_s})
            QVERIFY(http.answer(code, okResponse(chartPng(QSize(40, 30), colourFor(code)))));
        QCOMPARE(colourOf(m_host.shown.at(Window::Year)), colourFor(u"6758"_s));
        QCOMPARE(colourOf(m_host.shown.at(Window::SixMonth)), colourFor(u"6758"_s));
        QCOMPARE(m_host.yearLine, u"short 1"_s);
    }

    // Without a network every watched row's slot is still shown (empty, having no earlier picture)
    // and the refresh ends, so the cycle goes on.
    void thumbnailsWithoutANetwork()
    {
        Services s = m_fakes->services();
        s.http = nullptr;
        ChartRoutines charts(s, m_host);
        m_host.fill({u"7203"_s, u"abc"_s, u"6758"_s});
        m_host.thumbs.fill(QImage(1, 1, QImage::Format_RGB32));
        int calls = 0;
        charts.refreshThumbnails([&calls] { ++calls; });
        QCOMPARE(calls, 1);
        for (int k = 0; k < 3; ++k)
            QVERIFY(m_host.thumbs[k].isNull());
    }
};

QTEST_MAIN(TestImageCharts)
#include "tst_imagecharts.moc"
