// Fetching quote pages: the address asked for, the one header sent, what an answer gives.
#include "quotes/quotefetch.h"
#include "support/fakes.h"

#include <QTest>
#include <QTimeZone>
#include <QUrlQuery>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestQuoteFetch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The code goes out as it stands.
    void quotePageUrl()
    {
        const QUrl url = tickora::quotePageUrl(QUrl(u"http://h:81/"_s), QuotePages::Pages2012, u"7#%41"_s);
        QCOMPARE(url.toString(QUrl::RemoveQuery), u"http://h:81/stocks/detail/"_s);
        QCOMPARE(QUrlQuery(url).queryItemValue(u"code"_s, QUrl::FullyDecoded), u"7#%41"_s);
        QCOMPARE(tickora::quotePageUrl(QUrl(u"http://h:81/"_s), QuotePages::Today, u"72#%41/2?x"_s)
                     .toString(QUrl::FullyEncoded),
                 u"http://h:81/quote/72%23%2541%2F2%3Fx.T"_s);
    }

    // One header asking for a fresh page; text only on 2xx.
    void fetchQuotePage_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("textSize");
        QTest::newRow("no answer") << 0 << false << 0;
        QTest::newRow("199") << 199 << false << 0;
        QTest::newRow("200") << 200 << true << 4;
        QTest::newRow("299") << 299 << true << 4;
        QTest::newRow("300") << 300 << false << 0;
    }
    void fetchQuotePage()
    {
        QFETCH(int, status);
        QFETCH(bool, ok);
        QFETCH(int, textSize);
        FakeHttpClient http;
        http.setHandler([=](const HttpRequest&) { return HttpResponse{status, "株価詳細", {}, {}}; });
        std::optional<PageFetch> r;
        tickora::fetchQuotePage(http, QUrl(u"http://m"_s), QuotePages::Pages2012, u"7203"_s, nullptr,
                                [&](const PageFetch& got) { r = got; });
        QTRY_VERIFY(r);
        QCOMPARE(r->status, status);
        QCOMPARE(r->ok, ok);
        QCOMPARE(r->text.size(), textSize);
        QCOMPARE(http.requests.constFirst().url, QUrl(u"http://m/stocks/detail/?code=7203"_s));
        QCOMPARE(
            http.requests.constFirst().headers,
            (QList<QPair<QByteArray, QByteArray>>{{"If-Modified-Since", "Thu, 01 Jun 1970 00:00:00 GMT"}}));
    }

    // A simulated answer's moment is taken only with its offset, and only from a simulated answer.
    void simulatedTimeOf_data()
    {
        QTest::addColumn<QByteArray>("simulated");
        QTest::addColumn<QByteArray>("time");
        QTest::addColumn<QDateTime>("moment");
        const QDateTime tokyo(QDate(2026, 12, 8), QTime(10, 15), QTimeZone(9 * 3600));
        QTest::newRow("Tokyo offset") << QByteArray("1") << QByteArray("2026-12-08T10:15:00+09:00") << tokyo;
        QTest::newRow("UTC, flag with blanks")
            << QByteArray(" 1 ") << QByteArray("2026-12-08T01:15:00Z") << tokyo;
        QTest::newRow("no offset") << QByteArray("1") << QByteArray("2026-12-08T10:15:00") << QDateTime();
        QTest::newRow("not simulated")
            << QByteArray("0") << QByteArray("2026-12-08T10:15:00+09:00") << QDateTime();
        QTest::newRow("no moment") << QByteArray("1") << QByteArray("soon") << QDateTime();
    }
    void simulatedTimeOf()
    {
        QFETCH(QByteArray, simulated);
        QFETCH(QByteArray, time);
        QFETCH(QDateTime, moment);
        const HttpResponse r{
            200, {}, {}, {{"X-Tickora-Simulated", simulated}, {"X-Tickora-Simulated-Time", time}}};
        QCOMPARE(tickora::simulatedTimeOf(r), moment);
    }
};

QTEST_GUILESS_MAIN(TestQuoteFetch)
#include "tst_quotefetch.moc"
