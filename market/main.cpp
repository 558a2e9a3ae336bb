// tickora-market: the simulated market. Serves quote pages, the Nikkei page and chart images on
// 127.0.0.1 so that Tickora can be tried without the real services (at the weekend, say).

#include "codelist.h"
#include "server.h"

#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QTime>

#include <csignal>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace tickora::market;

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "tickora-market: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    // Charts are drawn offscreen; fonts still render without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::signal(SIGPIPE, SIG_IGN);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(u"tickora-market"_s);

    QCommandLineParser cli;
    cli.setApplicationDescription(
        u"Simulated market for Tickora. Serves on 127.0.0.1 the stock-detail pages "
        u"(/stocks/detail/?code=NNNN),\n"
        "the Nikkei index page (/nkave) and every chart image Tickora reads (/b /z /f /t, "
        "/gifdata/nk_chart_L.gif,\n"
        "/chart/nka_l.gif, /Pics/Stock/Day/K001881.GIF, /rakutensecj/common/analytic.jsp, "
        "/asp4gif/japan_gif.asp),\n"
        "with prices from a seeded random walk that moves one trading minute with each page request.\n"
        "Point Tickora at it with TICKORA_MARKET_URL=http://127.0.0.1:PORT.\n\n"
        "Fault modes: none, status:NNN (an HTTP status, e.g. 500, 304, 404), hang (no answer; the "
        "connection\n"
        "stays open until the client gives up), reset (headers and half the body, then a reset),\n"
        "garbage (200 with random bytes), huge:MB (200 with a body of MB megabytes), drip (one byte a "
        "second).\n\n"
        "Control while running (never delayed or faulted):\n"
        "  GET /_control/fault?mode=MODE[&path=PREFIX]   switch the fault (mode=none ends it)\n"
        "  GET /_control/latency?ms=N                    change the delay\n"
        "  GET /_control/fault-rate?p=P[&mix=M,M...]     mix random faults into a fraction P of requests\n"
        "  GET /_control/status                          current settings and counters (JSON)"_s);
    cli.addHelpOption();
    const QCommandLineOption portOpt(u"port"_s, u"Port to listen on; 0 picks a free one (default 0)."_s,
                                     u"N"_s, u"0"_s);
    const QCommandLineOption seedOpt(u"seed"_s, u"Seed of the random walks (default 1)."_s, u"N"_s, u"1"_s);
    const QCommandLineOption latencyOpt(
        u"latency-ms"_s, u"Delay before each answer, in milliseconds (default 0)."_s, u"N"_s, u"0"_s);
    const QCommandLineOption faultOpt(u"fault"_s, u"Fault mode from the start (default none)."_s, u"MODE"_s,
                                      u"none"_s);
    const QCommandLineOption faultPathOpt(
        u"fault-path"_s, u"Apply faults only to paths starting with PREFIX, e.g. /stocks."_s, u"PREFIX"_s);
    const QCommandLineOption rateOpt(
        u"fault-rate"_s, u"Fraction 0..1 of requests that get a random fault (default 0)."_s, u"P"_s, u"0"_s);
    const QCommandLineOption mixOpt(
        u"fault-mix"_s,
        u"Fault modes drawn by --fault-rate, comma-separated (default status:500,status:503,status:404,status:304,reset,garbage)."_s,
        u"MODES"_s);
    const QCommandLineOption codesOpt(
        u"codes"_s,
        u"Code list to serve: CP932 lines like 1301,\"極洋\" or UTF-8 with a header (default: the built-in list)."_s,
        u"PATH"_s);
    const QCommandLineOption startOpt(
        u"start"_s,
        u"Time of day each stock's first quote shows, HH:MM within trading hours (default 09:00)."_s,
        u"HH:MM"_s, u"09:00"_s);
    const QCommandLineOption logOpt(u"log"_s, u"Print one line per request on standard error."_s);
    cli.addOptions(
        {portOpt, seedOpt, latencyOpt, faultOpt, faultPathOpt, rateOpt, mixOpt, codesOpt, startOpt, logOpt});
    cli.process(app);

    bool ok = false;
    ServerOptions options;
    const int port = cli.value(portOpt).toInt(&ok);
    if (!ok || port < 0 || port > 65535)
        return fail(u"bad --port: "_s + cli.value(portOpt));
    options.seed = cli.value(seedOpt).toULongLong(&ok);
    if (!ok)
        return fail(u"bad --seed: "_s + cli.value(seedOpt));
    options.latencyMs = cli.value(latencyOpt).toInt(&ok);
    if (!ok || options.latencyMs < 0)
        return fail(u"bad --latency-ms: "_s + cli.value(latencyOpt));
    const auto fault = FaultMode::parse(cli.value(faultOpt));
    if (!fault)
        return fail(u"bad --fault: "_s + cli.value(faultOpt));
    options.fault = *fault;
    options.faultPath = cli.value(faultPathOpt);
    options.faultRate = cli.value(rateOpt).toDouble(&ok);
    if (!ok || options.faultRate < 0 || options.faultRate > 1)
        return fail(u"bad --fault-rate: "_s + cli.value(rateOpt));
    if (cli.isSet(mixOpt)) {
        const auto mix = parseFaultMix(cli.value(mixOpt));
        if (!mix)
            return fail(u"bad --fault-mix: "_s + cli.value(mixOpt));
        options.faultMix = *mix;
    }
    const QTime start = QTime::fromString(cli.value(startOpt), u"H:mm"_s);
    if (!start.isValid())
        return fail(u"bad --start: "_s + cli.value(startOpt));
    options.startMinute = start.hour() * 60 + start.minute();

    QByteArray codes;
    if (cli.isSet(codesOpt)) {
        QFile file(cli.value(codesOpt));
        if (!file.open(QIODevice::ReadOnly))
            return fail(u"cannot read the code list "_s + cli.value(codesOpt) + u": "_s + file.errorString());
        codes = file.readAll();
    } else {
        codes = builtInCodeList();
    }
    QList<Listing> listings = readCodeList(codes);
    if (listings.isEmpty())
        return fail(u"the code list holds no codes"_s);

    const qsizetype count = listings.size();
    MarketServer server(std::move(listings), options);
    if (cli.isSet(logOpt))
        server.enableLog();
    const int bound = server.bind(port);
    if (bound < 0)
        return fail(u"cannot listen on 127.0.0.1:"_s + QString::number(port));
    std::printf("listening on http://127.0.0.1:%d\n", bound);
    std::fflush(stdout);
    std::fprintf(stderr, "tickora-market: %lld codes, seed %llu, latency %d ms, fault %s\n",
                 static_cast<long long>(count), static_cast<unsigned long long>(options.seed),
                 options.latencyMs, qPrintable(options.fault.toString()));
    server.run();
    return 0;
}
