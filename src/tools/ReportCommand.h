#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace velunora {

// `velunora-card report [--from DAY] [--to DAY] [--pdf FILE] [--csv FILE] [--snapshot FILE]`:
// prints the figures of the period (by default the 30 days that end with the newest night) of
// the published nights, or of a snapshot file, and writes the report and the table when asked.
// Exit status 0, 1 when something failed, 2 for a wrong use.
int runReport(int argc, char** argv, const std::vector<std::string_view>& options);

} // namespace velunora
