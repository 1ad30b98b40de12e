#include "sync/SnapshotMerge.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

namespace velunora {

std::string machineKey(const PAPMachine& machine) {
    return machine.serialNumber.empty() ? machine.displayName() : machine.serialNumber;
}

OscarSnapshot mergeSnapshots(OscarSnapshot imported, std::optional<OscarSnapshot> previous) {
    if (!previous) {
        imported.partlyReadNights.clear();
        return imported;
    }
    // Documents we never wrote may repeat a date or a key: the later entry wins.
    std::map<Date, NightSummary> published;
    for (NightSummary& night : previous->nights) {
        published.insert_or_assign(night.date, std::move(night));
    }
    // A session's id is its start instant: the same session filed under another date (the card
    // read in another time zone) is the same night, which must not be published twice.
    std::unordered_map<std::int64_t, Date> sessionNight;
    for (const auto& [date, night] : published) {
        for (const PAPSession& session : night.sessions) {
            sessionNight.insert_or_assign(session.id, date);
        }
    }
    const std::set<Date> partlyRead(imported.partlyReadNights.begin(),
                                    imported.partlyReadNights.end());

    std::map<Date, NightSummary> nights;
    for (NightSummary& night : imported.nights) {
        std::vector<Date> replaced;
        if (published.contains(night.date)) {
            replaced.push_back(night.date);
        }
        for (const PAPSession& session : night.sessions) {
            const auto owner = sessionNight.find(session.id);
            if (owner != sessionNight.end() && published.contains(owner->second) &&
                std::find(replaced.begin(), replaced.end(), owner->second) == replaced.end()) {
                replaced.push_back(owner->second);
            }
        }
        // A night missing some of its recordings is worse than the one published before.
        if (partlyRead.contains(night.date) && !replaced.empty()) {
            continue;
        }
        if (night.channels.empty()) {
            // The series of the published night of the same date first, else of a night that
            // holds the same sessions.
            std::stable_partition(replaced.begin(), replaced.end(),
                                  [&night](Date date) { return date == night.date; });
            for (const Date date : replaced) {
                NightSummary& before = published.at(date);
                if (!before.channels.empty()) {
                    night.channels = std::move(before.channels);
                    break;
                }
            }
        }
        for (const Date date : replaced) {
            published.erase(date);
        }
        const Date date = night.date;
        nights.insert_or_assign(date, std::move(night));
    }
    // The published nights that no night of the card replaced stay as they were.
    nights.merge(published);

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
    return merged;
}

} // namespace velunora
