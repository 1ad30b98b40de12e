#pragma once

#include <QString>
#include <filesystem>

namespace velunora {

// Where this user's copy of the program keeps its own files, from the desktop's base
// directories. Asked by the programs' composition roots only.
namespace systemlocations {

// What the imports keep of each card (a cache: losing it costs one full import).
std::filesystem::path importCacheFolder();
// The lock that keeps the app and the command-line tool from publishing at the same time.
QString publicationLockFile();

} // namespace systemlocations
} // namespace velunora
