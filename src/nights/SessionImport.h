#pragma once

#include "cardimport/DetectedPAPCard.h"
#include "nights/ImportCache.h"
#include "records/Snapshot.h"

#include <cstddef>
#include <functional>

namespace velunora {

// One reader per core, the calling thread being one, up to the maximum.
std::size_t defaultReadThreadCount() noexcept;

// Reads a detected ResMed card into a snapshot of one machine and every night it holds:
// sessions grouped from the signal files' headers, nights filed noon to noon, summary-rate
// statistics for every night, reduced series for the nights of the seven latest sessions, and
// scored events. A recording whose format is at fault is skipped, and the night it belongs to
// (that of its session, or of the start its name gives) is listed among the partly read nights.
// Throws the DATALOG scan's error, PAPCardImportError::noSessions, and
// PAPCardImportError::removedWhileReading for the first file, in reading order, that the system
// fails to open or read: the card went away, and nothing is imported. `progress`, when given,
// hears the share of the work done (0 to 1) as the files are read.
OscarSnapshot importResMedCard(const DetectedPAPCard& card, Date importedAt,
                               const std::function<void(double fraction)>& progress = {});

// The same with `readThreads` threads of the import's own reading and preparing the files beside
// the calling thread (none: all on the calling thread). The snapshot does not depend on it:
// what the threads prepare is added to the nights in the order of one thread's reading, and
// `progress` is called on the calling thread, with a share that never decreases.
OscarSnapshot importResMedCard(const DetectedPAPCard& card, Date importedAt,
                               const std::function<void(double fraction)>& progress,
                               std::size_t readThreads);

// An import that reuses what an earlier import of the same card learnt, and what it learnt
// itself, for the next one.
struct ReusingImport {
    OscarSnapshot snapshot;
    ImportCache learnt;
    // What was read from the card: headers and whole files, the listing apart.
    std::size_t filesRead = 0;
    std::size_t nightsReused = 0;
};

// The same import, which takes from `earlier` (when given) the header of each signal file and
// the events of each event file that have not changed since, and the summary of each night whose
// sessions, events, signal files and detail are all as they were. `earlier` is used only for the
// same card under the same time-zone rules and locale; the snapshot is the one the full import
// gives, to the last bit.
ReusingImport importResMedCardReusing(const DetectedPAPCard& card, Date importedAt,
                                      const ImportCache* earlier,
                                      const std::function<void(double fraction)>& progress = {},
                                      std::size_t readThreads = defaultReadThreadCount());

// Threads that read, the caller's included: beyond this they only contend for the card and the
// memory bus.
inline constexpr std::size_t maximumReaders = 4;

// Files closer than this (end of one to start of the next) belong to one session.
inline constexpr double sessionJoinToleranceSeconds = 30.0;
// How many of the latest sessions get full-rate detail.
inline constexpr std::size_t detailSessionCount = 7;

} // namespace velunora
