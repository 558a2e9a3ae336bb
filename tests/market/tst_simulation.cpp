// The market's walk keeps the exchange's day, and every answer tells the moment it simulates.

#include "charts.h"
#include "charts/seriesreader.h"
#include "exchange/tradingcalendar.h"
#include "marketclient.h"
#include "server.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;
using namespace tickora::market;
using tickora::market::test::bodyOf;
using tickora::market::test::fetch;

class TestSimulation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The walk keeps the exchange's day: the lunch break skipped, the close at 15:30, then the next
    // trading day over the new year; each answer tells the moment, the day's series has no lunch bars.
    void keepsTheExchangesDay()
    {
        const ServerOptions options{.seed = 5, .firstDay = QDate(2026, 12, 30), .startMinute = 11 * 60 + 29};
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}}, options);
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        auto momentOf = [](const httplib::Result& r) {
            return r ? QDateTime::fromString(
                           QString::fromStdString(r->get_header_value("X-Tickora-Simulated-Time")),
                           Qt::ISODate)
                     : QDateTime();
        };
        QStringList moments;
        for (int i = 0; i < 3; ++i)
            moments << momentOf(fetch(port, "/quote/7203.T")).toString(u"MM-dd HH:mm"_s);
        QCOMPARE(moments, QStringList({u"12-30 11:29"_s, u"12-30 11:30"_s, u"12-30 12:30"_s}));
        const QDateTime at = momentOf(fetch(port, "/v8/finance/chart/7203.T?range=1d&interval=5m"));
        QCOMPARE(at.offsetFromUtc(), 9 * 3600); // a chart only looks
        QCOMPARE(at.time(), QTime(12, 30));
        const auto day = tickora::readChartJson(
            QByteArray::fromStdString(fetch(port, "/v8/finance/chart/7203.T?range=1d&interval=5m")->body));
        QVERIFY(day && day->bars.size() > 20);
        for (const tickora::PriceBar& b : day->bars) {
            const int minute = int((b.time + TokyoGmtOffset) % 86400 / 60);
            QVERIFY2(minute <= 11 * 60 + 30 || minute >= 12 * 60 + 30, qPrintable(QString::number(minute)));
        }
        for (int i = 0; i < 179; ++i) // to 15:29
            fetch(port, "/quote/7203.T");
        QCOMPARE(momentOf(fetch(port, "/nkave")).date(), QDate(2026, 12, 30)); // the index walks on its own
        QCOMPARE(momentOf(fetch(port, "/quote/7203.T")),
                 QDateTime(QDate(2026, 12, 30), QTime(15, 30), QTimeZone(9 * 3600)));
        const auto next = fetch(port, "/quote/7203.T");
        QCOMPARE(momentOf(next), QDateTime(QDate(2027, 1, 4), QTime(9, 0), QTimeZone(9 * 3600)));
        QVERIFY(bodyOf(next).contains(u"12/30"_s)); // the previous trading day's close
        const auto year = tickora::readChartJson(
            QByteArray::fromStdString(fetch(port, "/v8/finance/chart/7203.T?range=1y&interval=1d")->body));
        QVERIFY(year && year->bars.size() > 200);
        for (const tickora::PriceBar& b : year->bars) {
            const QDate date =
                QDateTime::fromSecsSinceEpoch(b.time + TokyoGmtOffset, QTimeZone::utc()).date();
            QVERIFY2(!tickora::isExchangeClosed(date), qPrintable(date.toString(Qt::ISODate)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSimulation)
#include "tst_simulation.moc"
