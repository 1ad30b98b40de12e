#pragma once

#include <QLoggingCategory>

// One category per room of the sync layer. Handled failures are logged once, as warnings,
// with what failed and why; never a night's figures, never a password or a token. The routine
// (info and debug) is logged only when the program runs with --verbose.
Q_DECLARE_LOGGING_CATEGORY(lcSync)
Q_DECLARE_LOGGING_CATEGORY(lcCard)
Q_DECLARE_LOGGING_CATEGORY(lcPublication)
Q_DECLARE_LOGGING_CATEGORY(lcStoreWebDAV)
Q_DECLARE_LOGGING_CATEGORY(lcStoreICloud)
Q_DECLARE_LOGGING_CATEGORY(lcVolumes)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

namespace velunora {

// Turns the info and debug messages of every category of ours on (--verbose).
void enableVerboseLogging();
// Keeps the warnings off stderr: the command line prints each failure as its outcome already.
void quietLogging();

} // namespace velunora
