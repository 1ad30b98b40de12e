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
    // Not part of the document (never encoded nor decoded): the dates of the imported nights
    // for which a recording could not be read, ascending. The merge lets such a night replace
    // no published night, so a damaged file never makes a published night worse.
    std::vector<Date> partlyReadNights;
};

} // namespace velunora
