// The configuration from the environment: the services' addresses, the pages and charts chosen,
// the tick and the User-Agent, each setting checked and a refused value named.
#include "platform/config.h"

#include <QDir>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

const QString Market = u"http://127.0.0.1:8000"_s;
const QString Today = u"finance.yahoo.co.jp"_s;

/// The configuration from the given TICKORA_ variables; an empty value leaves its variable out.
Config configOf(const QList<std::pair<QString, QString>>& variables)
{
    QProcessEnvironment env;
    for (const auto& [name, value] : variables)
        if (!value.isEmpty())
            env.insert(u"TICKORA_"_s + name, value);
    return Config::fromEnvironment(env);
}

} // namespace

class TestConfig : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Public services over TLS unless the environment names others.
    void publicServicesOverTls()
    {
        const QList<QUrl> bases = configOf({}).serviceBases();
        QVERIFY(!bases.isEmpty());
        for (const QUrl& url : bases)
            QCOMPARE(url.scheme(), u"https"_s);
        // The data folder is "kabu" in the home folder unless the environment names another.
        QCOMPARE(configOf({}).dataDir, QDir::cleanPath(QDir::home().filePath(u"kabu"_s)));
    }

    // Pages and charts have defaults and take only their known values, else the value is named.
    void pagesAndCharts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("charts");
        QTest::addColumn<bool>("accepted");
        const int today = int(QuotePages::Today), pages2012 = int(QuotePages::Pages2012);
        const int drawn = int(ChartSource::Drawn), images = int(ChartSource::Images);
        QTest::newRow("pages not set") << u"QUOTE_PAGES"_s << u""_s << today << Today << drawn << true;
        QTest::newRow("pages of 2012")
            << u"QUOTE_PAGES"_s << u"2012"_s << pages2012 << u"stocks."_s + Today << drawn << true;
        QTest::newRow("pages in capitals")
            << u"QUOTE_PAGES"_s << u"TODAY"_s << today << Today << drawn << false;
        QTest::newRow("image charts") << u"CHARTS"_s << u"images"_s << today << Today << images << true;
        QTest::newRow("charts capitalised") << u"CHARTS"_s << u"Images"_s << today << Today << drawn << false;
    }
    void pagesAndCharts()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(int, pages);
        QFETCH(QString, host);
        QFETCH(int, charts);
        QFETCH(bool, accepted);
        const Config got = configOf({{name, value}});
        QCOMPARE(int(got.quotePages), pages);
        QCOMPARE(got.quoteBase.host(), host);
        QCOMPARE(int(got.charts), charts);
        QCOMPARE(got.error.isEmpty(), accepted);
        QCOMPARE(!value.isEmpty() && got.error.contains(value), !accepted);
    }

    // The series service: its own address, else the market's if usable, else the public one.
    void seriesService_data()
    {
        QTest::addColumn<QString>("seriesUrl");
        QTest::addColumn<QString>("marketUrl");
        QTest::addColumn<QString>("host");
        QTest::newRow("unusable market") << u""_s << u"http://[x"_s << u"query1.finance.yahoo.com"_s;
        QTest::newRow("the market's") << u""_s << Market << u"127.0.0.1"_s;
        QTest::newRow("its own") << u"http://127.0.0.3:9"_s << Market << u"127.0.0.3"_s;
    }
    void seriesService()
    {
        QFETCH(QString, seriesUrl);
        QFETCH(QString, marketUrl);
        QFETCH(QString, host);
        QCOMPARE(configOf({{u"MARKET_URL"_s, marketUrl}, {u"SERIES_URL"_s, seriesUrl}}).seriesBase.host(),
                 host);
    }

    // A positive whole tick, under five seconds only when every service is local, else told.
    void ticks_data()
    {
        QTest::addColumn<QString>("quoteUrl");
        QTest::addColumn<QString>("tick");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("refused");
        QTest::newRow("local, short") << Market << u"250"_s << 250 << false;
        QTest::newRow("zero") << Market << u"0"_s << 30000 << false;
        QTest::newRow("not a number") << Market << u"x"_s << 30000 << false;
        QTest::newRow("localhost by name") << u"http://LocalHost:9"_s << u"4999"_s << 4999 << false;
        QTest::newRow("public, too short") << u"https://"_s + Today << u"4999"_s << 30000 << true;
        QTest::newRow("public, five seconds") << u"https://"_s + Today << u"5000"_s << 5000 << false;
    }
    void ticks()
    {
        QFETCH(QString, quoteUrl);
        QFETCH(QString, tick);
        QFETCH(int, interval);
        QFETCH(bool, refused);
        const Config got =
            configOf({{u"MARKET_URL"_s, Market}, {u"QUOTE_URL"_s, quoteUrl}, {u"TICK_MS"_s, tick}});
        QCOMPARE(got.tickIntervalMs, interval);
        QCOMPARE(int(got.notices.size()), refused ? 1 : 0);
    }

    // Another User-Agent, one printable line only; none given leaves the program's own.
    void userAgents_data()
    {
        QTest::addColumn<QString>("agent");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("told");
        QTest::newRow("printable, trimmed")
            << u" Mozilla/5.0 (X11) ~ "_s << QByteArray("Mozilla/5.0 (X11) ~") << 0;
        QTest::newRow("none") << u""_s << QByteArray() << 0;
        QTest::newRow("a second header") << u"A\r\nX-Evil: 1"_s << QByteArray() << 1;
        QTest::newRow("not ASCII") << u"エージェント"_s << QByteArray() << 1;
        QTest::newRow("control character") << u"A\u007f"_s << QByteArray() << 1;
    }
    void userAgents()
    {
        QFETCH(QString, agent);
        QFETCH(QByteArray, expected);
        QFETCH(int, told);
        const Config got = configOf({{u"USER_AGENT"_s, agent}});
        QCOMPARE(got.userAgent, expected);
        QCOMPARE(int(got.notices.size()), told);
    }

    // Addresses that only look like this machine's.
    void notLoopback_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("128.0.0.1") << u"http://128.0.0.1"_s;
        QTest::newRow("a name starting with localhost") << u"http://localhost.example.com"_s;
        QTest::newRow("a file") << u"file:///tmp/x"_s;
    }
    void notLoopback()
    {
        QFETCH(QString, url);
        QVERIFY(!isLoopbackUrl(QUrl(url)));
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
