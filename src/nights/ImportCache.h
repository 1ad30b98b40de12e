#pragma once

#include "cardimport/DatalogScan.h"
#include "nights/EventAnnotations.h"
#include "records/Records.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velunora {

// What an import learnt from the files of one card, for the next import of that card to reuse
// instead of reading them again. Every result is tied to the version of the files it came from,
// and the whole to the time-zone rules and the locale it was worked out under: instants and
// night dates depend on the first, the recognition of signals and events on the second. Files
// are named by their path under the card's DATALOG folder.
struct ImportCache {
    std::string serialNumber;
    std::string timeZone; // calendar::timeZoneFingerprint()
    std::string locale;   // text::currentLocaleIdentifier()

    // What the header of a signal file said.
    struct Header {
        FileVersion version;
        bool isUnreadable = false;
        bool hasSpan = false; // false for an empty or unreadable file
        double start = 0.0;   // seconds since 1970
        double end = 0.0;

        friend bool operator==(const Header&, const Header&) = default;
    };

    // The scored events of an event file.
    struct EventFile {
        FileVersion version;
        bool isUnreadable = false;
        std::vector<ScoredEvent> events;

        friend bool operator==(const EventFile&, const EventFile&) = default;
    };

    struct SignalFile {
        std::string name;
        FileVersion version;

        friend bool operator==(const SignalFile&, const SignalFile&) = default;
    };

    // A night as the import condensed it, and the signal files it was condensed from.
    struct Night {
        bool isDetailNight = false;
        bool isPartlyRead = false;           // one of its signal files could not be read in full
        std::vector<SignalFile> signalFiles; // those of its sessions, session by session
        NightSummary summary;

        friend bool operator==(const Night&, const Night&) = default;
    };

    std::unordered_map<std::string, Header> headers;
    std::unordered_map<std::string, EventFile> eventFiles;
    std::map<Date, Night> nights;

    friend bool operator==(const ImportCache&, const ImportCache&) = default;
};

// The cache as bytes, and back. Decoding gives nothing for bytes that are not one whole cache
// written by this version of the program (truncated, altered, of another format).
std::string encodeImportCache(const ImportCache& cache);
std::optional<ImportCache> decodeImportCache(std::string_view bytes);

// Where the cache of the card with this serial number lives in the folder; nothing for a card
// without a serial number, whose cache could be taken for another card's.
std::optional<std::filesystem::path> importCacheFile(const std::filesystem::path& folder,
                                                     std::string_view serialNumber);

// Nothing when there is no cache there or it cannot be used (also when its folder is not the
// user's alone: another user's, a link, or open to others' writes); never throws: a cache only
// ever saves work.
std::optional<ImportCache> loadImportCache(const std::filesystem::path& file);

// Replaces the cache file in one step, in a folder and a file for the user alone (0700, 0600).
// False when it could not be written, or the folder is not the user's alone; the previous file
// is then intact.
bool saveImportCache(const std::filesystem::path& file, const ImportCache& cache) noexcept;

// Whether caches may be kept in the folder: it does not exist yet (it is then created for the
// user alone) or it is the user's alone, one of ours that others may enter being made private
// first. A stranger's folder, a link, or one others may write into holds no cache.
bool mayHoldImportCaches(const std::filesystem::path& folder) noexcept;

// Removes every card's cache from the folder, and nothing else; never throws.
void removeImportCaches(const std::filesystem::path& folder) noexcept;

} // namespace velunora
