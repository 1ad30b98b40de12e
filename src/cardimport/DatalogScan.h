#pragma once

#include "platform/LocalCalendar.h"
#include "records/Date.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace velunora {

// What tells one version of a file from another without reading it: on a card, a file rewritten
// by the device changes its size or its modification time.
struct FileVersion {
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0; // since 1970

    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// One recording file of the card, with its kind read from the file name.
struct ResMedFile {
    // Only compared; the cases carry no text of their own.
    enum class Kind {
        brp, // "_BRP": full-rate flow and pressure
        pld, // "_PLD": summary-rate signals
        sad, // "_SAD" or "_SA2": oximetry
        eve, // "_EVE" or "_AEV": scored events
        csl, // "_CSL": Cheyne-Stokes respiration
    };

    std::filesystem::path url;
    Kind kind;
    // As the scan found it; nothing when the file could not be examined.
    std::optional<FileVersion> version;

    friend bool operator==(const ResMedFile&, const ResMedFile&) = default;
};

// The files of one mask-on session, grouped by the session import.
struct SessionSeed {
    // Earliest start and latest end of the grouped files.
    Date start;
    Date end;
    // In the order in which they joined the group.
    std::vector<ResMedFile> files;

    friend bool operator==(const SessionSeed&, const SessionSeed&) = default;
};

// The recording files under the card's DATALOG folder, at any depth, sorted by file name (stable:
// equal names in different folders keep the walk's order). Hidden entries and files of unknown
// kind are left out; nothing is opened, each file is only examined for its version. Throws
// PAPCardImportError::unreadable when the folder cannot be walked at all, and
// PAPCardImportError::removedWhileReading when the walk fails further down (the card went away
// meanwhile); folders it may not open are skipped.
std::vector<ResMedFile> scanDatalog(const std::filesystem::path& datalog);

// The local time a recording's name starts with, as the device names them
// ("20240101_221530_PLD.edf": 1 January 2024, 22:15:30); nothing for a name that does not.
std::optional<calendar::LocalDateTime> localStartInName(const std::filesystem::path& file);

} // namespace velunora
