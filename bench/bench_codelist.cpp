// Code-list lookup over the supplied list: the first lookup reads and parses the file, later
// ones find it unchanged and answer from memory.
#include "files/codelist.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tickora;

namespace {

QByteArray suppliedList()
{
    QFile f(QString::fromUtf8(TICKORA_SUPPLIED_CODE_LIST));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void BM_ParseSuppliedList(benchmark::State& state)
{
    const QByteArray bytes = suppliedList();
    for (auto _ : state)
        benchmark::DoNotOptimize(parseCodeList(bytes));
    state.counters["records"] = double(parseCodeList(bytes).size());
}
BENCHMARK(BM_ParseSuppliedList)->Unit(benchmark::kMillisecond);

void BM_LookupFirstRead(benchmark::State& state)
{
    const QString path = QString::fromUtf8(TICKORA_SUPPLIED_CODE_LIST);
    for (auto _ : state) {
        CodeList list; // a fresh reader each time: file read and parsed
        benchmark::DoNotOptimize(list.lookup(path, QStringLiteral("7203")));
    }
}
BENCHMARK(BM_LookupFirstRead)->Unit(benchmark::kMillisecond);

void BM_LookupUnchangedFile(benchmark::State& state)
{
    const QString path = QString::fromUtf8(TICKORA_SUPPLIED_CODE_LIST);
    CodeList list;
    list.lookup(path, QStringLiteral("7203"));
    for (auto _ : state)
        benchmark::DoNotOptimize(list.lookup(path, QStringLiteral("9984")));
}
BENCHMARK(BM_LookupUnchangedFile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
