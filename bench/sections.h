#pragma once

// The sections of tickora-bench. Each section prints its own figures and returns 0 when it
// could run (a section that needs something missing says so and returns non-zero).

#include <QStringList>

#include <functional>
#include <vector>

namespace tickora::bench {

struct Section
{
    const char* name;
    const char* summary;
    std::function<int(const QStringList& args)> run;
};

/// Every section, in the order `tickora-bench` runs them when none is named.
std::vector<Section> sections();

int runParse(const QStringList& args);
int runToday(const QStringList& args);
int runStream(const QStringList& args);
int runPass(const QStringList& args);
int runTick(const QStringList& args);
int runDrawnTick(const QStringList& args);
int runStartup(const QStringList& args);
int runBombs(const QStringList& args);
int runCharts(const QStringList& args);
int runWire(const QStringList& args);

/// Seconds since an arbitrary start, for timing loops.
double nowSeconds();

} // namespace tickora::bench
