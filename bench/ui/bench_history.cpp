// What the nights at a glance cost: the history of ten years made ready for the window, the
// window itself opened and drawn once, the panel's block after a sync, and a year's report.
// Off screen, with the software renderer, as a machine without a GPU draws them.
#include "report/NightsReport.h"
#include "sync/history/NightsHistory.h"
#include "ui/windows/QuickObjects.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQmlEngineExtensionPlugin>
#include <QQuickWindow>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

Q_IMPORT_QML_PLUGIN(Velunora_UiPlugin)

namespace {

using namespace velunora;

// `years` of nights ending on 1 December 2026, one in fourteen without use, each with a few
// dozen events and the figures of a real night; the last seven carry series.
std::shared_ptr<const OscarSnapshot> nightsOf(int years) {
    auto snapshot = std::make_shared<OscarSnapshot>();
    snapshot->machines.push_back({1, "ResMed", "AirSense 10 AutoSet", "AirSense 10", "2319", {}});
    const int count = years * 365;
    const double last = 1'796'083'200.0; // 2026-12-01T00:00:00Z
    for (int index = 0; index < count; ++index) {
        if (index % 14 == 3) {
            continue;
        }
        NightSummary night;
        night.date = Date{last - 86'400.0 * (count - 1 - index)};
        night.maskOnHours = night.totalHours = 3.0 + std::fmod(index * 0.37, 5.5);
        night.obstructiveCount = index % 9;
        night.hypopneaCount = index % 7;
        night.ahi =
            static_cast<double>(night.obstructiveCount + night.hypopneaCount) / night.maskOnHours;
        night.rdi = night.ahi;
        night.pressureAverage = 8.0 + std::fmod(index * 0.13, 2.0);
        night.pressure95th = *night.pressureAverage + 1.5;
        night.leakAverage = 4.0;
        night.leak95th = 7.0 + std::fmod(index * 0.21, 10.0);
        const double start = night.date.secondsSince1970 + 22 * 3600.0;
        night.sessions.push_back({static_cast<std::int64_t>(start), Date{start},
                                  Date{start + night.maskOnHours * 3600.0},
                                  night.maskOnHours * 3600.0});
        for (int event = 0; event < 20; ++event) {
            night.events.push_back({event, night.sessions[0].id, EventKind::hypopnea,
                                    Date{start + 600.0 * event}, 12.0});
        }
        if (index >= count - 7) {
            for (const ChannelCode code :
                 {ChannelCode::pressure, ChannelCode::leak, ChannelCode::flowRate}) {
                ChannelSeries series{night.sessions[0].id, code, {}};
                const int points = code == ChannelCode::flowRate ? 1200 : 600;
                for (int point = 0; point < points; ++point) {
                    series.points.push_back(
                        {Date{start + night.maskOnHours * 3600.0 * point / points},
                         std::sin(point * 0.3) * 10.0 + 10.0});
                }
                night.channels.push_back(std::move(series));
            }
        }
        snapshot->nights.push_back(std::move(night));
    }
    return snapshot;
}

// The history of ten years made ready for the window: every day of the whole history, its
// figures, its list of nights, the newest night in detail.
void BM_HistoryModel_TenYears(benchmark::State& state) {
    const auto snapshot = nightsOf(10);
    for (auto _ : state) {
        NightsHistory history;
        history.setPeriodDays(0);
        history.setSnapshot(snapshot);
        benchmark::DoNotOptimize(history.dayHours().size());
    }
}
BENCHMARK(BM_HistoryModel_TenYears)->Unit(benchmark::kMillisecond);

// The window opened on ten years, everything shown, and drawn once.
void BM_HistoryWindow_TenYears(benchmark::State& state) {
    const auto snapshot = nightsOf(10);
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    NightsHistory history;
    history.setPeriodDays(0);
    history.setSnapshot(snapshot);
    for (auto _ : state) {
        std::unique_ptr<QObject> window(
            createUiObject(engine, QStringLiteral("HistoryWindow"),
                           {{QStringLiteral("history"), QVariant::fromValue(&history)}}));
        auto* quick = qobject_cast<QQuickWindow*>(window.get());
        if (quick == nullptr) {
            state.SkipWithError("the history window could not be made");
            return;
        }
        quick->show();
        benchmark::DoNotOptimize(quick->grabWindow().width());
    }
}
BENCHMARK(BM_HistoryWindow_TenYears)->Unit(benchmark::kMillisecond)->Iterations(5);

// What a sync adds for the panel: the newest published history handed to it.
void BM_PanelBlockAfterSync_TenYears(benchmark::State& state) {
    const auto snapshot = nightsOf(10);
    NightsHistory history;
    for (auto _ : state) {
        history.setSnapshot(snapshot);
        benchmark::DoNotOptimize(history.recentHours().size());
    }
}
BENCHMARK(BM_PanelBlockAfterSync_TenYears)->Unit(benchmark::kMillisecond);

// The report of one year, its PDF and its CSV.
void BM_Report_OneYear(benchmark::State& state) {
    const auto snapshot = nightsOf(1);
    const usage::Period year{usage::Day{std::chrono::year{2025} / 12 / 2},
                             usage::Day{std::chrono::year{2026} / 12 / 1}};
    const NightsReport report{*snapshot, year, QLocale(QLocale::French)};
    const QString pdf = QDir::temp().filePath(QStringLiteral("velunora-bench-report.pdf"));
    const QString csv = QDir::temp().filePath(QStringLiteral("velunora-bench-report.csv"));
    for (auto _ : state) {
        if (writeReportPdf(report, pdf) || writeReportCsv(report, csv)) {
            state.SkipWithError("the report could not be written");
            return;
        }
    }
    QFile::remove(pdf);
    QFile::remove(csv);
}
BENCHMARK(BM_Report_OneYear)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
