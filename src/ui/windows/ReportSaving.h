#pragma once

#include <QString>

namespace velunora {

class NightsHistory;

// Asks where to save the report of the history window's period, writes the PDF and, beside it,
// the nights as CSV (same name), then opens the PDF; a failure is said in a dialog that names
// the file. Nothing when there is no night or the user cancels.
void saveReport(const NightsHistory& history);

// The file name offered: "Velunora – nuits du 2026-11-08 au 2026-12-07.pdf".
QString suggestedReportName(const NightsHistory& history);

} // namespace velunora
