// tickora-market: the simulated market. Serves quote pages, the Nikkei page and chart images on
// 127.0.0.1 so that Tickora can be tried without the real services (at the weekend, say).

#include "codelist.h"
#include "server.h"
#include "timeforms.h"

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

/// Every option of the program, in the order the help lists them.
struct CommandLine
{
    QCommandLineOption port{u"port"_s, u"Port to listen on; 0 picks a free one (default 0)."_s, u"N"_s,
                            u"0"_s};
    QCommandLineOption seed{u"seed"_s, u"Seed of the random walks (default 1)."_s, u"N"_s, u"1"_s};
    QCommandLineOption latency{u"latency-ms"_s, u"Delay before each answer, in milliseconds (default 0)."_s,
                               u"N"_s, u"0"_s};
    QCommandLineOption fault{u"fault"_s, u"Fault mode from the start (default none)."_s, u"MODE"_s,
                             u"none"_s};
    QCommandLineOption faultPath{
        u"fault-path"_s, u"Apply faults only to paths starting with PREFIX, e.g. /stocks or /quote."_s,
        u"PREFIX"_s};
    QCommandLineOption rate{
        u"fault-rate"_s, u"Fraction 0..1 of requests that get a random fault (default 0)."_s, u"P"_s, u"0"_s};
    QCommandLineOption mix{
        u"fault-mix"_s,
        u"Fault modes drawn by --fault-rate, comma-separated (default status:500,status:503,status:404,status:304,reset,garbage)."_s,
        u"MODES"_s};
    QCommandLineOption codes{
        u"codes"_s,
        u"Code list to serve: CP932 lines like 1301,\"極洋\" or UTF-8 with a header (default: the built-in list)."_s,
        u"PATH"_s};
    QCommandLineOption start{
        u"start"_s,
        u"Time of day each stock's first quote shows, HH:MM within trading hours (default 09:00)."_s,
        u"HH:MM"_s, u"09:00"_s};
    QCommandLineOption stockPages{
        u"stock-pages"_s,
        u"Form of today's stock pages: stream (the streamed data of 2026, default) or state (the page state "
        u"of 2025)."_s,
        u"FORM"_s, u"stream"_s};
    QCommandLineOption indexPages{u"index-pages"_s,
                                  u"Form of today's Nikkei page: state (the page state, default) or stream "
                                  u"(the streamed data, its time "
                                  u"dated)."_s,
                                  u"FORM"_s, u"state"_s};
    QCommandLineOption timeForm{u"time-form"_s,
                                u"How today's pages write the quote's time: short (9:05, 12/4; default), "
                                u"seconds (09:05:00, 12/04) or "
                                u"dated (2026/12/05 09:05, 2026/12/04)."_s,
                                u"FORM"_s, u"short"_s};
    QCommandLineOption log{u"log"_s, u"Print one line per request on standard error."_s};
    QCommandLineParser parser;

    CommandLine();
};

CommandLine::CommandLine()
{
    parser.setApplicationDescription(
        u"Simulated market for Tickora. Serves on 127.0.0.1 the stock-detail pages "
        u"(/stocks/detail/?code=NNNN),\n"
        u"today's quote pages (/quote/NNNN.T streamed or with a state, /quote/998407.O), "
        u"the Nikkei index page (/nkave) and every chart image Tickora reads (/b /z /f /t, "
        u"/gifdata/nk_chart_L.gif,\n"
        u"/chart/nka_l.gif, /Pics/Stock/Day/K001881.GIF, /rakutensecj/common/analytic.jsp, "
        u"/asp4gif/japan_gif.asp),\n"
        u"the price series as chart JSON (/v8/finance/chart/SYMBOL?range=1d|6mo|1y&interval=5m|1d),\n"
        u"with prices from a seeded random walk that moves one trading minute with each page request.\n"
        u"Point Tickora at it with TICKORA_MARKET_URL=http://127.0.0.1:PORT.\n\n"
        u"Fault modes: none, status:NNN (an HTTP status, e.g. 500, 304, 404; status:NNN:S adds Retry-After: "
        u"S), hang (no answer; the "
        u"connection\n"
        u"stays open until the client gives up), reset (headers and half the body, then a reset),\n"
        u"garbage (200 with random bytes), huge:MB (200 with a body of MB megabytes), drip (one byte a "
        u"second).\n\n"
        u"Control while running (never delayed or faulted):\n"
        u"  GET /_control/fault?mode=MODE[&path=PREFIX]   switch the fault (mode=none ends it)\n"
        u"  GET /_control/latency?ms=N                    change the delay\n"
        u"  GET /_control/fault-rate?p=P[&mix=M,M...]     mix random faults into a fraction P of requests\n"
        u"  GET /_control/time-form?form=short|seconds|dated   how today's pages write the quote's time\n"
        u"  GET /_control/quote-page?code=C&page=unknown|other:CODE|normal\n"
        u"                                                /quote/C.T in a form no reader knows, or naming "
        u"CODE\n"
        u"  GET /_control/status                          current settings and counters (JSON)"_s);
    parser.addHelpOption();
    parser.addOptions({port, seed, latency, fault, faultPath, rate, mix, codes, start, stockPages, indexPages,
                       timeForm, log});
}

/// Reads --port; an error text, or empty when the port is sound.
QString readPort(const CommandLine& cli, int& port)
{
    bool ok = false;
    port = cli.parser.value(cli.port).toInt(&ok);
    return !ok || port < 0 || port > 65535 ? u"bad --port: "_s + cli.parser.value(cli.port) : QString();
}

/// Reads the walk's and the pages' options (--seed, --start, --stock-pages, --index-pages, --time-form) into
/// `options`; an error text, or empty.
QString readWalkOptions(const CommandLine& cli, ServerOptions& options)
{
    bool ok = false;
    options.seed = cli.parser.value(cli.seed).toULongLong(&ok);
    if (!ok)
        return u"bad --seed: "_s + cli.parser.value(cli.seed);
    const QTime start = QTime::fromString(cli.parser.value(cli.start), u"H:mm"_s);
    if (!start.isValid())
        return u"bad --start: "_s + cli.parser.value(cli.start);
    options.startMinute = start.hour() * 60 + start.minute();
    const QString form = cli.parser.value(cli.stockPages);
    if (form != u"stream"_s && form != u"state"_s)
        return u"bad --stock-pages: "_s + form;
    options.stockPages = form == u"state"_s ? StockPageForm::State : StockPageForm::Streamed;
    const QString index = cli.parser.value(cli.indexPages);
    if (index != u"stream"_s && index != u"state"_s)
        return u"bad --index-pages: "_s + index;
    options.indexPages = index == u"stream"_s ? IndexPageForm::Streamed : IndexPageForm::State;
    const auto time = parseTimeForm(cli.parser.value(cli.timeForm));
    if (!time)
        return u"bad --time-form: "_s + cli.parser.value(cli.timeForm);
    options.timeForm = *time;
    return {};
}

/// Reads the latency and the fault options into `options`; an error text, or empty.
QString readFaultOptions(const CommandLine& cli, ServerOptions& options)
{
    const QCommandLineParser& p = cli.parser;
    bool ok = false;
    options.latencyMs = p.value(cli.latency).toInt(&ok);
    if (!ok || options.latencyMs < 0)
        return u"bad --latency-ms: "_s + p.value(cli.latency);
    const auto fault = FaultMode::parse(p.value(cli.fault));
    if (!fault)
        return u"bad --fault: "_s + p.value(cli.fault);
    options.fault = *fault;
    options.faultPath = p.value(cli.faultPath);
    options.faultRate = p.value(cli.rate).toDouble(&ok);
    if (!ok || options.faultRate < 0 || options.faultRate > 1)
        return u"bad --fault-rate: "_s + p.value(cli.rate);
    if (p.isSet(cli.mix)) {
        const auto mix = parseFaultMix(p.value(cli.mix));
        if (!mix)
            return u"bad --fault-mix: "_s + p.value(cli.mix);
        options.faultMix = *mix;
    }
    return {};
}

/// Reads the code list named by --codes, or the built-in one; an error text, or empty.
QString readListings(const CommandLine& cli, QList<Listing>& listings)
{
    QByteArray codes;
    if (cli.parser.isSet(cli.codes)) {
        QFile file(cli.parser.value(cli.codes));
        if (!file.open(QIODevice::ReadOnly))
            return u"cannot read the code list "_s + cli.parser.value(cli.codes) + u": "_s +
                   file.errorString();
        codes = file.readAll();
    } else {
        codes = builtInCodeList();
    }
    listings = readCodeList(codes);
    return listings.isEmpty() ? u"the code list holds no codes"_s : QString();
}

} // namespace

int main(int argc, char* argv[])
{
    // Charts are drawn offscreen; fonts still render without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::signal(SIGPIPE, SIG_IGN);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(u"tickora-market"_s);

    CommandLine cli;
    cli.parser.process(app);
    int port = 0;
    ServerOptions options;
    QList<Listing> listings;
    QString error = readPort(cli, port);
    if (error.isEmpty())
        error = readWalkOptions(cli, options);
    if (error.isEmpty())
        error = readFaultOptions(cli, options);
    if (error.isEmpty())
        error = readListings(cli, listings);
    if (!error.isEmpty())
        return fail(error);

    const qsizetype count = listings.size();
    MarketServer server(std::move(listings), options);
    if (cli.parser.isSet(cli.log))
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
