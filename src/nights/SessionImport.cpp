#include "nights/SessionImport.h"

#include "cardimport/DatalogScan.h"
#include "cardimport/EDFReader.h"
#include "cardimport/PAPCardImportError.h"
#include "cardimport/ResMedCardImporter.h"
#include "nights/EventAnnotations.h"
#include "nights/ImportCache.h"
#include "nights/NightDate.h"
#include "nights/OrderedPreparation.h"
#include "nights/SignalMapping.h"
#include "platform/LocalCalendar.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <map>
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
    std::size_t headersRead = 0;
    std::vector<const ResMedFile*> unreadableFiles; // whose headers could not be read
};

// The names files go by in the import cache: their paths under DATALOG.
class CacheNames {
public:
    explicit CacheNames(const std::filesystem::path& datalog)
        : prefix_(datalog.native()) {}

    std::string operator()(const ResMedFile& file) const {
        const std::string& path = file.url.native();
        if (path.size() > prefix_.size() && path.starts_with(prefix_) &&
            path[prefix_.size()] == '/') {
            return path.substr(prefix_.size() + 1);
        }
        return file.url.lexically_relative(prefix_).generic_string();
    }

private:
    std::string prefix_;
};

// What an earlier import learnt, where it still holds, and what this one learns, when asked.
struct CacheUse {
    const ImportCache* earlier = nullptr; // nothing: everything is read
    ImportCache* learnt = nullptr;        // nothing: nothing is kept
    CacheNames names;

    template <typename Entry>
    const Entry* find(const std::unordered_map<std::string, Entry>& entries, const ResMedFile& file,
                      const std::string& name) const {
        if (earlier == nullptr || !file.version) {
            return nullptr;
        }
        const auto found = entries.find(name);
        return found != entries.end() && found->second.version == *file.version ? &found->second
                                                                                : nullptr;
    }
};

// Groups the signal files into sessions by their time spans. A merge is never revisited, so a
// seed that grows into another stays a separate session. The headers are read on the reading
// threads, those the cache knows excepted; the grouping follows the scan order.
Seeding seedSessions(const std::vector<ResMedFile>& files, std::size_t readThreads,
                     const CacheUse& cache) {
    std::vector<const ResMedFile*> signalFiles;
    for (const ResMedFile& file : files) {
        if (definesSessions(file.kind)) {
            signalFiles.push_back(&file);
        }
    }
    std::vector<HeaderRead> headers(signalFiles.size());
    std::vector<std::string> names(cache.learnt != nullptr ? signalFiles.size() : 0);
    std::vector<std::size_t> unknown; // the indices of the headers to read
    unknown.reserve(signalFiles.size());
    for (std::size_t index = 0; index < signalFiles.size(); ++index) {
        if (!names.empty()) {
            names[index] = cache.names(*signalFiles[index]);
        }
        const ImportCache::Header* known =
            cache.earlier == nullptr
                ? nullptr
                : cache.find(cache.earlier->headers, *signalFiles[index], names[index]);
        if (known == nullptr) {
            unknown.push_back(index);
            continue;
        }
        headers[index].isUnreadable = known->isUnreadable;
        if (known->hasSpan) {
            headers[index].span = FileSpan{known->start, known->end};
        }
    }
    Seeding seeding;
    seeding.headersRead = unknown.size();
    prepareAll(unknown.size(), readThreads, headersPerBatch, [&](std::size_t position) {
        const std::size_t index = unknown[position];
        const auto header = readRecording(*signalFiles[index], false);
        if (!header || header->duration > longestPlausibleRecordingSeconds) {
            headers[index].isUnreadable = true;
        } else if (header->duration > 0.0) {
            const double start = header->start.secondsSince1970;
            headers[index].span = FileSpan{start, start + header->duration};
        }
    });
    if (cache.learnt != nullptr) {
        for (std::size_t index = 0; index < signalFiles.size(); ++index) {
            if (const auto& version = signalFiles[index]->version) {
                const HeaderRead& header = headers[index];
                cache.learnt->headers.emplace(
                    std::move(names[index]),
                    ImportCache::Header{*version, header.isUnreadable, header.span.has_value(),
                                        header.span ? header.span->start : 0.0,
                                        header.span ? header.span->end : 0.0});
            }
        }
    }

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

// Whether two summaries of one night agree on all that its sessions and events make of it: all
// but the statistics and series that its signal files give.
bool sameSessionsAndEvents(const NightSummary& a, const NightSummary& b) {
    return a.date == b.date && a.totalHours == b.totalHours && a.maskOnHours == b.maskOnHours &&
           a.ahi == b.ahi && a.rdi == b.rdi && a.obstructiveCount == b.obstructiveCount &&
           a.centralCount == b.centralCount && a.hypopneaCount == b.hypopneaCount &&
           a.reraCount == b.reraCount && a.unclassifiedCount == b.unclassifiedCount &&
           a.isCompliant == b.isCompliant && a.sessions == b.sessions && a.events == b.events;
}

// One night in the making: its accumulator, and what decides whether an earlier import's summary
// of it can stand for reading its signal files again.
struct NightWork {
    bool isDetailNight = false;
    // The files of its sessions, session by session; nothing once one could not be examined, or
    // when nothing is learnt.
    std::optional<std::vector<ImportCache::SignalFile>> signalFiles{std::in_place};
    const ImportCache::Night* reused = nullptr;
    bool isPartlyRead = false; // a signal file of it could not be read in full
};

// With `reusing`, what `earlier` knows is taken where it still holds, and what the import
// learns is kept in it.
OscarSnapshot runImport(const DetectedPAPCard& card, Date importedAt,
                        const std::function<void(double)>& progress, std::size_t readThreads,
                        const ImportCache* earlier, ReusingImport* reusing) {
    ImportCache* const learnt = reusing != nullptr ? &reusing->learnt : nullptr;
    // The time zone is read once for the whole import, not once per date.
    calendar::refreshTimeZone();
    const std::filesystem::path datalog = card.rootFolder / "DATALOG";
    const std::vector<ResMedFile> files = scanDatalog(datalog);

    CacheUse cache{nullptr, learnt, CacheNames(datalog)};
    if (learnt != nullptr) {
        const std::string timeZone = calendar::timeZoneFingerprint();
        const std::string locale = text::currentLocaleIdentifier();
        if (earlier != nullptr && !card.serialNumber.empty() &&
            earlier->serialNumber == card.serialNumber && earlier->timeZone == timeZone &&
            earlier->locale == locale) {
            cache.earlier = earlier;
        }
        *learnt = ImportCache{card.serialNumber, timeZone, locale, {}, {}, {}};
    }

    const Seeding seeding = seedSessions(files, readThreads, cache);
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

    // Every night with all its sessions first: the events are filed into them, and a night
    // whose sessions, events and signal files are all as an earlier import saw them is not read
    // again.
    NightAccumulators nights;
    std::map<Date, NightWork> work;
    std::vector<PAPSession> sessions(seeds.size());
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        const SessionSeed& seed = seeds[s];
        if (!sessionNights[s]) {
            continue;
        }
        const Date night = *sessionNights[s];
        sessions[s] = PAPSession{
            static_cast<std::int64_t>(std::llround(seed.start.secondsSince1970)), seed.start,
            seed.end, seed.end.secondsSince1970 - seed.start.secondsSince1970};
        nights.try_emplace(night, night).first->second.appendSession(sessions[s]);
        NightWork& nightWork = work[night];
        nightWork.isDetailNight = detailNights.contains(night);
        auto& signalFiles = nightWork.signalFiles;
        for (const ResMedFile& file : seed.files) {
            if (learnt == nullptr || !signalFiles || !file.version) {
                signalFiles.reset();
                break;
            }
            signalFiles->push_back(ImportCache::SignalFile{cache.names(file), *file.version});
        }
    }

    // Events: from the cache for the files it knows, read for the others.
    std::vector<const ResMedFile*> eventFiles;
    std::vector<std::string> eventNames;
    for (const ResMedFile& file : files) {
        if (isEventFile(file.kind)) {
            eventFiles.push_back(&file);
            eventNames.push_back(learnt != nullptr ? cache.names(file) : std::string());
        }
    }
    std::size_t signalReadsAtMost = 0;
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        for (const ResMedFile& file : seeds[s].files) {
            signalReadsAtMost +=
                sessionNights[s] &&
                        isReadInDetailPass(file.kind, detailNights.contains(*sessionNights[s]))
                    ? 1
                    : 0;
        }
    }
    const std::size_t readThreadsAhead =
        filesAheadPerThread * std::max<std::size_t>(readThreads, 1);
    // The share of the work is counted in files, as if every signal file were to be read; those
    // an earlier import spares are skipped over at the end.
    const double filesAtMost = static_cast<double>(eventFiles.size() + signalReadsAtMost);
    std::size_t filesDone = 0;
    std::atomic<std::size_t> eventFilesRead{0};
    auto reportFileDone = [&] {
        ++filesDone;
        report(seedingShare + (1.0 - seedingShare) * static_cast<double>(filesDone) / filesAtMost);
    };

    // The nights some recording of which could not be read, in no order; those that were
    // imported are reported with the snapshot.
    std::vector<Date> partlyReadNights;
    for (const ResMedFile* file : seeding.unreadableFiles) {
        if (const auto night = nightInName(*file)) {
            partlyReadNights.push_back(*night);
        }
    }

    {
        OrderedPreparation<PreparedFile> prepared(
            eventFiles.size(), readThreads, readThreadsAhead, [&](std::size_t index) {
                const ImportCache::EventFile* known =
                    cache.earlier == nullptr ? nullptr
                                             : cache.find(cache.earlier->eventFiles,
                                                          *eventFiles[index], eventNames[index]);
                if (known != nullptr) {
                    return PreparedFile{{}, known->events, known->isUnreadable};
                }
                eventFilesRead.fetch_add(1, std::memory_order_relaxed);
                return prepareEventFile(*eventFiles[index]);
            });
        for (std::size_t index = 0; index < eventFiles.size(); ++index) {
            PreparedFile eventFile = prepared.take(index);
            reportFileDone();
            if (eventFile.isUnreadable) {
                if (const auto night = nightInName(*eventFiles[index])) {
                    partlyReadNights.push_back(*night);
                }
            }
            for (const ScoredEvent& event : eventFile.events) {
                fileEvent(event, nights);
            }
            if (learnt != nullptr && eventFiles[index]->version) {
                learnt->eventFiles.emplace(std::move(eventNames[index]),
                                           ImportCache::EventFile{*eventFiles[index]->version,
                                                                  eventFile.isUnreadable,
                                                                  std::move(eventFile.events)});
            }
        }
    }

    if (cache.earlier != nullptr) {
        for (auto& [date, nightWork] : work) {
            const auto known = cache.earlier->nights.find(date);
            if (known != cache.earlier->nights.end() && nightWork.signalFiles &&
                known->second.isDetailNight == nightWork.isDetailNight &&
                known->second.signalFiles == *nightWork.signalFiles &&
                sameSessionsAndEvents(nights.at(date).makeSummary(), known->second.summary)) {
                nightWork.reused = &known->second;
            }
        }
    }

    // The signal files of the nights still to read, session by session.
    std::vector<FullRead> signalReads;
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        if (!sessionNights[s] || work.at(*sessionNights[s]).reused != nullptr) {
            continue;
        }
        const bool isDetailNight = detailNights.contains(*sessionNights[s]);
        for (const ResMedFile& file : seeds[s].files) {
            if (isReadInDetailPass(file.kind, isDetailNight)) {
                signalReads.push_back(FullRead{&file, false, isDetailNight});
            }
        }
    }
    // The reading threads prepare the files ahead; the nights are built here, in order.
    OrderedPreparation<PreparedFile> prepared(
        signalReads.size(), readThreads, readThreadsAhead, [&](std::size_t index) {
            return prepareSignalFile(*signalReads[index].file, signalReads[index].isDetailNight);
        });
    std::size_t signalReadsDone = 0;

    NightAccumulator::ValueLists spareValues;
    // Seeds come in start order and the night date never decreases with the start, so a night
    // is complete as soon as a seed of a later night turns up.
    NightAccumulator* openNight = nullptr;
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        if (!sessionNights[s]) {
            continue;
        }
        const Date night = *sessionNights[s];
        NightWork& nightWork = work.at(night);
        if (nightWork.reused != nullptr) {
            continue;
        }
        NightAccumulator& accumulator = nights.at(night);
        if (openNight != &accumulator) {
            if (openNight != nullptr) {
                openNight->condenseStatistics(spareValues);
            }
            openNight = &accumulator;
            accumulator.reuseValueLists(spareValues);
        }
        for (const ResMedFile& file : seeds[s].files) {
            if (!isReadInDetailPass(file.kind, nightWork.isDetailNight)) {
                continue;
            }
            PreparedFile signalFile = prepared.take(signalReadsDone++);
            reportFileDone();
            nightWork.isPartlyRead = nightWork.isPartlyRead || signalFile.isUnreadable;
            for (SignalContribution& contribution : signalFile.signals) {
                addToNight(std::move(contribution), sessions[s].id, accumulator);
            }
        }
    }
    if (openNight != nullptr) {
        openNight->condenseStatistics();
    }
    spareValues = {};
    report(1.0);
    if (reusing != nullptr) {
        reusing->filesRead = seeding.headersRead + eventFilesRead + signalReads.size();
        reusing->nightsReused = static_cast<std::size_t>(std::count_if(
            work.begin(), work.end(), [](const auto& entry) { return entry.second.reused; }));
    }

    OscarSnapshot snapshot;
    snapshot.generatedAt = importedAt;
    snapshot.machines.push_back(
        makePAPMachine(card.manufacturer, card.model, card.serialNumber, importedAt));
    snapshot.nights.reserve(nights.size());
    // The map is ordered by night date, so the summaries come out in ascending order.
    for (const auto& [date, accumulator] : nights) {
        const NightWork& nightWork = work.at(date);
        const bool isPartlyRead =
            nightWork.reused != nullptr ? nightWork.reused->isPartlyRead : nightWork.isPartlyRead;
        if (isPartlyRead) {
            partlyReadNights.push_back(date);
        }
        snapshot.nights.push_back(nightWork.reused != nullptr ? nightWork.reused->summary
                                                              : accumulator.makeSummary());
        if (learnt != nullptr && nightWork.signalFiles) {
            learnt->nights.emplace(date, ImportCache::Night{nightWork.isDetailNight, isPartlyRead,
                                                            *nightWork.signalFiles,
                                                            snapshot.nights.back()});
        }
    }
    std::sort(partlyReadNights.begin(), partlyReadNights.end());
    partlyReadNights.erase(std::unique(partlyReadNights.begin(), partlyReadNights.end()),
                           partlyReadNights.end());
    std::erase_if(partlyReadNights, [&](Date date) { return !nights.contains(date); });
    snapshot.partlyReadNights = std::move(partlyReadNights);
    return snapshot;
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
    return runImport(card, importedAt, progress, readThreads, nullptr, nullptr);
}

ReusingImport importResMedCardReusing(const DetectedPAPCard& card, Date importedAt,
                                      const ImportCache* earlier,
                                      const std::function<void(double)>& progress,
                                      std::size_t readThreads) {
    ReusingImport result;
    result.snapshot = runImport(card, importedAt, progress, readThreads, earlier, &result);
    return result;
}

// The importer's declaration lives with card reading; its import is the night pipeline.
OscarSnapshot ResMedCardImporter::importCard(const DetectedPAPCard& card) const {
    const auto cacheFile = importCacheFolder_.empty()
                               ? std::nullopt
                               : importCacheFile(importCacheFolder_, card.serialNumber);
    if (!cacheFile) {
        return importResMedCard(card, now());
    }
    const auto earlier = loadImportCache(*cacheFile);
    ReusingImport import = importResMedCardReusing(card, now(), earlier ? &*earlier : nullptr);
    // A cache that cannot be written only costs the next import its speed.
    saveImportCache(*cacheFile, import.learnt);
    return std::move(import.snapshot);
}

} // namespace velunora
