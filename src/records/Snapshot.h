#pragma once

#include "records/Records.h"

#include <string>
#include <vector>

namespace velunora {

// The one published document: the device identities and every known night.
// Invariants kept by the import and the merge: at most one night per date, ascending by date;
// at most one machine per device key.
struct OscarSnapshot {
    Date generatedAt;
    std::string profileName = "Velunora";
    std::vector<PAPMachine> machines;
    std::vector<NightSummary> nights;
};

} // namespace velunora
