// Encoding and decoding of a large snapshot: a thousand nights, the seven latest with a full
// reduced series, about the size of several years of use.
#include "records/SnapshotJSON.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {

using namespace velunora;

OscarSnapshot largeSnapshot() {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> pressure(4.0, 20.0);
    std::uniform_real_distribution<double> flow(-60.0, 60.0);
    OscarSnapshot snapshot;
    snapshot.generatedAt = Date{1692775800};
    snapshot.machines.push_back(
        makePAPMachine("ResMed", "AirSense 10 AutoSet", "23171234567", Date{1692775800}));
    const double firstNight = 1692676800.0 - 999 * 86400.0;
    for (int n = 0; n < 1000; ++n) {
        NightSummary night;
        night.date = Date{firstNight + n * 86400.0};
        night.totalHours = night.maskOnHours = 7.0 + n % 7 * 0.13;
        night.ahi = 1.0 + n % 5 * 0.37;
        night.rdi = night.ahi + 0.2;
        night.obstructiveCount = n % 4;
        night.hypopneaCount = n % 6;
        night.pressureAverage = pressure(random);
        night.pressureMinimum = 4.0;
        night.pressureMaximum = 20.0;
        night.pressure95th = pressure(random);
        night.leakAverage = 2.4;
        night.leak95th = 12.0;
        night.leakMaximum = 30.5;
        night.isCompliant = true;
        const double start = night.date.secondsSince1970 + 11 * 3600.0;
        for (int s = 0; s < 3; ++s) {
            const double sessionStart = start + s * 9000.0;
            night.sessions.push_back(PAPSession{static_cast<std::int64_t>(sessionStart),
                                                Date{sessionStart}, Date{sessionStart + 8000.0},
                                                8000.0});
        }
        for (int e = 0; e < 8; ++e) {
            const double eventStart = start + e * 3000.5;
            night.events.push_back(RespiratoryEvent{
                static_cast<std::int64_t>(eventStart * 10) + e, night.sessions[0].id,
                allEventKinds[static_cast<std::size_t>(e) % allEventKinds.size()], Date{eventStart},
                10.0 + e});
        }
        if (n >= 993) {
            ChannelSeries series{night.sessions[0].id, ChannelCode::flowRate, {}};
            series.points.reserve(20000);
            for (int p = 0; p < 20000; ++p) {
                series.points.push_back(ChannelPoint{Date{start + p * 1.44}, flow(random)});
            }
            night.channels.push_back(std::move(series));
        }
        snapshot.nights.push_back(std::move(night));
    }
    return snapshot;
}

const OscarSnapshot& sharedSnapshot() {
    static const OscarSnapshot snapshot = largeSnapshot();
    return snapshot;
}

void encodeSnapshot(benchmark::State& state) {
    const OscarSnapshot& snapshot = sharedSnapshot();
    const auto encoder = makeSnapshotEncoder();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string json = encoder.encode(snapshot);
        bytes = json.size();
        benchmark::DoNotOptimize(json.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
    state.counters["document_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(encodeSnapshot)->Unit(benchmark::kMillisecond);

void decodeSnapshot(benchmark::State& state) {
    const std::string json = makeSnapshotEncoder().encode(sharedSnapshot());
    for (auto _ : state) {
        OscarSnapshot snapshot = velunora::decodeSnapshot(json);
        benchmark::DoNotOptimize(snapshot.nights.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(json.size() * state.iterations()));
}
BENCHMARK(decodeSnapshot)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
