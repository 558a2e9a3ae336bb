// Requests started ahead of the code that will ask for them.
#include "platform/prefetch.h"
#include "support/fakes.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestPrefetch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A prefetch serves one later equal request, never inside get(), only to a living context;
    // whether its answer is in already or still on its way.
    void servesOneEqualRequest_data()
    {
        QTest::addColumn<bool>("onItsWay");
        QTest::newRow("answer in") << false;
        QTest::newRow("answer on its way") << true;
    }
    void servesOneEqualRequest()
    {
        QFETCH(bool, onItsWay);
        FakeHttpClient inner;
        inner.setHolding(true);
        inner.serve(u"/a"_s, "first");
        PrefetchingHttpClient client(inner);
        const HttpRequest a{QUrl(u"http://m/a"_s), {{"X", "1"}}, 100};
        for (const HttpRequest& other : {HttpRequest{a.url, {}, 100}, HttpRequest{a.url, a.headers},
                                         HttpRequest{QUrl(u"http://m/b"_s), a.headers, 100}, a, a})
            client.prefetch(other);
        if (!onItsWay)
            inner.releaseAll();
        QByteArray got;
        client.get(a, nullptr, [&](const HttpResponse& r) { got += r.body; });
        {
            QObject context;
            client.get(a, &context, [&](const HttpResponse&) { got += "gone"; });
        }
        QVERIFY(got.isEmpty());
        inner.releaseAll();
        QTRY_COMPARE(got, QByteArray("first"));
        QCOMPARE(std::pair(int(inner.requests.size()), client.pending()), std::pair(5, 3));
        client.get(a, nullptr, [](const HttpResponse&) {}); // used up: to the network
        client.clear();
        QCOMPARE(std::pair(int(inner.requests.size()), client.pending()), std::pair(6, 0));
    }
};

QTEST_GUILESS_MAIN(TestPrefetch)
#include "tst_prefetch.moc"
