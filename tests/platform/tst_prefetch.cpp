// Requests started ahead of time serve the later request for the same address exactly once.
#include "platform/prefetch.h"
#include "support/fakes.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {
HttpRequest request(const QString& url)
{
    return HttpRequest{QUrl(url), {{"If-Modified-Since", "Thu, 01 Jun 1970 00:00:00 GMT"}}};
}
} // namespace

class TestPrefetch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void prefetchedAnswerServesOneLaterRequest()
    {
        FakeHttpClient inner;
        inner.serve(u"/a"_s, "first");
        PrefetchingHttpClient client(inner);
        client.prefetch(request(u"http://m/a"_s));
        QTRY_COMPARE(inner.inFlight, 0); // answered before anyone asks

        QByteArray got;
        client.get(request(u"http://m/a"_s), nullptr, [&](const HttpResponse& r) { got = r.body; });
        QVERIFY(got.isEmpty()); // never answered inside get()
        QTRY_COMPARE(got, QByteArray("first"));
        QCOMPARE(inner.requests.size(), 1);

        // The prefetch is used up: the next request goes to the network.
        client.get(request(u"http://m/a"_s), nullptr, [](const HttpResponse&) {});
        QCOMPARE(inner.requests.size(), 2);
    }

    void requestWaitsForAPrefetchInFlight()
    {
        FakeHttpClient inner;
        inner.setHolding(true);
        inner.serve(u"/b"_s, "late");
        PrefetchingHttpClient client(inner);
        client.prefetch(request(u"http://m/b"_s));
        int calls = 0;
        QByteArray got;
        client.get(request(u"http://m/b"_s), nullptr, [&](const HttpResponse& r) {
            ++calls;
            got = r.body;
        });
        QCOMPARE(inner.requests.size(), 1);
        QCOMPARE(calls, 0);
        inner.releaseAll();
        QCOMPARE(calls, 1);
        QCOMPARE(got, QByteArray("late"));
    }

    void differentHeadersOrAddressesDoNotMatch()
    {
        FakeHttpClient inner;
        PrefetchingHttpClient client(inner);
        client.prefetch(request(u"http://m/c"_s));
        client.get(HttpRequest{QUrl(u"http://m/c"_s), {}}, nullptr, [](const HttpResponse&) {});
        client.get(request(u"http://m/d"_s), nullptr, [](const HttpResponse&) {});
        QCOMPARE(inner.requests.size(), 3);
        QCOMPARE(client.pending(), 1);
        client.clear();
        QCOMPARE(client.pending(), 0);
    }

    void destroyedContextGetsNoAnswer()
    {
        FakeHttpClient inner;
        inner.setHolding(true);
        PrefetchingHttpClient client(inner);
        client.prefetch(request(u"http://m/e"_s));
        bool called = false;
        {
            QObject context;
            client.get(request(u"http://m/e"_s), &context, [&](const HttpResponse&) { called = true; });
        }
        inner.releaseAll();
        QVERIFY(!called);
    }
};

QTEST_GUILESS_MAIN(TestPrefetch)
#include "tst_prefetch.moc"
