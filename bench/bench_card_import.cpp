// The whole import of generated cards of one month, one year and three years of nights, with
// the machine's reading threads and on the calling thread alone. CPU time is the process's, so
// that it counts the reading threads. Peak RSS is the process's too: run one size per process
// (--benchmark_filter) for a true figure per size.
#include "BenchCards.h"
#include "nights/SessionImport.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

using namespace velunora;

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void importCard(benchmark::State& state, std::size_t readThreads) {
    const int nights = static_cast<int>(state.range(0));
    const auto root = bench::generatedCard(nights);
    std::size_t files = 0;
    const auto bytes = bench::folderBytes(root / "DATALOG", files);
    const DetectedPAPCard card{root, "ResMed", "AirSense 10 AutoSet", "23190000000"};
    std::size_t importedNights = 0;
    for (auto _ : state) {
        const OscarSnapshot snapshot = importResMedCard(card, Date{1700000000}, {}, readThreads);
        importedNights = snapshot.nights.size();
        benchmark::DoNotOptimize(snapshot.nights.data());
    }
    if (importedNights != static_cast<std::size_t>(nights)) {
        state.SkipWithError("the import lost nights");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.counters["files_per_s"] =
        benchmark::Counter(static_cast<double>(files) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["card_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_RSS_MB"] = peakResidentMegabytes();
    state.counters["read_threads"] = static_cast<double>(readThreads);
}

void importGeneratedCard(benchmark::State& state) {
    importCard(state, defaultReadThreadCount());
}
BENCHMARK(importGeneratedCard)
    ->Arg(30)
    ->Arg(365)
    ->Arg(1095)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void importGeneratedCardOnCallingThread(benchmark::State& state) {
    importCard(state, 0);
}
BENCHMARK(importGeneratedCardOnCallingThread)
    ->Arg(30)
    ->Arg(365)
    ->Arg(1095)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
