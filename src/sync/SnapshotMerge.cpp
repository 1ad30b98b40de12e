#include "sync/SnapshotMerge.h"

#include <map>

namespace velunora {

std::string machineKey(const PAPMachine& machine) {
    return machine.serialNumber.empty() ? machine.displayName() : machine.serialNumber;
}

OscarSnapshot mergeSnapshots(OscarSnapshot imported, std::optional<OscarSnapshot> previous) {
    if (!previous) {
        return imported;
    }
    // Documents we never wrote may repeat a date or a key: the later entry wins.
    std::map<Date, NightSummary> nights;
    for (NightSummary& night : previous->nights) {
        nights.insert_or_assign(night.date, std::move(night));
    }
    for (NightSummary& night : imported.nights) {
        if (night.channels.empty() && !nights.empty()) {
            const auto published = nights.find(night.date);
            if (published != nights.end() && !published->second.channels.empty()) {
                night.channels = std::move(published->second.channels);
            }
        }
        nights.insert_or_assign(night.date, std::move(night));
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
    return merged;
}

} // namespace velunora
