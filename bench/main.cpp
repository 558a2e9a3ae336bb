// tickora-bench: prints speed figures of the program's hot paths. It never judges them.
//
//   tickora-bench            run every section
//   tickora-bench parse      one section by name (several may be given)
//   tickora-bench pass --market PATH   the pass section with another tickora-market binary
//   tickora-bench --list     the sections and what they measure
#include "sections.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace tickora::bench {

double nowSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A new section is one entry here and one run function (see sections.h).
std::vector<Section> sections()
{
    return {
        {"parse", "parseQuotePage over realistic stock-detail pages of 100 KB, 1 MB and 10 MB", runParse},
        {"today",
         "the reader of the current site's quote pages beside the 2012 cut, pages of 300 KB, 1 MB, 10 MB",
         runToday},
        {"stream",
         "the reader of streamed quote pages over pages of 400 KB and 4 MB [--page PATH: that page as it is]",
         runStream},
        {"startup", "start-up to a drawn main window, and its memory", runStartup},
        {"pass", "refresh pass over 12 codes against tickora-market --latency-ms 100 [--market PATH]",
         runPass},
        {"tick", "refresh tick (26 requests) against tickora-market --latency-ms 100; memory over 100 ticks",
         runTick},
        {"drawn",
         "requests per tick with drawn charts against tickora-market --latency-ms 100: the first tick"
         " of the day, then the next ten",
         runDrawnTick},
        {"bombs",
         "peak memory of one tick whose every chart answer is a picture bomb, beside a normal tick's",
         runBombs},
        {"charts", "twelve drawn thumbnails, a 1-year chart with averages, reading a 1-year chart JSON",
         runCharts},
        {"wire",
         "bytes on the wire of a tick's 13 pages against tickora-market, as they are and gzip-compressed",
         runWire},
    };
}

} // namespace tickora::bench

int main(int argc, char* argv[])
{
    using namespace tickora::bench;
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    const std::vector<Section> all = sections();
    if (args.contains(u"--list"_s) || args.contains(u"--help"_s)) {
        std::printf("usage: tickora-bench [section ...]\n\nsections:\n");
        for (const Section& s : all)
            std::printf("  %-8s %s\n", s.name, s.summary);
        return 0;
    }
    QStringList wanted;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--market"_s || args[i] == u"--page"_s)
            ++i; // its value is a path, not a section
        else if (!args[i].startsWith(QLatin1Char('-')))
            wanted << args[i];
    }
    for (const QString& w : wanted) {
        bool known = false;
        for (const Section& s : all)
            known = known || w == QLatin1String(s.name);
        if (!known) {
            std::fprintf(stderr, "tickora-bench: no section \"%s\" (see --list)\n", qPrintable(w));
            return 2;
        }
    }
    std::printf("tickora-bench, %s build%s\n\n", TICKORA_BUILD_TYPE,
                QString::fromUtf8(TICKORA_BUILD_TYPE).startsWith(u"Rel"_s)
                    ? ""
                    : " (figures of an optimised build, cmake --preset release, are the ones to quote)");
    int failures = 0;
    for (const Section& s : all) {
        if (!wanted.isEmpty() && !wanted.contains(QLatin1String(s.name)))
            continue;
        std::printf("== %s: %s\n", s.name, s.summary);
        std::fflush(stdout);
        if (s.run(args) != 0)
            ++failures;
        std::printf("\n");
    }
    return failures == 0 ? 0 : 1;
}
