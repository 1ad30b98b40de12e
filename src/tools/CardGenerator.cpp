#include "tools/CardGenerator.h"

#include "platform/LocalCalendar.h"
#include "tools/EDFWriter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>

namespace velunora::cardgen {
namespace {

constexpr double recordSeconds = 60.0;
constexpr int flowSamplesPerRecord = 1500;   // 25 Hz
constexpr int summarySamplesPerRecord = 30;  // 0.5 Hz
constexpr int oximetrySamplesPerRecord = 60; // 1 Hz
constexpr double maskSecondsPerNight = 8 * 3600.0;
constexpr double longestFileSeconds = 2.5 * 3600.0;

using Random = std::mt19937_64;

double uniform(Random& random, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
}

calendar::LocalDateTime localTime(Date instant) {
    const auto components = calendar::decompose(instant);
    if (!components) {
        throw std::runtime_error("instant outside the calendar");
    }
    return *components;
}

std::string twoDigits(std::int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(value % 100));
    return text;
}

std::string compactDate(const calendar::LocalDateTime& t) {
    return std::to_string(t.year) + twoDigits(t.month) + twoDigits(t.day);
}

std::string fileStem(Date instant) {
    const auto t = localTime(instant);
    return compactDate(t) + "_" + twoDigits(t.hour) + twoDigits(t.minute) + twoDigits(t.second);
}

EDFFileSpec fileSpec(Date start, std::int64_t records, const std::string& serial) {
    const auto t = localTime(start);
    EDFFileSpec spec;
    static constexpr const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                             "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    spec.recording = "Startdate " + twoDigits(t.day) + "-" + months[t.month - 1] + "-" +
                     std::to_string(t.year) + " X X X SRN=" + serial + "  MID=36  VID=39";
    spec.startDate = twoDigits(t.day) + "." + twoDigits(t.month) + "." + twoDigits(t.year);
    spec.startTime = twoDigits(t.hour) + "." + twoDigits(t.minute) + "." + twoDigits(t.second);
    spec.recordCount = records;
    return spec;
}

// The device closes every file with a checksum signal that carries no data for us.
EDFSignalSpec crcSignal(std::int64_t records) {
    EDFSignalSpec crc{"Crc16", "", -32768, 32767, -32768, 32767, 1, {}, {}};
    crc.samples.assign(static_cast<std::size_t>(records), 0);
    return crc;
}

std::int16_t toDigital(double physical, double physicalMinimum, double physicalMaximum,
                       std::int64_t digitalMinimum, std::int64_t digitalMaximum) {
    const double scale =
        (physicalMaximum - physicalMinimum) / static_cast<double>(digitalMaximum - digitalMinimum);
    const double raw =
        std::round((physical - physicalMinimum) / scale + static_cast<double>(digitalMinimum));
    return static_cast<std::int16_t>(
        std::clamp(raw, static_cast<double>(digitalMinimum), static_cast<double>(digitalMaximum)));
}

EDFSignalSpec signal(std::string label, std::string dimension, double physicalMinimum,
                     double physicalMaximum, std::int64_t digitalMinimum,
                     std::int64_t digitalMaximum, int samplesPerRecord) {
    return EDFSignalSpec{std::move(label),
                         std::move(dimension),
                         physicalMinimum,
                         physicalMaximum,
                         digitalMinimum,
                         digitalMaximum,
                         samplesPerRecord,
                         {},
                         {}};
}

void append(EDFSignalSpec& spec, double physical) {
    spec.samples.push_back(toDigital(physical, spec.physicalMinimum, spec.physicalMaximum,
                                     spec.digitalMinimum, spec.digitalMaximum));
}

// How much of the normal breath is left at an instant: apnoeas nearly stop the flow,
// hypopnoeas halve it.
double breathingDepth(double t, const std::vector<RespiratoryEvent>& events) {
    for (const RespiratoryEvent& event : events) {
        const double start = event.start.secondsSince1970;
        if (t >= start && t < start + event.durationSeconds) {
            return event.type == EventKind::hypopnea ? 0.5
                   : event.type == EventKind::rera   ? 0.8
                                                     : 0.08;
        }
    }
    return 1.0;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("impossible d’écrire " + path.string());
    }
}

struct Therapy {
    double basePressure;
    double breathPeriod;
};

void writeSessionPart(const std::filesystem::path& folder, Date start, std::int64_t records,
                      const std::string& serial, const Therapy& therapy,
                      const std::vector<RespiratoryEvent>& events, Random& random) {
    const double t0 = start.secondsSince1970;
    std::normal_distribution<double> noise(0.0, 1.0);

    EDFFileSpec brp = fileSpec(start, records, serial);
    EDFSignalSpec flow = signal("Flow.40ms", "L/s", -2.0, 3.0, -1000, 1500, flowSamplesPerRecord);
    EDFSignalSpec press = signal("Press.40ms", "cmH2O", 0.0, 40.0, 0, 2000, flowSamplesPerRecord);
    const auto flowCount = static_cast<std::size_t>(records * flowSamplesPerRecord);
    flow.samples.reserve(flowCount);
    press.samples.reserve(flowCount);
    for (std::size_t i = 0; i < flowCount; ++i) {
        const double t = t0 + static_cast<double>(i) * 0.04;
        const double phase = std::sin(2.0 * std::numbers::pi * (t - t0) / therapy.breathPeriod);
        const double depth = breathingDepth(t, events);
        append(flow, 0.45 * depth * phase + 0.01 * noise(random));
        // Expiratory relief lowers the pressure while the patient breathes out.
        append(press,
               therapy.basePressure - (phase < 0 ? 2.0 * -phase : 0.0) + 0.05 * noise(random));
    }
    brp.signals = {std::move(flow), std::move(press), crcSignal(records)};
    writeFile(folder / (fileStem(start) + "_BRP.edf"), writeEDF(brp));

    // The summary files start a second after the flow file, as on a real card.
    const Date summaryStart{t0 + 1.0};
    EDFFileSpec pld = fileSpec(summaryStart, records, serial);
    EDFSignalSpec maskPress = signal("MaskPress.2s", "cmH2O", 0, 40, 0, 2000, 30);
    EDFSignalSpec therapyPress = signal("Press.2s", "cmH2O", 0, 30, 0, 1500, 30);
    EDFSignalSpec eprPress = signal("EprPress.2s", "cmH2O", 0, 30, 0, 1500, 30);
    EDFSignalSpec leak = signal("Leak.2s", "L/s", 0, 2, 0, 100, 30);
    EDFSignalSpec respRate = signal("RespRate.2s", "bpm", 0, 50, 0, 250, 30);
    EDFSignalSpec tidVol = signal("TidVol.2s", "L", 0, 4, 0, 200, 30);
    EDFSignalSpec minVent = signal("MinVent.2s", "L/min", 0, 30, 0, 240, 30);
    EDFSignalSpec snore = signal("Snore.2s", "", 0, 5, 0, 250, 30);
    EDFSignalSpec flowLim = signal("FlowLim.2s", "", 0, 1, 0, 100, 30);
    const auto summaryCount = static_cast<std::size_t>(records * summarySamplesPerRecord);
    double pressure = therapy.basePressure;
    double leakLevel = 0.05;
    for (std::size_t i = 0; i < summaryCount; ++i) {
        const double t = summaryStart.secondsSince1970 + static_cast<double>(i) * 2.0;
        const double depth = breathingDepth(t, events);
        // An auto-titrating device raises the pressure a little after obstructions.
        pressure = std::clamp(pressure + (depth < 0.9 ? 0.05 : 0.0) +
                                  0.01 * (therapy.basePressure - pressure),
                              4.0, 20.0);
        leakLevel =
            std::clamp(leakLevel + 0.02 * (0.08 - leakLevel) + 0.004 * noise(random), 0.0, 0.9);
        append(maskPress, pressure + 0.1 * noise(random));
        append(therapyPress, pressure);
        append(eprPress, pressure - 2.0);
        append(leak, leakLevel);
        const double rate = 60.0 / therapy.breathPeriod + 0.5 * noise(random);
        const double volume = std::max(0.0, 0.48 * depth + 0.02 * noise(random));
        append(respRate, rate);
        append(tidVol, volume);
        append(minVent, rate * volume);
        append(snore, std::max(0.0, 0.05 * noise(random)));
        append(flowLim, std::clamp(0.05 + 0.03 * noise(random), 0.0, 1.0));
    }
    pld.signals = {std::move(maskPress), std::move(therapyPress), std::move(eprPress),
                   std::move(leak),      std::move(respRate),     std::move(tidVol),
                   std::move(minVent),   std::move(snore),        std::move(flowLim),
                   crcSignal(records)};
    writeFile(folder / (fileStem(summaryStart) + "_PLD.edf"), writeEDF(pld));

    // Without an oximeter attached the device writes -1 throughout.
    EDFFileSpec sad = fileSpec(summaryStart, records, serial);
    EDFSignalSpec pulse = signal("Pulse.1s", "bpm", 18, 300, 18, 300, oximetrySamplesPerRecord);
    EDFSignalSpec spo2 = signal("SpO2.1s", "%", 0, 100, 0, 100, oximetrySamplesPerRecord);
    pulse.samples.assign(static_cast<std::size_t>(records * oximetrySamplesPerRecord), -1);
    spo2.samples = pulse.samples;
    sad.signals = {std::move(pulse), std::move(spo2), crcSignal(records)};
    writeFile(folder / (fileStem(summaryStart) + "_SAD.edf"), writeEDF(sad));
}

std::string annotationText(EventKind kind) {
    switch (kind) {
    case EventKind::obstructive:
        return "Obstructive Apnea";
    case EventKind::central:
        return "Central Apnea";
    case EventKind::hypopnea:
        return "Hypopnea";
    case EventKind::rera:
        return "Arousal";
    case EventKind::unclassified:
        return "Apnea";
    case EventKind::largeLeak:
    case EventKind::other:
        break;
    }
    return "Recording starts";
}

// An EDF+D file of zero-length records: each holds the time-keeping list and one annotation.
void writeEventFile(const std::filesystem::path& path, Date start,
                    const std::vector<RespiratoryEvent>& events, const std::string& serial) {
    constexpr int annotationSamples = 40; // 80 bytes, room for the longest text
    std::vector<std::string> blocks;
    const std::string timeKeeping = std::string("+0\x14\x14", 4) + '\0';
    blocks.push_back(timeKeeping +
                     std::string("+0\x15"
                                 "0\x14Recording starts\x14",
                                 21) +
                     '\0');
    for (const RespiratoryEvent& event : events) {
        const auto offset = static_cast<long long>(
            std::llround(event.start.secondsSince1970 - start.secondsSince1970));
        const auto duration = static_cast<long long>(std::llround(event.durationSeconds));
        blocks.push_back(timeKeeping + "+" + std::to_string(offset) + "\x15" +
                         std::to_string(duration) + "\x14" + annotationText(event.type) + "\x14" +
                         '\0');
    }
    EDFFileSpec spec = fileSpec(start, static_cast<std::int64_t>(blocks.size()), serial);
    spec.reserved = "EDF+D";
    spec.recordDuration = "0.00";
    EDFSignalSpec annotations =
        signal("EDF Annotations", "", 0, 86400, -32768, 32767, annotationSamples);
    annotations.annotationBlocks = std::move(blocks);
    spec.signals = {std::move(annotations), crcSignal(spec.recordCount)};
    writeFile(path, writeEDF(spec));
}

EventKind randomEventKind(Random& random) {
    const double draw = uniform(random, 0.0, 1.0);
    if (draw < 0.40) {
        return EventKind::hypopnea;
    }
    if (draw < 0.70) {
        return EventKind::obstructive;
    }
    if (draw < 0.85) {
        return EventKind::central;
    }
    if (draw < 0.90) {
        return EventKind::unclassified;
    }
    return EventKind::rera;
}

LocalDay defaultFirstNight(int nights) {
    using namespace std::chrono;
    const double now = duration<double>(system_clock::now().time_since_epoch()).count();
    // Last night is the night that holds the instant twelve hours ago; nights run noon to noon,
    // so it is dated by the day of the instant twelve hours before that.
    const auto lastNight = localTime(Date{now - 24 * 3600.0});
    const auto first = calendar::compose(
        {lastNight.year, lastNight.month, lastNight.day - (nights - 1), 12, 0, 0});
    const auto day = localTime(*first);
    return {static_cast<int>(day.year), static_cast<int>(day.month), static_cast<int>(day.day)};
}

void writeStaticFiles(const std::filesystem::path& root, const GeneratedCard& card,
                      DeviceFamily device, Date firstNight) {
    EDFFileSpec str = fileSpec(firstNight, 1, card.serialNumber);
    str.recordDuration = "86400.00";
    EDFSignalSpec date = signal("Date", "", 0, 24836, 0, 24836, 1);
    date.samples = {0};
    EDFSignalSpec maskOn = signal("MaskOn", "min.", 0, 1440, 0, 1440, 10);
    maskOn.samples.assign(10, 0);
    str.signals = {std::move(date), std::move(maskOn), crcSignal(1)};
    writeFile(root / "STR.edf", writeEDF(str));

    if (device == DeviceFamily::airSense11) {
        writeFile(root / "Identification.json",
                  "{\n  \"FlowGenerator\" : {\n    \"IdentificationProfiles\" : {\n"
                  "      \"Product\" : {\n        \"ProductName\" : \"AirSense11AutoSet\",\n"
                  "        \"SerialNumber\" : \"" +
                      card.serialNumber +
                      "\",\n        \"ProductCode\" : \"39517\"\n      }\n    }\n  }\n}\n");
    } else {
        // The device starts the file with an empty line and separates entries with one.
        writeFile(root / "Identification.tgt", "\n#IMF 0001\n\n#VIR 0064\n\n#SRN " +
                                                   card.serialNumber +
                                                   "\n\n#PNA AirSense_10_AutoSet\n\n#PCD 37028\n\n"
                                                   "#MID 0024\n\n#FGT 24_M36_V39\n");
    }
}

} // namespace

GeneratedCard generateCard(const std::filesystem::path& root, const CardGeneratorOptions& options) {
    Random random(options.seed);
    GeneratedCard card;
    card.model =
        options.device == DeviceFamily::airSense11 ? "AirSense 11 AutoSet" : "AirSense 10 AutoSet";
    card.serialNumber = "2319" + std::to_string(1000000 + random() % 9000000);
    const LocalDay first = options.firstNight.value_or(defaultFirstNight(options.nights));

    std::filesystem::create_directories(root / "DATALOG");
    std::filesystem::create_directories(root / "SETTINGS");
    const auto firstNoon = calendar::compose({first.year, first.month, first.day, 12, 0, 0});
    if (!firstNoon) {
        throw std::runtime_error("date de première nuit invalide");
    }

    for (int n = 0; n < options.nights; ++n) {
        const auto bedtimeBase =
            calendar::compose({first.year, first.month, first.day + n, 22, 0, 0});
        const auto dayOfNight = localTime(Date{bedtimeBase->secondsSince1970});
        GeneratedNight night;
        night.day = {static_cast<int>(dayOfNight.year), static_cast<int>(dayOfNight.month),
                     static_cast<int>(dayOfNight.day)};
        double remaining = maskSecondsPerNight;
        if (options.variedUse) {
            if (random() % 12 == 0) {
                continue; // a night without the device
            }
            remaining =
                std::floor(uniform(random, 2.5, 8.5) * 3600.0 / recordSeconds) * recordSeconds;
        }
        const std::filesystem::path folder = root / "DATALOG" / compactDate(dayOfNight);
        std::filesystem::create_directories(folder);

        const Therapy therapy{uniform(random, 7.0, 11.0), uniform(random, 3.6, 4.6)};
        const int sessionCount = 2 + static_cast<int>(random() % 3);
        double cursor = bedtimeBase->secondsSince1970 + std::floor(uniform(random, 0, 5400));
        for (int s = 0; s < sessionCount; ++s) {
            const double sessionSeconds =
                s + 1 == sessionCount ? remaining
                                      : std::floor(remaining / (sessionCount - s) *
                                                   uniform(random, 0.7, 1.2) / recordSeconds) *
                                            recordSeconds;
            remaining -= sessionSeconds;
            const GeneratedSession session{Date{cursor}, Date{cursor + sessionSeconds}};

            std::vector<RespiratoryEvent> sessionEvents;
            const auto eventCount =
                static_cast<int>(sessionSeconds / 3600.0 * uniform(random, 1.5, 5.0));
            for (int e = 0; e < eventCount; ++e) {
                const double start =
                    std::floor(uniform(random, cursor + 120.0, cursor + sessionSeconds - 120.0));
                sessionEvents.push_back(RespiratoryEvent{0, 0, randomEventKind(random), Date{start},
                                                         std::floor(uniform(random, 10, 40))});
            }
            std::sort(sessionEvents.begin(), sessionEvents.end(),
                      [](const auto& a, const auto& b) { return a.start < b.start; });

            // Long sessions come in several files, back to back, as the device splits them.
            double partStart = cursor;
            double left = sessionSeconds;
            while (left > 0) {
                const double partSeconds = std::min(left, longestFileSeconds);
                const auto records = static_cast<std::int64_t>(partSeconds / recordSeconds);
                writeSessionPart(folder, Date{partStart}, records, card.serialNumber, therapy,
                                 sessionEvents, random);
                partStart += partSeconds;
                left -= partSeconds;
            }
            night.sessions.push_back(session);
            night.events.insert(night.events.end(), sessionEvents.begin(), sessionEvents.end());
            cursor += sessionSeconds + std::floor(uniform(random, 120, 1200));
        }

        const Date eventFileStart{night.sessions.front().start.secondsSince1970 - 10.0};
        writeEventFile(folder / (fileStem(eventFileStart) + "_EVE.edf"), eventFileStart,
                       night.events, card.serialNumber);
        writeEventFile(folder / (fileStem(eventFileStart) + "_CSL.edf"), eventFileStart, {},
                       card.serialNumber);
        card.nights.push_back(std::move(night));
    }
    writeStaticFiles(root, card, options.device, *firstNoon);
    return card;
}

} // namespace velunora::cardgen
