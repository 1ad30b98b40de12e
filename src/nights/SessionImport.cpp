#include "nights/SessionImport.h"

#include "cardimport/DatalogScan.h"
#include "cardimport/EDFReader.h"
#include "cardimport/PAPCardImportError.h"
#include "cardimport/ResMedCardImporter.h"
#include "nights/EventAnnotations.h"
#include "nights/NightDate.h"
#include "nights/OrderedPreparation.h"
#include "nights/SignalMapping.h"
#include "platform/LocalCalendar.h"
#include "platform/PlatformError.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <set>
#include <thread>

namespace velunora {
namespace {

// A recording whose format is at fault only costs that recording: nothing, and its night is
// marked as partly read. The system failing to open or read a file the scan listed means that the
// card went away or stopped answering; then nothing read from it can be trusted, and the import
// ends.
template <typename Mode>
std::optional<EDFDocument> readRecording(const ResMedFile& file, const Mode& mode) {
    try {
        return parseEDF(file.url, mode);
    } catch (const PAPCardImportError&) {
        return std::nullopt;
    } catch (const PlatformError&) {
        throw PAPCardImportError::removedWhileReading(file.url.filename().string());
    }
}

// The night of the instant a recording's name gives, for a file that could not say when it
// starts.
std::optional<Date> nightInName(const ResMedFile& file) {
    const auto start = localStartInName(file.url);
    if (!start) {
        return std::nullopt;
    }
    const auto instant = calendar::compose(*start);
    return instant ? nightDate(*instant) : std::nullopt;
}

bool definesSessions(ResMedFile::Kind kind) {
    return kind == ResMedFile::Kind::brp || kind == ResMedFile::Kind::pld ||
           kind == ResMedFile::Kind::sad;
}

// Header reads are handed out this many at a time: each is only a few microseconds of work.
constexpr std::size_t headersPerBatch = 32;
// Prepared files ahead of the one being added, per reading thread; a full-rate file prepared
// for a detail night holds a few megabytes.
constexpr std::size_t filesAheadPerThread = 8;

// A device writes a file per session part of a night; a header that claims more is damaged, and
// its dates would not even be writable.
constexpr double longestPlausibleRecordingSeconds = 7 * 86400.0;

struct FileSpan {
    double start;
    double end;
};

struct HeaderRead {
    std::optional<FileSpan> span; // nothing for an empty or unreadable file
    bool isUnreadable = false;
};

struct Seeding {
    std::vector<SessionSeed> seeds;
    std::vector<const ResMedFile*> unreadableFiles; // whose headers could not be read
};

// Groups the signal files into sessions by their time spans. A merge is never revisited, so a
// seed that grows into another stays a separate session. The headers are read on the reading
// threads; the grouping follows the scan order.
Seeding seedSessions(const std::vector<ResMedFile>& files, std::size_t readThreads) {
    std::vector<const ResMedFile*> signalFiles;
    for (const ResMedFile& file : files) {
        if (definesSessions(file.kind)) {
            signalFiles.push_back(&file);
        }
    }
    std::vector<HeaderRead> headers(signalFiles.size());
    prepareAll(signalFiles.size(), readThreads, headersPerBatch, [&](std::size_t index) {
        const auto header = readRecording(*signalFiles[index], false);
        if (!header || header->duration > longestPlausibleRecordingSeconds) {
            headers[index].isUnreadable = true;
        } else if (header->duration > 0.0) {
            const double start = header->start.secondsSince1970;
            headers[index].span = FileSpan{start, start + header->duration};
        }
    });

    Seeding seeding;
    std::vector<SessionSeed>& seeds = seeding.seeds;
    // latestEnd[i] is the latest end among seeds 0 … i. No seed before the first whose latest
    // end reaches the file (with the tolerance) can join it, so the search for the first seed
    // that joins starts there, and stays short when the files come roughly in time order.
    std::vector<double> latestEnd;
    for (std::size_t index = 0; index < signalFiles.size(); ++index) {
        const std::optional<FileSpan>& span = headers[index].span;
        if (headers[index].isUnreadable) {
            seeding.unreadableFiles.push_back(signalFiles[index]);
        }
        if (!span) {
            continue;
        }
        const double fileStart = span->start;
        const double fileEnd = span->end;
        const auto firstReaching =
            std::partition_point(latestEnd.begin(), latestEnd.end(), [&](double end) {
                return end + sessionJoinToleranceSeconds < fileStart;
            });
        const auto joined = std::find_if(
            seeds.begin() + (firstReaching - latestEnd.begin()), seeds.end(),
            [&](const SessionSeed& seed) {
                return seed.start.secondsSince1970 <= fileEnd + sessionJoinToleranceSeconds &&
                       fileStart <= seed.end.secondsSince1970 + sessionJoinToleranceSeconds;
            });
        if (joined == seeds.end()) {
            seeds.push_back(SessionSeed{Date{fileStart}, Date{fileEnd}, {*signalFiles[index]}});
            latestEnd.push_back(latestEnd.empty() ? fileEnd : std::max(latestEnd.back(), fileEnd));
        } else {
            joined->start = Date{std::min(joined->start.secondsSince1970, fileStart)};
            joined->end = Date{std::max(joined->end.secondsSince1970, fileEnd)};
            joined->files.push_back(*signalFiles[index]);
            for (auto later = latestEnd.begin() + (joined - seeds.begin());
                 later != latestEnd.end() && *later < fileEnd; ++later) {
                *later = fileEnd;
            }
        }
    }
    std::stable_sort(seeds.begin(), seeds.end(), [](const SessionSeed& a, const SessionSeed& b) {
        return a.start.secondsSince1970 < b.start.secondsSince1970;
    });
    return seeding;
}

// The nights of the seven latest sessions: one night when the newest alone has seven.
std::set<Date> chooseDetailNights(const std::vector<std::optional<Date>>& sessionNights) {
    std::vector<Date> dates;
    dates.reserve(sessionNights.size());
    for (const auto& night : sessionNights) {
        if (night) {
            dates.push_back(*night);
        }
    }
    std::sort(dates.begin(), dates.end());
    const std::size_t first =
        dates.size() > detailSessionCount ? dates.size() - detailSessionCount : 0;
    return std::set<Date>(dates.begin() + static_cast<std::ptrdiff_t>(first), dates.end());
}

bool isEventFile(ResMedFile::Kind kind) {
    return kind == ResMedFile::Kind::eve || kind == ResMedFile::Kind::csl;
}

bool isReadInDetailPass(ResMedFile::Kind kind, bool isDetailNight) {
    return kind == ResMedFile::Kind::pld || (kind == ResMedFile::Kind::brp && isDetailNight);
}

// One full read of the detail or the event pass.
struct FullRead {
    const ResMedFile* file;
    bool isEventFile;
    bool isDetailNight;
};

// What a fully read file gives the nights, ready to be added.
struct PreparedFile {
    std::vector<SignalContribution> signals;
    std::vector<ScoredEvent> events;
    bool isUnreadable = false;
};

PreparedFile prepareEventFile(const ResMedFile& file) {
    PreparedFile prepared;
    const auto document = readRecording(file, true);
    prepared.isUnreadable = !document;
    if (document) {
        for (const EDFAnnotation& annotation : document->annotations) {
            if (auto event = scoredEventOf(*document, annotation)) {
                prepared.events.push_back(*event);
            }
        }
    }
    return prepared;
}

// Only the signals that can give the night something are converted: on most nights the
// pressure and leak of the summary files.
PreparedFile prepareSignalFile(const ResMedFile& file, bool isDetailNight) {
    std::vector<SignalMapping> mappings; // those of the document's signals, in order
    std::exception_ptr mappingError;
    const EDFSignalSelection selection = [&](std::string_view label, std::string_view dimension) {
        try {
            const auto mapping = mapSignal(label, dimension);
            if (!mapping || !contributesToNight(mapping->code, isDetailNight)) {
                return false;
            }
            mappings.push_back(*mapping);
            return true;
        } catch (...) {
            // Not the file's fault: it must not pass for an unreadable file.
            if (!mappingError) {
                mappingError = std::current_exception();
            }
            return false;
        }
    };
    PreparedFile prepared;
    auto document = readRecording(file, selection);
    if (!document) {
        prepared.isUnreadable = true;
        return prepared;
    }
    if (mappingError) {
        std::rethrow_exception(mappingError);
    }
    for (std::size_t index = 0; index < document->signals.size(); ++index) {
        if (auto contribution = prepareSignal(*document, std::move(document->signals[index]),
                                              mappings[index], isDetailNight)) {
            prepared.signals.push_back(std::move(*contribution));
        }
    }
    return prepared;
}

Date now() {
    using namespace std::chrono;
    return Date{duration<double>(system_clock::now().time_since_epoch()).count()};
}

} // namespace

std::size_t defaultReadThreadCount() noexcept {
    const std::size_t cores = std::max(std::thread::hardware_concurrency(), 1u);
    return std::min(cores, maximumReaders) - 1;
}

OscarSnapshot importResMedCard(const DetectedPAPCard& card, Date importedAt,
                               const std::function<void(double)>& progress) {
    return importResMedCard(card, importedAt, progress, defaultReadThreadCount());
}

OscarSnapshot importResMedCard(const DetectedPAPCard& card, Date importedAt,
                               const std::function<void(double)>& progress,
                               std::size_t readThreads) {
    const std::vector<ResMedFile> files = scanDatalog(card.rootURL / "DATALOG");
    const Seeding seeding = seedSessions(files, readThreads);
    const std::vector<SessionSeed>& seeds = seeding.seeds;
    // Headers are cheap; the full reads that follow are most of the work.
    constexpr double seedingShare = 0.1;
    auto report = [&](double fraction) {
        if (progress) {
            progress(fraction);
        }
    };
    report(seedingShare);
    if (seeds.empty()) {
        throw PAPCardImportError::noSessions();
    }

    std::vector<std::optional<Date>> sessionNights;
    sessionNights.reserve(seeds.size());
    for (const SessionSeed& seed : seeds) {
        sessionNights.push_back(nightDate(seed.start));
    }
    const std::set<Date> detailNights = chooseDetailNights(sessionNights);

    // Every full read of both passes, in the order in which their results are added.
    std::vector<FullRead> fullReads;
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        if (!sessionNights[s]) {
            continue;
        }
        const bool isDetailNight = detailNights.contains(*sessionNights[s]);
        for (const ResMedFile& file : seeds[s].files) {
            if (isReadInDetailPass(file.kind, isDetailNight)) {
                fullReads.push_back(FullRead{&file, false, isDetailNight});
            }
        }
    }
    for (const ResMedFile& file : files) {
        if (isEventFile(file.kind)) {
            fullReads.push_back(FullRead{&file, true, false});
        }
    }
    // The reading threads prepare the files ahead; the nights are built here, in order.
    OrderedPreparation<PreparedFile> prepared(
        fullReads.size(), readThreads, filesAheadPerThread * std::max<std::size_t>(readThreads, 1),
        [&](std::size_t index) {
            const FullRead& read = fullReads[index];
            return read.isEventFile ? prepareEventFile(*read.file)
                                    : prepareSignalFile(*read.file, read.isDetailNight);
        });
    std::size_t fullReadsDone = 0;
    auto takeNextRead = [&] {
        PreparedFile file = prepared.take(fullReadsDone);
        ++fullReadsDone;
        report(seedingShare + (1.0 - seedingShare) * static_cast<double>(fullReadsDone) /
                                  static_cast<double>(fullReads.size()));
        return file;
    };

    // The nights some recording of which could not be read, in no order; those that were
    // imported are reported with the snapshot.
    std::vector<Date> partlyReadNights;
    for (const ResMedFile* file : seeding.unreadableFiles) {
        if (const auto night = nightInName(*file)) {
            partlyReadNights.push_back(*night);
        }
    }

    NightAccumulators nights;
    NightAccumulator::ValueLists spareValues;
    // Seeds come in start order and the night date never decreases with the start, so a night
    // is complete as soon as a seed of a later night turns up.
    NightAccumulator* openNight = nullptr;
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        const SessionSeed& seed = seeds[s];
        if (!sessionNights[s]) {
            continue;
        }
        const Date night = *sessionNights[s];
        const bool isDetailNight = detailNights.contains(night);
        const PAPSession session{
            static_cast<std::int64_t>(std::llround(seed.start.secondsSince1970)), seed.start,
            seed.end, seed.end.secondsSince1970 - seed.start.secondsSince1970};
        const auto [entry, isNew] = nights.try_emplace(night, night);
        NightAccumulator& accumulator = entry->second;
        if (openNight != &accumulator) {
            if (openNight != nullptr) {
                openNight->condenseStatistics(spareValues);
            }
            openNight = &accumulator;
            if (isNew) {
                accumulator.reuseValueLists(spareValues);
            }
        }
        accumulator.appendSession(session);
        for (const ResMedFile& file : seed.files) {
            if (!isReadInDetailPass(file.kind, isDetailNight)) {
                continue;
            }
            PreparedFile signalFile = takeNextRead();
            if (signalFile.isUnreadable) {
                partlyReadNights.push_back(night);
            }
            for (SignalContribution& contribution : signalFile.signals) {
                addToNight(std::move(contribution), session.id, accumulator);
            }
        }
    }

    if (openNight != nullptr) {
        openNight->condenseStatistics();
    }
    spareValues = {};

    for (const ResMedFile& file : files) {
        if (!isEventFile(file.kind)) {
            continue;
        }
        const PreparedFile eventFile = takeNextRead();
        if (eventFile.isUnreadable) {
            if (const auto night = nightInName(file)) {
                partlyReadNights.push_back(*night);
            }
        }
        for (const ScoredEvent& event : eventFile.events) {
            fileEvent(event, nights);
        }
    }

    OscarSnapshot snapshot;
    snapshot.generatedAt = importedAt;
    snapshot.machines.push_back(
        makePAPMachine(card.manufacturer, card.model, card.serialNumber, importedAt));
    snapshot.nights.reserve(nights.size());
    // The map is ordered by night date, so the summaries come out in ascending order.
    for (const auto& [date, accumulator] : nights) {
        snapshot.nights.push_back(accumulator.makeSummary());
    }
    std::sort(partlyReadNights.begin(), partlyReadNights.end());
    partlyReadNights.erase(std::unique(partlyReadNights.begin(), partlyReadNights.end()),
                           partlyReadNights.end());
    std::erase_if(partlyReadNights, [&](Date date) { return !nights.contains(date); });
    snapshot.partlyReadNights = std::move(partlyReadNights);
    return snapshot;
}

// The importer's declaration lives with card reading; its import is the night pipeline.
OscarSnapshot ResMedCardImporter::importCard(const DetectedPAPCard& card) const {
    return importResMedCard(card, now());
}

} // namespace velunora
