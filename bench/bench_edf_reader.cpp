// Reading EDF files: the real card's full-rate files in full, a generated eight-hour BRP file,
// and every file of a card header only.
#include "BenchCards.h"
#include "cardimport/EDFReader.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

using namespace velunora;
namespace fs = std::filesystem;

std::vector<fs::path> filesOf(const fs::path& folder, std::string_view suffix) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) {
        return files;
    }
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            files.push_back(entry.path());
        }
    }
    return files;
}

void readInFull(benchmark::State& state, const std::vector<fs::path>& candidates) {
    // The real card holds a BRP file with a malformed header; only readable files are timed.
    std::vector<fs::path> files;
    for (const auto& file : candidates) {
        try {
            parseEDF(file, false);
            files.push_back(file);
        } catch (const std::exception&) {
        }
    }
    if (files.empty()) {
        state.SkipWithError("no files to read");
        return;
    }
    std::uintmax_t bytes = 0;
    for (const auto& file : files) {
        bytes += fs::file_size(file);
    }
    std::size_t samples = 0;
    for (auto _ : state) {
        samples = 0;
        for (const auto& file : files) {
            const EDFDocument document = parseEDF(file, true);
            for (const EDFSignal& signal : document.signals) {
                samples += signal.physicalSamples.size();
            }
            benchmark::DoNotOptimize(document.signals.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.counters["samples_per_s"] =
        benchmark::Counter(static_cast<double>(samples) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void realCardBRPInFull(benchmark::State& state) {
    readInFull(state, filesOf(fs::path(VELUNORA_REAL_CARD) / "airsense10" / "DATALOG", "_BRP.edf"));
}
BENCHMARK(realCardBRPInFull)->Unit(benchmark::kMillisecond)->UseRealTime();

void generatedEightHourBRPInFull(benchmark::State& state) {
    // The generator splits sessions into parts of at most two and a half hours; a one-night
    // card's BRP files together are the night's eight hours.
    readInFull(state, filesOf(bench::generatedCard(1) / "DATALOG", "_BRP.edf"));
}
BENCHMARK(generatedEightHourBRPInFull)->Unit(benchmark::kMillisecond)->UseRealTime();

void headersOnly(benchmark::State& state) {
    auto files = filesOf(bench::generatedCard(30) / "DATALOG", ".edf");
    const auto real = filesOf(fs::path(VELUNORA_REAL_CARD) / "airsense10" / "DATALOG", ".edf");
    files.insert(files.end(), real.begin(), real.end());
    std::size_t read = 0;
    for (auto _ : state) {
        for (const auto& file : files) {
            try {
                benchmark::DoNotOptimize(parseEDF(file, false).duration);
                ++read;
            } catch (const std::exception&) {
                // The real card holds a few malformed files; they cost a read as well.
            }
        }
    }
    state.counters["files_per_s"] = benchmark::Counter(static_cast<double>(files.size()) *
                                                           static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
    benchmark::DoNotOptimize(read);
}
BENCHMARK(headersOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
