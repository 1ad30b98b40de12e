// One whole sync of a generated one-year card with the embedded cloud store: the import, the
// merge with the previous export, the cloud save and the local export, as the tray app runs it.
// Besides the wall time it reports how long the main thread's event loop went without turning.
#include "BenchCards.h"
#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/local/LocalCloudStore.h"
#include "sync/volumes/VolumeSource.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <qcoro/qcorotask.h>

namespace {

using namespace velunora;
using Clock = std::chrono::steady_clock;

// Ticks as often as the loop lets it and keeps the longest gap between two ticks.
class LoopWatch {
public:
    LoopWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start() {
        longest_ = {};
        last_ = Clock::now();
        timer_.start();
    }
    double stopAndLongestMilliseconds() {
        timer_.stop();
        longest_ = std::max(longest_, Clock::now() - last_);
        return std::chrono::duration<double, std::milli>(longest_).count();
    }

private:
    QTimer timer_;
    Clock::time_point last_;
    Clock::duration longest_{};
};

void syncOneYearCard(benchmark::State& state) {
    const int nights = static_cast<int>(state.range(0));
    const auto card = bench::generatedCard(nights);
    QTemporaryDir data;
    const std::filesystem::path dataFolder = data.path().toStdString();

    SyncEnvironment environment;
    environment.settings = std::make_shared<MemorySettings>();
    environment.cloud = std::make_shared<CloudSnapshotService>(
        std::make_unique<LocalCloudStore>(dataFolder / "cloud"));
    environment.localExport = LocalExport(dataFolder / "share");
    SyncController controller(std::move(environment));
    if (!controller.adoptCardFolder(card)) {
        state.SkipWithError("the generated card was not recognised");
        return;
    }
    // The first run leaves the previous export that every measured run merges with.
    QCoro::waitFor(controller.sync());

    LoopWatch watch;
    double longestBlock = 0.0;
    for (auto _ : state) {
        watch.start();
        QCoro::waitFor(controller.sync());
        longestBlock = std::max(longestBlock, watch.stopAndLongestMilliseconds());
        if (controller.status().kind() != Status::Kind::success) {
            state.SkipWithError(controller.status().failureText().toStdString().c_str());
            return;
        }
    }
    state.counters["nights"] = static_cast<double>(controller.status().nightCount());
    state.counters["export_MB"] =
        static_cast<double>(std::filesystem::file_size(controller.localExport().snapshotFile())) /
        1e6;
    state.counters["longest_loop_block_ms"] = longestBlock;
}
BENCHMARK(syncOneYearCard)->Arg(365)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ten mounted volumes as the 12-second poll sees them: internal disks, removable media without a
// card, and two cards.
class TenVolumes final : public VolumeSource {
public:
    std::vector<MountedVolume> volumes;
    std::vector<MountedVolume> mountedVolumes() const override { return volumes; }
};

void refreshWithTenVolumes(benchmark::State& state) {
    QTemporaryDir folder;
    const std::filesystem::path root = folder.path().toStdString();
    auto volumes = std::make_shared<TenVolumes>();
    for (int index = 0; index < 3; ++index) {
        const auto stick = root / ("stick-" + std::to_string(index));
        std::filesystem::create_directories(stick / "Photos");
        volumes->volumes.push_back({stick, stick.filename().string(), true, true});
    }
    for (const char* name : {"card-a", "card-b"}) {
        std::filesystem::copy(bench::generatedCard(1), root / name,
                              std::filesystem::copy_options::recursive);
        volumes->volumes.push_back({root / name, name, true, true});
    }
    for (int index = 0; index < 5; ++index) {
        const auto disk = root / ("disk-" + std::to_string(index));
        std::filesystem::create_directories(disk);
        volumes->volumes.push_back({disk, disk.filename().string(), false, false});
    }

    SyncEnvironment environment;
    environment.settings = std::make_shared<MemorySettings>();
    environment.cloud =
        std::make_shared<CloudSnapshotService>(std::make_unique<LocalCloudStore>(root / "cloud"));
    environment.localExport = LocalExport(root / "share");
    environment.volumes = volumes;
    SyncController controller(std::move(environment));
    if (!controller.hasDetectedCard()) {
        state.SkipWithError("the scan found no card");
        return;
    }
    for (auto _ : state) {
        controller.refreshDetectedCard();
    }
}
BENCHMARK(refreshWithTenVolumes)->Unit(benchmark::kMicrosecond);

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
