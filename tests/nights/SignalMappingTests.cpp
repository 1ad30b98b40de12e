#include "cardimport/EDFReader.h"
#include "nights/SignalMapping.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace velunora {
namespace {

TEST(MapSignal, RecognisesDeviceLabelsByFoldedExactMatch) {
    struct Case {
        const char* label;
        const char* dimension;
        std::optional<SignalMapping> expected;
    };
    const Case cases[] = {
        {"Flow.40ms", "L/s", SignalMapping{ChannelCode::flowRate, 60}},
        {"FLOW.40ms", "", SignalMapping{ChannelCode::flowRate, 60}},
        {"Flow", "L/min", SignalMapping{ChannelCode::flowRate, 60}},
        {"Press.40ms", "cmH2O", SignalMapping{ChannelCode::maskPressure, 1}},
        {"Press.2s", "cmH2O", SignalMapping{ChannelCode::pressure, 1}},
        {"Therapy Pres", "cmH2O", SignalMapping{ChannelCode::pressure, 1}},
        {"mASK pRES", "", SignalMapping{ChannelCode::maskPressure, 1}},
        {"MaskPress.2s", "cmH2O", SignalMapping{ChannelCode::maskPressure, 1}},
        {"Leak.2s", "L/s", SignalMapping{ChannelCode::leak, 60}},
        {"Leak.2s", "L/min", SignalMapping{ChannelCode::leak, 1}},
        {"L\u00e4ck", "l/S", SignalMapping{ChannelCode::leak, 60}},
        {"Fuites", "", SignalMapping{ChannelCode::leak, 1}},
        {"RespRate.2s", "bpm", SignalMapping{ChannelCode::respiratoryRate, 1}},
        {"AF", "", SignalMapping{ChannelCode::respiratoryRate, 1}},
        {"MinVent.2s", "L/min", SignalMapping{ChannelCode::minuteVentilation, 1}},
        {"TidVol.2s", "L", SignalMapping{ChannelCode::tidalVolume, 1000}},
        {"TidVol.2s", "mL", SignalMapping{ChannelCode::tidalVolume, 1}},
        {"FlowLim.2s", "", SignalMapping{ChannelCode::flowLimitation, 1}},
        {"FFL Index", "", SignalMapping{ChannelCode::flowLimitation, 1}},
        {"Mask Pressure", "cmH2O", std::nullopt},
        {"Snore.2s", "", std::nullopt},
        {"EprPress.2s", "cmH2O", std::nullopt},
        {"Crc16", "", std::nullopt},
        {"flow ", "", std::nullopt},
        {"", "", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mapSignal(c.label, c.dimension), c.expected) << c.label << " / " << c.dimension;
    }
}

TEST(SignalValues, KeepFiniteSamplesAndNegativeFlowOnly) {
    const std::vector<double> flow{0.5, -0.25};
    EXPECT_EQ(signalValues(flow, {ChannelCode::flowRate, 60}), (std::vector<double>{30, -15}));
    const std::vector<double> leak{0.25};
    EXPECT_EQ(signalValues(leak, {ChannelCode::leak, 60}), (std::vector<double>{15}));
    const std::vector<double> volume{0.5};
    EXPECT_EQ(signalValues(volume, {ChannelCode::tidalVolume, 1000}), (std::vector<double>{500}));
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> mixed{-1, 0, nan, 4, inf, -inf, 1e308};
    EXPECT_EQ(signalValues(mixed, {ChannelCode::pressure, 1}), (std::vector<double>{0, 4, 1e308}));
    EXPECT_EQ(signalValues(mixed, {ChannelCode::flowRate, 60}), (std::vector<double>{-60, 0, 240}))
        << "a value that overflows in conversion is as unusable as an infinite sample";
}

TEST(ReduceSignal, StrideComesFromKeptValuesAndWalksThePhysicalSamples) {
    auto flowSamples = [](std::size_t count) { return std::vector<double>(count, 0.1); };
    const SignalMapping flow{ChannelCode::flowRate, 60};
    EXPECT_EQ(reduceSignal(Date{0}, 1200, flowSamples(1200), flow, 1200).size(), 1200u);
    EXPECT_EQ(reduceSignal(Date{0}, 2399, flowSamples(2399), flow, 2399).size(), 2399u);
    EXPECT_EQ(reduceSignal(Date{0}, 2400, flowSamples(2400), flow, 2400).size(), 1200u);

    // 1,000 pressure samples, 700 usable: step 1, every usable sample becomes a point.
    std::vector<double> pressure(1000, -1.0);
    for (std::size_t i = 0; i < 700; ++i) {
        pressure[i * 10 / 7] = 8.0;
    }
    const auto values = signalValues(pressure, {ChannelCode::pressure, 1});
    ASSERT_EQ(values.size(), 700u);
    EXPECT_EQ(
        reduceSignal(Date{0}, 2000, pressure, {ChannelCode::pressure, 1}, values.size()).size(),
        700u);

    // 6,000 samples with every other one unusable: the stride (5) is taken from the 3,000 kept
    // values, so odd positions are skipped without a replacement.
    std::vector<double> alternating(6000);
    for (std::size_t i = 0; i < alternating.size(); ++i) {
        alternating[i] = i % 2 == 0 ? 0.5 : std::nan("");
    }
    const auto points = reduceSignal(Date{100}, 600, alternating, {ChannelCode::leak, 60}, 3000);
    ASSERT_EQ(points.size(), 600u);
    EXPECT_EQ(points[0].time, Date{100});
    EXPECT_EQ(points[1].time, Date{100.0 + 0.1 * 10}) << "index 10 at 0.1 s per sample";
    EXPECT_EQ(points[1].value, 30.0);
}

TEST(ReduceSignal, PlacesPointsOverTheWholeFile) {
    const std::vector<double> samples{1, 2, 3, 4};
    const auto points = reduceSignal(Date{1000}, 8, samples, {ChannelCode::pressure, 1}, 4);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[3].time, Date{1006});
    EXPECT_EQ(points[3].value, 4);
    EXPECT_TRUE(reduceSignal(Date{0}, 10, {}, {ChannelCode::pressure, 1}, 0).empty());
}

TEST(AddSignalToNight, ValuesForEveryNightSeriesForDetailNightsOnly) {
    EDFDocument document{Date{500}, 4, {}, {}};
    document.signals.push_back(EDFSignal{"Leak.2s", "L/s", {0.1, 0.2}});
    document.signals.push_back(EDFSignal{"Press.2s", "cmH2O", {-1, -1}});
    document.signals.push_back(EDFSignal{"Snore.2s", "", {1, 2}});

    NightAccumulator plain(Date{0});
    for (const EDFSignal& signal : document.signals) {
        addSignalToNight(document, signal, 42, plain, false);
    }
    EXPECT_EQ(plain.values(ChannelCode::leak).size(), 2u);
    EXPECT_TRUE(plain.values(ChannelCode::pressure).empty()) << "all samples were unusable";
    EXPECT_TRUE(plain.channels().empty());

    NightAccumulator detail(Date{0});
    for (const EDFSignal& signal : document.signals) {
        addSignalToNight(document, signal, 42, detail, true);
    }
    ASSERT_EQ(detail.channels().size(), 1u);
    EXPECT_EQ(detail.channels()[0].id(), "42-Leak");
    EXPECT_EQ(detail.channels()[0].points.size(), 2u);
}

} // namespace
} // namespace velunora
