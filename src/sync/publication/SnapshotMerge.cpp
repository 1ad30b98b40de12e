#include "sync/publication/SnapshotMerge.h"

#include "nights/SessionImport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

namespace velunora {

std::string machineKey(const PAPMachine& machine) {
    return machine.serialNumber.empty() ? machine.displayName() : machine.serialNumber;
}

namespace {

// The card's sessions, to find the published nights that hold the same recordings.
class ImportedSessions {
public:
    explicit ImportedSessions(const std::vector<NightSummary>& nights) {
        for (std::size_t night = 0; night < nights.size(); ++night) {
            for (const PAPSession& session : nights[night].sessions) {
                byId_.emplace(session.id, Entry{session.durationSeconds, night});
            }
        }
    }

    // The night holding a session that starts at `id` and lasts `duration`, if any.
    std::optional<std::size_t> nightOf(std::int64_t id, double duration) const {
        const auto [first, last] = byId_.equal_range(id);
        for (auto entry = first; entry != last; ++entry) {
            if (entry->second.duration == duration) {
                return entry->second.night;
            }
        }
        return std::nullopt;
    }
    std::optional<std::size_t> nightOf(std::int64_t id) const {
        const auto found = byId_.find(id);
        return found == byId_.end() ? std::nullopt : std::optional(found->second.night);
    }

    // Adds the nights that hold a session of `night` shifted by a whole number of quarter hours
    // of less than a day, with the same duration to the second: the card read again in another
    // time zone, whose EDF clock times then name other instants. (Files on both sides of a
    // change of daylight saving time may then group into other sessions: one session found is
    // enough.)
    void addShiftedMatches(const NightSummary& night, std::vector<std::size_t>& into) const {
        for (const PAPSession& session : night.sessions) {
            for (std::int64_t shift = quarterHour; shift <= maximumShift; shift += quarterHour) {
                auto holder = nightOf(session.id + shift, session.durationSeconds);
                if (!holder) {
                    holder = nightOf(session.id - shift, session.durationSeconds);
                }
                if (holder) {
                    into.push_back(*holder);
                    break;
                }
            }
        }
    }

private:
    static constexpr std::int64_t quarterHour = 900;
    static constexpr std::int64_t maximumShift = 24 * 3600 - quarterHour;

    struct Entry {
        double duration;
        std::size_t night;
    };
    std::unordered_multimap<std::int64_t, Entry> byId_;
};

} // namespace

OscarSnapshot mergeSnapshots(OscarSnapshot imported, std::optional<OscarSnapshot> previous) {
    if (!previous) {
        imported.partlyReadNights.clear();
        keepSeriesOfLatestNights(imported.nights);
        return imported;
    }
    // Documents we never wrote may repeat a date or a key: the later entry wins.
    std::map<Date, NightSummary> published;
    for (NightSummary& night : previous->nights) {
        published.insert_or_assign(night.date, std::move(night));
    }
    std::vector<NightSummary>& cardNights = imported.nights;
    std::map<Date, std::size_t> cardNightOfDate;
    for (std::size_t index = 0; index < cardNights.size(); ++index) {
        cardNightOfDate.emplace(cardNights[index].date, index);
    }
    const ImportedSessions sessions(cardNights);
    const std::set<Date> partlyRead(imported.partlyReadNights.begin(),
                                    imported.partlyReadNights.end());

    // Which card nights stand for each published night: the night of its date, those that
    // hold one of its sessions, or those that hold all of them at another time zone's clock.
    std::map<Date, std::vector<std::size_t>> replacements;
    std::vector<bool> withheld(cardNights.size(), false);
    for (const auto& [date, night] : published) {
        std::vector<std::size_t> replacing;
        if (const auto sameDate = cardNightOfDate.find(date); sameDate != cardNightOfDate.end()) {
            replacing.push_back(sameDate->second);
        }
        for (const PAPSession& session : night.sessions) {
            if (const auto holder = sessions.nightOf(session.id)) {
                replacing.push_back(*holder);
            }
        }
        if (replacing.empty()) {
            sessions.addShiftedMatches(night, replacing);
        }
        // A night missing some of its recordings is worse than the one published before.
        for (const std::size_t index : replacing) {
            if (partlyRead.contains(cardNights[index].date)) {
                withheld[index] = true;
            }
        }
        if (!replacing.empty()) {
            replacements.emplace(date, std::move(replacing));
        }
    }

    for (auto& [date, replacing] : replacements) {
        const bool kept = std::any_of(replacing.begin(), replacing.end(),
                                      [&withheld](std::size_t index) { return withheld[index]; });
        if (kept) {
            continue;
        }
        NightSummary& before = published.at(date);
        // The series of the published night carry over to the card's night of the same date, or
        // of the same sessions, when the import built none for it.
        for (const std::size_t index : replacing) {
            NightSummary& night = cardNights[index];
            const bool sameSessions =
                night.date == date ||
                std::any_of(night.sessions.begin(), night.sessions.end(),
                            [&before](const PAPSession& session) {
                                return std::any_of(before.sessions.begin(), before.sessions.end(),
                                                   [&session](const PAPSession& old) {
                                                       return old.id == session.id;
                                                   });
                            });
            if (night.channels.empty() && !before.channels.empty() && sameSessions) {
                night.channels = std::move(before.channels);
                break;
            }
        }
        published.erase(date);
    }

    std::map<Date, NightSummary> nights = std::move(published);
    for (std::size_t index = 0; index < cardNights.size(); ++index) {
        if (!withheld[index]) {
            const Date date = cardNights[index].date;
            nights.insert_or_assign(date, std::move(cardNights[index]));
        }
    }

    std::map<std::string, PAPMachine> machines;
    for (PAPMachine& machine : previous->machines) {
        machines.insert_or_assign(machineKey(machine), std::move(machine));
    }
    for (PAPMachine& machine : imported.machines) {
        machines.insert_or_assign(machineKey(machine), std::move(machine));
    }

    OscarSnapshot merged;
    merged.generatedAt = imported.generatedAt;
    merged.profileName = std::move(imported.profileName);
    merged.machines.reserve(machines.size());
    for (auto& [key, machine] : machines) {
        merged.machines.push_back(std::move(machine));
    }
    // The map keeps the dates in ascending order.
    merged.nights.reserve(nights.size());
    for (auto& [date, night] : nights) {
        merged.nights.push_back(std::move(night));
    }
    keepSeriesOfLatestNights(merged.nights);
    return merged;
}

void keepSeriesOfLatestNights(std::vector<NightSummary>& nights) {
    // Nights are in ascending order of date: walk back from the newest until seven sessions.
    std::size_t sessionsSeen = 0;
    auto night = nights.rbegin();
    for (; night != nights.rend() && sessionsSeen < detailSessionCount; ++night) {
        sessionsSeen += night->sessions.size();
    }
    for (; night != nights.rend(); ++night) {
        // Swapped out, not cleared: the memory of years of series goes back at once.
        std::vector<ChannelSeries>().swap(night->channels);
    }
}

namespace {

Date wholeSecond(Date date) {
    return Date{std::floor(date.secondsSince1970)};
}

// The night as its JSON form reads back: every instant cut to its whole second.
NightSummary asPublished(NightSummary night) {
    night.date = wholeSecond(night.date);
    for (PAPSession& session : night.sessions) {
        session.start = wholeSecond(session.start);
        session.end = wholeSecond(session.end);
    }
    for (RespiratoryEvent& event : night.events) {
        event.start = wholeSecond(event.start);
    }
    for (ChannelSeries& series : night.channels) {
        for (ChannelPoint& point : series.points) {
            point.time = wholeSecond(point.time);
        }
    }
    return night;
}

std::map<std::string, PAPMachine> machinesWithoutImportTimes(const OscarSnapshot& snapshot) {
    std::map<std::string, PAPMachine> machines;
    for (PAPMachine machine : snapshot.machines) {
        machine.lastImported.reset();
        machines.insert_or_assign(machineKey(machine), std::move(machine));
    }
    return machines;
}

} // namespace

PublishedChanges comparePublished(const OscarSnapshot& merged,
                                  const std::optional<OscarSnapshot>& previous) {
    if (!previous) {
        return {static_cast<std::int64_t>(merged.nights.size()), true};
    }
    PublishedChanges changes;
    std::map<Date, const NightSummary*> before;
    for (const NightSummary& night : previous->nights) {
        before.insert_or_assign(night.date, &night);
    }
    changes.changesPublished =
        merged.nights.size() != previous->nights.size() ||
        merged.profileName != previous->profileName ||
        machinesWithoutImportTimes(merged) != machinesWithoutImportTimes(*previous);
    for (const NightSummary& night : merged.nights) {
        const auto published = before.find(night.date);
        if (published == before.end()) {
            ++changes.newNights;
            changes.changesPublished = true;
        } else if (!changes.changesPublished && !(asPublished(night) == *published->second)) {
            changes.changesPublished = true;
        }
    }
    return changes;
}

} // namespace velunora
