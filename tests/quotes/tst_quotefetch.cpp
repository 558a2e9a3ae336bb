// The stock-detail request: address, header, success test and page text.
#include "quotes/quotefetch.h"
#include "support/fakes.h"

#include <QTest>
#include <QUrlQuery>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

PageFetch fetchAndWait(FakeHttpClient& http, const QUrl& base, const QString& code)
{
    PageFetch result;
    bool done = false;
    fetchQuotePage(http, base, code, nullptr, [&](const PageFetch& r) {
        result = r;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 5000))
        qWarning("fetch did not finish");
    return result;
}

} // namespace

class TestQuoteFetch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void address_data();
    void address();
    void requestSent();
    void statusRange_data();
    void statusRange();
};

void TestQuoteFetch::address_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("encoded");
    QTest::addColumn<QString>("codeReceived");

    QTest::newRow("base with port and slash")
        << u"http://127.0.0.1:8123/"_s << u"6758"_s << u"http://127.0.0.1:8123/stocks/detail/?code=6758"_s
        << u"6758"_s;
    QTest::newRow("hash does not become a fragment")
        << u"http://h"_s << u"72#3"_s << u"http://h/stocks/detail/?code=72%233"_s << u"72#3"_s;
    QTest::newRow("percent stays itself")
        << u"http://h"_s << u"%41"_s << u"http://h/stocks/detail/?code=%2541"_s << u"%41"_s;
}

void TestQuoteFetch::address()
{
    QFETCH(QString, base);
    QFETCH(QString, code);
    QFETCH(QString, encoded);
    QFETCH(QString, codeReceived);
    const QUrl url = quotePageUrl(QUrl(base), code);
    QCOMPARE(QString::fromLatin1(url.toEncoded()), encoded);
    QCOMPARE(QUrlQuery(url).queryItemValue(u"code"_s, QUrl::FullyDecoded), codeReceived);
}

void TestQuoteFetch::requestSent()
{
    FakeHttpClient http;
    http.serve(u"code=7203"_s, "<html>株価詳細</html>");
    const PageFetch r = fetchAndWait(http, QUrl(u"http://market.test"_s), u"7203"_s);
    QVERIFY(r.ok);
    QCOMPARE(http.requests.size(), 1);
    const HttpRequest& sent = http.requests.first();
    QCOMPARE(sent.url.toString(), u"http://market.test/stocks/detail/?code=7203"_s);
    QCOMPARE(sent.headers.size(), 1);
    QCOMPARE(sent.headers.first().first, QByteArray("If-Modified-Since"));
    QCOMPARE(sent.headers.first().second, QByteArray("Thu, 01 Jun 1970 00:00:00 GMT"));
    QCOMPARE(r.text, u"<html>株価詳細</html>"_s);
}

void TestQuoteFetch::statusRange_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("ok");
    QTest::newRow("no status (transport failure)") << 0 << false;
    QTest::newRow("199") << 199 << false;
    QTest::newRow("200") << 200 << true;
    QTest::newRow("299") << 299 << true;
    QTest::newRow("300") << 300 << false;
}

void TestQuoteFetch::statusRange()
{
    QFETCH(int, status);
    QFETCH(bool, ok);
    FakeHttpClient http;
    http.setHandler([status](const HttpRequest&) {
        HttpResponse r;
        r.status = status;
        r.body = "page";
        if (status == 0) {
            r.body.clear();
            r.error = u"Connection refused"_s;
        }
        return r;
    });
    const PageFetch r = fetchAndWait(http, QUrl(u"http://market.test"_s), u"7203"_s);
    QCOMPARE(r.ok, ok);
    QCOMPARE(r.status, status);
    QCOMPARE(r.text, ok ? u"page"_s : QString());
}

QTEST_GUILESS_MAIN(TestQuoteFetch)
#include "tst_quotefetch.moc"
