#pragma once

#include "sync/SyncController.h"

namespace velunora {

// The command-line tool's composition root: the settings file, the store it chooses, the
// keyring, the local export and the import cache the app uses too, so that both publish the
// same history. No volume is watched, no notice shown and no autostart entry touched: the tool
// works on the folder it is given and prints its outcome.
SyncEnvironment makeCommandLineEnvironment();

} // namespace velunora
