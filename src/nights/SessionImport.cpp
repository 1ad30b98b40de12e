#include "nights/SessionImport.h"

#include "cardimport/DatalogScan.h"
#include "cardimport/EDFReader.h"
#include "cardimport/PAPCardImportError.h"
#include "cardimport/ResMedCardImporter.h"
#include "nights/EventAnnotations.h"
#include "nights/NightDate.h"
#include "nights/SignalMapping.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>

namespace velunora {
namespace {

// Any failure to read one recording only costs that recording.
std::optional<EDFDocument> readOrSkip(const ResMedFile& file, bool includeSamples) {
    try {
        return parseEDF(file.url, includeSamples);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool definesSessions(ResMedFile::Kind kind) {
    return kind == ResMedFile::Kind::brp || kind == ResMedFile::Kind::pld ||
           kind == ResMedFile::Kind::sad;
}

// Groups the signal files into sessions by their time spans. A merge is never revisited, so a
// seed that grows into another stays a separate session.
std::vector<SessionSeed> seedSessions(const std::vector<ResMedFile>& files) {
    std::vector<SessionSeed> seeds;
    for (const ResMedFile& file : files) {
        if (!definesSessions(file.kind)) {
            continue;
        }
        const auto header = readOrSkip(file, false);
        if (!header || !(header->duration > 0.0)) {
            continue;
        }
        const double fileStart = header->start.secondsSince1970;
        const double fileEnd = fileStart + header->duration;
        const auto joined = std::find_if(seeds.begin(), seeds.end(), [&](const SessionSeed& seed) {
            return seed.start.secondsSince1970 <= fileEnd + sessionJoinToleranceSeconds &&
                   fileStart <= seed.end.secondsSince1970 + sessionJoinToleranceSeconds;
        });
        if (joined == seeds.end()) {
            seeds.push_back(SessionSeed{Date{fileStart}, Date{fileEnd}, {file}});
        } else {
            joined->start = Date{std::min(joined->start.secondsSince1970, fileStart)};
            joined->end = Date{std::max(joined->end.secondsSince1970, fileEnd)};
            joined->files.push_back(file);
        }
    }
    std::stable_sort(seeds.begin(), seeds.end(), [](const SessionSeed& a, const SessionSeed& b) {
        return a.start.secondsSince1970 < b.start.secondsSince1970;
    });
    return seeds;
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

Date now() {
    using namespace std::chrono;
    return Date{duration<double>(system_clock::now().time_since_epoch()).count()};
}

} // namespace

OscarSnapshot importResMedCard(const DetectedPAPCard& card, Date importedAt,
                               const std::function<void(double)>& progress) {
    const std::vector<ResMedFile> files = scanDatalog(card.rootURL / "DATALOG");
    const std::vector<SessionSeed> seeds = seedSessions(files);
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

    std::size_t fullReads = 0;
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        if (!sessionNights[s]) {
            continue;
        }
        const bool isDetailNight = detailNights.contains(*sessionNights[s]);
        for (const ResMedFile& file : seeds[s].files) {
            fullReads += isReadInDetailPass(file.kind, isDetailNight) ? 1 : 0;
        }
    }
    for (const ResMedFile& file : files) {
        fullReads += isEventFile(file.kind) ? 1 : 0;
    }
    std::size_t fullReadsDone = 0;
    auto fileRead = [&] {
        ++fullReadsDone;
        report(seedingShare + (1.0 - seedingShare) * static_cast<double>(fullReadsDone) /
                                  static_cast<double>(std::max<std::size_t>(fullReads, 1)));
    };

    NightAccumulators nights;
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
        NightAccumulator& accumulator = nights.try_emplace(night, night).first->second;
        if (openNight != &accumulator) {
            if (openNight != nullptr) {
                openNight->condenseStatistics();
            }
            openNight = &accumulator;
        }
        accumulator.appendSession(session);
        for (const ResMedFile& file : seed.files) {
            if (!isReadInDetailPass(file.kind, isDetailNight)) {
                continue;
            }
            const auto document = readOrSkip(file, true);
            fileRead();
            if (!document) {
                continue;
            }
            for (const EDFSignal& signal : document->signals) {
                addSignalToNight(*document, signal, session.id, accumulator, isDetailNight);
            }
        }
    }

    if (openNight != nullptr) {
        openNight->condenseStatistics();
    }

    for (const ResMedFile& file : files) {
        if (!isEventFile(file.kind)) {
            continue;
        }
        const auto document = readOrSkip(file, true);
        fileRead();
        if (!document) {
            continue;
        }
        for (const EDFAnnotation& annotation : document->annotations) {
            addAnnotationToNights(*document, annotation, nights);
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
    return snapshot;
}

// The importer's declaration lives with card reading; its import is the night pipeline.
OscarSnapshot ResMedCardImporter::importCard(const DetectedPAPCard& card) const {
    return importResMedCard(card, now());
}

} // namespace velunora
