#pragma once

#include "records/Records.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace velunora::cardgen {

struct LocalDay {
    int year = 2024;
    int month = 1;
    int day = 1;
};

enum class DeviceFamily { airSense10, airSense11 };

struct CardGeneratorOptions {
    int nights = 7;
    std::uint64_t seed = 1;
    // The first night's date; by default the nights end with last night.
    std::optional<LocalDay> firstNight;
    DeviceFamily device = DeviceFamily::airSense10;
    // Nights of 2.5 to 8.5 hours, with about one night in twelve without use, as a patient's
    // months look; otherwise every night has eight hours.
    bool variedUse = false;
};

// What the generator wrote, so that tests can check the import against it.
struct GeneratedSession {
    Date start;
    Date end;
};

struct GeneratedNight {
    LocalDay day;
    std::vector<GeneratedSession> sessions;
    std::vector<RespiratoryEvent> events; // kind and start; ids and sessions left at 0
};

struct GeneratedCard {
    std::string model;
    std::string serialNumber;
    std::vector<GeneratedNight> nights;
};

// Writes a synthetic card with the layout of a real AirSense card: DATALOG/<night>/ with BRP
// (25 Hz flow and pressure), PLD (0.5 Hz summary signals) and SAD (1 Hz oximetry, no sensor)
// files per session part, EDF+D event files with a few scored events per hour, STR.edf and the
// identification file. Eight hours of mask time per night (unless `variedUse`) in several
// sessions, local time.
// Throws std::runtime_error when a file cannot be written.
GeneratedCard generateCard(const std::filesystem::path& root, const CardGeneratorOptions& options);

} // namespace velunora::cardgen
