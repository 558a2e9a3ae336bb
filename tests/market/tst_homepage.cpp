// The market's own page "/": every address it links to is one the market answers.

#include "homepage.h"
#include "marketclient.h"
#include "server.h"

#include <QRegularExpression>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace tickora::market;
using tickora::market::test::fetch;
using tickora::market::test::fetchBody;

class TestHomePage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The page says how to start Tickora against this market, and every link is answered.
    void linksAreAnswered()
    {
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}}, ServerOptions{});
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        int status = 0;
        const QString page = fetchBody(port, "/", &status);
        QCOMPARE(status, 200);
        QVERIFY(page.contains(u"TICKORA_MARKET_URL=http://127.0.0.1:"_s + QString::number(port) + u" "_s));
        QStringList links;
        for (const auto& m : QRegularExpression(u"<a href=\"([^\"]*)\">"_s).globalMatch(page))
            links << m.captured(1).replace(u"&amp;"_s, u"&"_s).replace(u"&quot;"_s, u"\""_s);
        QCOMPARE(links.size(), 19);
        for (const QString& link : std::as_const(links)) {
            const auto res = fetch(port, QUrl(link).toString(QUrl::FullyEncoded).toStdString());
            QVERIFY2(res && res->status == 200, qPrintable(link));
        }
    }

    // A quote in an address stays escaped in the markup.
    void addressesEscaped() { QVERIFY(homePage(8080).contains(u"&amp;c=&quot;\">"_s)); }
};

QTEST_MAIN(TestHomePage)
#include "tst_homepage.moc"
