#include "sync/SystemLocations.h"

#include <QFile>
#include <QStandardPaths>

namespace velunora::systemlocations {

std::filesystem::path importCacheFolder() {
    return std::filesystem::path(QFile::encodeName(QStandardPaths::writableLocation(
                                                       QStandardPaths::GenericCacheLocation))
                                     .toStdString()) /
           "velunora-sync";
}

QString publicationLockFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/velunora-sync/publication.lock");
}

} // namespace velunora::systemlocations
