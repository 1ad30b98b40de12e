// The import of the morning sync: the card holds one night more than at the last sync, whose
// import cache the sync reuses. Beside it, the first sync of the same card (nothing cached).
// Each reports the bytes the import asked the system for and those the system read from the
// device (with a warm page cache, none).
//
// VELUNORA_BENCH_COLD=1 drops the page cache before every import (root only), so that every
// byte comes from the device; VELUNORA_BENCH_CARD_FOLDER names a folder holding the generated
// cards (card-<nights>-nights) to read instead of build/bench-cards: a card on a throttled loop
// device stands for a card in a USB reader (bench/card_reader.sh sets one up).
#include "BenchCards.h"
#include "nights/ImportCache.h"
#include "nights/SessionImport.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace velunora;
namespace fs = std::filesystem;

constexpr Date importedAt{1700000000};

struct IoCounters {
    double requested = 0;  // bytes handed out by read calls
    double fromDevice = 0; // bytes the block layer read for the process
};

IoCounters ioCounters() {
    IoCounters counters;
    std::ifstream io("/proc/self/io");
    std::string key;
    double value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            counters.requested = value;
        } else if (key == "read_bytes:") {
            counters.fromDevice = value;
        }
    }
    return counters;
}

bool coldRuns() {
    const char* cold = std::getenv("VELUNORA_BENCH_COLD");
    return cold != nullptr && std::string(cold) == "1";
}

bool dropPageCache() {
    ::sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return static_cast<bool>(drop);
}

fs::path cardRoot(int nights) {
    if (const char* folder = std::getenv("VELUNORA_BENCH_CARD_FOLDER")) {
        return fs::path(folder) / ("card-" + std::to_string(nights) + "-nights");
    }
    return bench::generatedCard(nights);
}

// Measures the imports the body runs between pauses: the page cache dropped before each when
// asked, the bytes read counted per import.
template <typename Import> void measureImports(benchmark::State& state, const Import& import) {
    IoCounters total;
    for (auto _ : state) {
        state.PauseTiming();
        if (coldRuns() && !dropPageCache()) {
            state.SkipWithError("the page cache cannot be dropped (root only)");
            return;
        }
        const IoCounters before = ioCounters();
        state.ResumeTiming();
        import();
        state.PauseTiming();
        const IoCounters after = ioCounters();
        total.requested += after.requested - before.requested;
        total.fromDevice += after.fromDevice - before.fromDevice;
        state.ResumeTiming();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["requested_MB"] = total.requested / iterations / 1e6;
    state.counters["device_MB"] = total.fromDevice / iterations / 1e6;
    state.counters["cold"] = coldRuns() ? 1 : 0;
}

void firstSync(benchmark::State& state) {
    const int nights = static_cast<int>(state.range(0));
    const DetectedPAPCard card{cardRoot(nights), "ResMed", "AirSense 10 AutoSet", "23190000000"};
    std::size_t filesRead = 0;
    measureImports(state, [&] {
        const ReusingImport import = importResMedCardReusing(card, importedAt, nullptr);
        filesRead = import.filesRead;
        benchmark::DoNotOptimize(import.snapshot.nights.data());
    });
    state.counters["files_read"] = static_cast<double>(filesRead);
}

// Sets the card's newest night aside for the life of the object, as it was before last night.
class NewestNightSetAside {
public:
    explicit NewestNightSetAside(const fs::path& root) {
        std::vector<fs::path> days(fs::directory_iterator(root / "DATALOG"), {});
        std::sort(days.begin(), days.end());
        newest_ = days.back();
        aside_ = root / ".newest-night-set-aside";
        fs::rename(newest_, aside_);
    }
    ~NewestNightSetAside() { fs::rename(aside_, newest_); }
    NewestNightSetAside(const NewestNightSetAside&) = delete;
    NewestNightSetAside& operator=(const NewestNightSetAside&) = delete;

private:
    fs::path newest_;
    fs::path aside_;
};

double millisecondsOf(const auto& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void morningSync(benchmark::State& state) {
    const int nights = static_cast<int>(state.range(0));
    const DetectedPAPCard card{cardRoot(nights), "ResMed", "AirSense 10 AutoSet", "23190000000"};
    ImportCache yesterday;
    {
        const NewestNightSetAside lastNight(card.rootFolder);
        yesterday = importResMedCardReusing(card, importedAt, nullptr).learnt;
    }
    // What the sync adds around the import: the cache read before it and written after.
    const fs::path cacheFile = fs::temp_directory_path() / "velunora-bench-cache" / "card.cache";
    const double saveMilliseconds = millisecondsOf([&] { saveImportCache(cacheFile, yesterday); });
    const double loadMilliseconds = millisecondsOf([&] { loadImportCache(cacheFile); });
    const double cacheBytes = static_cast<double>(fs::file_size(cacheFile));
    fs::remove_all(cacheFile.parent_path());

    std::size_t filesRead = 0;
    std::size_t nightsReused = 0;
    measureImports(state, [&] {
        const ReusingImport import = importResMedCardReusing(card, importedAt, &yesterday);
        filesRead = import.filesRead;
        nightsReused = import.nightsReused;
        benchmark::DoNotOptimize(import.snapshot.nights.data());
    });
    state.counters["files_read"] = static_cast<double>(filesRead);
    state.counters["nights_reused"] = static_cast<double>(nightsReused);
    state.counters["cache_MB"] = cacheBytes / 1e6;
    state.counters["cache_load_ms"] = loadMilliseconds;
    state.counters["cache_save_ms"] = saveMilliseconds;
}

BENCHMARK(firstSync)->Arg(365)->Arg(1095)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(morningSync)->Arg(365)->Arg(1095)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
