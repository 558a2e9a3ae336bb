// The simulated market: the pages and pictures it serves read back through the program's own
// parsers, and its fault modes answer as the end-to-end tests expect them to.

#include "platform/pictures.h"
#include "quotes/nikkei.h"
#include "quotes/quoteparser.h"
#include "server.h"

#include <httplib.h>

#include <QRegularExpression>
#include <QTest>

#include <tuple>

using namespace Qt::StringLiterals;
using namespace tickora::market;

class TestMarket : public QObject
{
    Q_OBJECT

    httplib::Result get(const std::string& path)
    {
        httplib::Client client("127.0.0.1", m_port);
        client.set_read_timeout(10, 0);
        return client.Get(path);
    }

    static tickora::QuoteFields parse(const httplib::Result& res)
    {
        return tickora::parseQuotePage(res ? QString::fromStdString(res->body) : QString());
    }

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

    void servesPagesTheProgramReads()
    {
        const tickora::QuoteFields q = parse(get("/stocks/detail/?code=7203"));
        QVERIFY(q.isDetailPage);
        QCOMPARE(q.name, u"トヨタ自動車(株)"_s);
        for (const QString& field : {q.price, q.high, q.low, q.volume, q.prevClose})
            QVERIFY2(QRegularExpression(u"^[1-9]\\d{0,2}(,\\d{3})*$"_s).match(field).hasMatch(),
                     qPrintable(field));
        QVERIFY(!parse(get("/stocks/detail/?code=4444")).isDetailPage);

        const QString nikkei = tickora::nikkeiLine(QString::fromStdString(get("/nkave")->body));
        const QRegularExpression line(
            u"^日経平均 [\\d,]+\\.\\d\\d \\([+-]?[\\d,]+\\.\\d\\d\\) 1?\\d:\\d\\d$"_s);
        QVERIFY2(line.match(nikkei).hasMatch(), qPrintable(nikkei));

        const auto chart = get("/f?s=7203.T");
        QVERIFY(chart && chart->status == 200);
        QCOMPARE(tickora::decodePicture(QByteArray::fromStdString(chart->body)).size(), QSize(288, 180));
    }

    // Each mode set through the control endpoint (an unknown one is refused and changes nothing);
    // status -1: no whole answer arrives.
    void faults()
    {
        for (const auto& [mode, control, status, detail, minSize] :
             {std::tuple{"none", 200, 200, true, 20000},
              {"status:503", 200, 503, false, 0},
              {"garbage", 200, 200, false, 4096},
              {"huge:2", 200, 200, false, 2 << 20},
              {"reset", 200, -1, false, 0},
              {"sometimes", 400, 200, true, 20000}}) {
            QVERIFY(get("/_control/fault?mode=none"));
            QCOMPARE(get(std::string("/_control/fault?mode=") + mode)->status, control);
            const auto res = get("/stocks/detail/?code=7203");
            QCOMPARE(res ? res->status : -1, status);
            QCOMPARE(parse(res).isDetailPage, detail);
            QVERIFY2(!res || res->body.size() >= size_t(minSize), mode);
        }
    }
};

QTEST_MAIN(TestMarket)
#include "tst_market.moc"
