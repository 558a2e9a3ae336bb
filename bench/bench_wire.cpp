// Bytes on the wire of a tick's pages against the simulated market, sent as they are and
// compressed with gzip.
#include "marketfixture.h"
#include "sections.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <cstdio>

namespace tickora::bench {

namespace {

constexpr int Ticks = 5;
/// Ticks of a trading day: five hours of trading, a tick every 30 seconds.
constexpr int TicksPerDay = 600;

struct TickBytes
{
    qint64 wire = 0; ///< status lines, headers and bodies as they travel
    double ms = 0;   ///< the thirteen requests one after another
};

/// One tick's pages, one after another, asking for `encoding`: the twelve stock pages and the
/// Nikkei's page.
TickBytes fetchTick(QNetworkAccessManager& network, const QUrl& base, const QByteArray& encoding)
{
    QStringList paths;
    for (const QString& code : Codes)
        paths << u"/quote/"_s + code + u".T"_s;
    paths << u"/quote/998407.O"_s;
    TickBytes tick;
    const double start = nowSeconds();
    for (const QString& path : std::as_const(paths)) {
        QUrl url = base;
        url.setPath(path);
        QNetworkRequest request(url);
        // Set by hand, so that Qt leaves the body as it came and its size is what travelled.
        request.setRawHeader("Accept-Encoding", encoding);
        request.setRawHeader("User-Agent", "tickora-bench");
        QNetworkReply* reply = network.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        tick.wire += reply->readAll().size() + 17; // the status line "HTTP/1.1 200 OK\r\n"
        for (const auto& [name, value] : reply->rawHeaderPairs())
            tick.wire += name.size() + value.size() + 4;
        reply->deleteLater();
    }
    tick.ms = (nowSeconds() - start) * 1000;
    return tick;
}

} // namespace

int runWire(const QStringList& args)
{
    ensureApplication();
    MarketProcess market(args, 0);
    if (!market.running())
        return 1;
    QNetworkAccessManager network;
    std::printf("wire: a tick's pages (12 stock pages, streamed, and the Nikkei's) against tickora-market,"
                " one after another, median of %d ticks\n",
                Ticks);
    for (const auto& [encoding, label] :
         {std::pair{QByteArray("identity"), "as they are (Accept-Encoding: identity)"},
          std::pair{QByteArray("gzip, deflate"), "compressed (Accept-Encoding: gzip, deflate)"}}) {
        std::vector<double> bytes, ms;
        for (int i = 0; i < Ticks; ++i) {
            const TickBytes tick = fetchTick(network, market.base(), encoding);
            bytes.push_back(double(tick.wire));
            ms.push_back(tick.ms);
        }
        const double perTick = median(bytes);
        std::printf("  %-46s %8.0f KB a tick, %6.0f MB a trading day (%d ticks); %5.1f ms a tick\n", label,
                    perTick / 1024, perTick * TicksPerDay / (1024 * 1024), TicksPerDay, median(ms));
    }
    return 0;
}

} // namespace tickora::bench
