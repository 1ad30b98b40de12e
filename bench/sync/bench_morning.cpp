// The sync of every morning against the first one, on a generated card of three years: the first
// sync of the card (nothing cached, nothing published), and the next morning's (the card holds
// one night more, the import cache and the published history are those the first sync left).
// Each reports the import's share; the rest is the publication (fetch, merge, encode, save,
// export). Beside them, the floor of a publication: decode the published document, encode it,
// write it once durably.
//
// VELUNORA_BENCH_COLD=1 drops the page cache before every measured morning (root only), as after
// a night the computer slept through; VELUNORA_BENCH_CARD_FOLDER names a folder holding the
// generated cards (card-<nights>-nights) to read instead of build/bench-cards: a card on a
// throttled loop device stands for a card in a USB reader (VELUNORA_BENCH=bench_morning
// bench/card_reader.sh runs this program there).
#include "BenchCards.h"
#include "cardimport/ResMedCardImporter.h"
#include "platform/AtomicFile.h"
#include "records/SnapshotJSON.h"
#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/local/LocalCloudStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <qcoro/qcorotask.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using namespace velunora;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int threeYears = 3 * 365;

bool coldRuns() {
    const char* cold = std::getenv("VELUNORA_BENCH_COLD");
    return cold != nullptr && std::string(cold) == "1";
}

// Every page of every file leaves the cache: the card's, the history's and the program's.
void dropPageCache() {
    ::sync();
    std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

fs::path benchCard(int nights) {
    if (const char* folder = std::getenv("VELUNORA_BENCH_CARD_FOLDER")) {
        return fs::path(folder) / ("card-" + std::to_string(nights) + "-nights");
    }
    return bench::generatedCard(nights);
}

// The ResMed importer, timed: how long the import of the last sync took.
class TimedImporter final : public PAPCardImporter {
public:
    TimedImporter(fs::path cacheFolder, std::shared_ptr<std::atomic<double>> seconds)
        : importer_(std::move(cacheFolder))
        , seconds_(std::move(seconds)) {}
    std::optional<DetectedPAPCard> detect(const fs::path& root) const override {
        return importer_.detect(root);
    }
    OscarSnapshot importCard(const DetectedPAPCard& card) const override {
        const auto start = Clock::now();
        OscarSnapshot snapshot = importer_.importCard(card);
        seconds_->store(std::chrono::duration<double>(Clock::now() - start).count());
        return snapshot;
    }

private:
    ResMedCardImporter importer_;
    std::shared_ptr<std::atomic<double>> seconds_;
};

// The card as it was yesterday: its newest day's recordings moved aside, and back.
class NewestNight {
public:
    explicit NewestNight(const fs::path& card)
        : aside_(card / ".." / (card.filename().string() + "-newest-night")) {
        for (const auto& entry : fs::directory_iterator(card / "DATALOG")) {
            if (entry.path() > newest_) {
                newest_ = entry.path();
            }
        }
        fs::create_directories(aside_);
    }
    ~NewestNight() { recordOvernight(); }
    void hide() {
        if (fs::exists(newest_)) {
            fs::rename(newest_, aside_ / newest_.filename());
        }
    }
    void recordOvernight() {
        if (!fs::exists(newest_)) {
            fs::rename(aside_ / newest_.filename(), newest_);
        }
    }

private:
    fs::path newest_;
    fs::path aside_;
};

// One computer's published history, import cache and settings, which a run can start from.
struct Computer {
    fs::path folder;
    std::shared_ptr<MemorySettings> defaults = std::make_shared<MemorySettings>();
    std::shared_ptr<std::atomic<double>> importSeconds = std::make_shared<std::atomic<double>>();

    std::unique_ptr<SyncController> start() const {
        SyncEnvironment environment;
        environment.settings = defaults;
        environment.cloud = std::make_shared<CloudSnapshotService>(
            std::make_unique<LocalCloudStore>(folder / "cloud"));
        environment.localExport = LocalExport(folder / "share");
        environment.importCacheFolder = folder / "cache";
        environment.makeRegistry = [cache = environment.importCacheFolder,
                                    seconds = importSeconds] {
            return PAPCardImportRegistry({std::make_shared<const TimedImporter>(cache, seconds)});
        };
        return std::make_unique<SyncController>(std::move(environment));
    }

    bool sync(const fs::path& card, benchmark::State& state) const {
        const auto controller = start();
        if (!controller->adoptCardFolder(card)) {
            state.SkipWithError("the generated card was not recognised");
            return false;
        }
        QCoro::waitFor(controller->sync());
        if (controller->status().kind() != Status::Kind::success) {
            state.SkipWithError(controller->status().failureText().toStdString().c_str());
            return false;
        }
        return true;
    }

    std::uintmax_t exportBytes() const {
        std::error_code error;
        return fs::file_size(folder / "share" / "LunexaSync" / "lunexa-snapshot.json", error);
    }
};

void reportShares(benchmark::State& state, double total, double import, const Computer& computer) {
    const double runs = static_cast<double>(state.iterations());
    state.counters["import_s"] = import / runs;
    state.counters["publication_s"] = (total - import) / runs;
    state.counters["export_MB"] = static_cast<double>(computer.exportBytes()) / 1e6;
}

void firstSync(benchmark::State& state) {
    const fs::path card = benchCard(static_cast<int>(state.range(0)));
    NewestNight newest(card);
    newest.hide();
    double total = 0;
    double import = 0;
    std::uintmax_t exported = 0;
    for (auto _ : state) {
        QTemporaryDir data;
        Computer computer{data.path().toStdString()};
        const auto start = Clock::now();
        if (!computer.sync(card, state)) {
            return;
        }
        total += std::chrono::duration<double>(Clock::now() - start).count();
        import += computer.importSeconds->load();
        exported = computer.exportBytes();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["import_s"] = import / runs;
    state.counters["publication_s"] = (total - import) / runs;
    state.counters["export_MB"] = static_cast<double>(exported) / 1e6;
}
BENCHMARK(firstSync)->Arg(threeYears)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void nextMorning(benchmark::State& state) {
    const fs::path card = benchCard(static_cast<int>(state.range(0)));
    NewestNight newest(card);
    QTemporaryDir data;
    const fs::path yesterday = fs::path(data.path().toStdString()) / "yesterday";
    const fs::path today = fs::path(data.path().toStdString()) / "today";
    // Yesterday's sync leaves the history and the cache that every measured morning starts from.
    newest.hide();
    Computer first{yesterday};
    if (!first.sync(card, state)) {
        return;
    }
    double total = 0;
    double import = 0;
    Computer computer{today};
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(today);
        fs::copy(yesterday, today, fs::copy_options::recursive);
        computer.defaults = std::make_shared<MemorySettings>(*first.defaults);
        // The settings name the export file as our last save wrote it; the copy is another
        // file with the same bytes, remembered in its place as if this computer had written it.
        computer.defaults->setValue(
            QStringLiteral("published-export-file"),
            QString::fromStdString(LocalExport(today / "share").exportIdentity()));
        newest.recordOvernight();
        if (coldRuns()) {
            dropPageCache();
        }
        state.ResumeTiming();
        const auto start = Clock::now();
        if (!computer.sync(card, state)) {
            return;
        }
        total += std::chrono::duration<double>(Clock::now() - start).count();
        import += computer.importSeconds->load();
        state.PauseTiming();
        newest.hide();
        state.ResumeTiming();
    }
    reportShares(state, total, import, computer);
    state.counters["cold"] = coldRuns() ? 1 : 0;
}
BENCHMARK(nextMorning)
    ->Arg(threeYears)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// What no publication can avoid: read the published history, encode the new one, write it once
// where it must survive a crash.
void publicationFloor(benchmark::State& state) {
    const fs::path card = benchCard(static_cast<int>(state.range(0)));
    QTemporaryDir data;
    Computer computer{data.path().toStdString()};
    if (!computer.sync(card, state)) {
        return;
    }
    const fs::path file = computer.folder / "share" / "LunexaSync" / "lunexa-snapshot.json";
    std::ostringstream read;
    read << std::ifstream(file, std::ios::binary).rdbuf();
    const std::string published = read.str();
    const fs::path target = computer.folder / "floor.json";
    for (auto _ : state) {
        const OscarSnapshot snapshot = decodeSnapshot(published);
        const std::string encoded = makeSnapshotEncoder().encode(snapshot);
        writeFileAtomically(target, encoded);
        benchmark::DoNotOptimize(encoded.data());
    }
    state.counters["document_MB"] = static_cast<double>(published.size()) / 1e6;
}
BENCHMARK(publicationFloor)->Arg(threeYears)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
