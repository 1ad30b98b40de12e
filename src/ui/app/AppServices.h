#pragma once

#include "sync/SyncController.h"

#include <memory>

namespace velunora {

class Settings;

// The tray app's composition root: every real service the app's controller reaches (the
// settings file, the store they choose, the mounted volumes, the keyring, the browser, the
// desktop's notices and autostart entry), built here and nowhere else. The dialogs, which need
// the app's QML engine, are added by the app itself.
SyncEnvironment makeAppEnvironment(std::shared_ptr<Settings> settings);

} // namespace velunora
