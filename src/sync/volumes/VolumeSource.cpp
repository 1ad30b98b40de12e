#include "sync/volumes/VolumeSource.h"

#include "platform/Localization.h"
#include "platform/PlatformError.h"
#include "sync/Logging.h"
#include "sync/volumes/MountTableVolumeSource.h"
#include "sync/volumes/UDisks2VolumeSource.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace velunora {

void VolumeSource::announceVolumes(std::set<std::string> current) {
    const bool gone =
        !std::includes(current.begin(), current.end(), announced_.begin(), announced_.end());
    const bool came =
        !std::includes(announced_.begin(), announced_.end(), current.begin(), current.end());
    announced_ = std::move(current);
    if (gone) {
        Q_EMIT volumeUnmounted();
    }
    if (came) {
        Q_EMIT volumeMounted();
    }
}

QCoro::Task<> VolumeSource::eject(std::filesystem::path) {
    throw PlatformError(ENOTSUP, localized("VolumeSource",
                                           "Ce système ne sait pas éjecter la carte : "
                                           "démontez-la depuis le gestionnaire de fichiers."));
    co_return;
}

std::unique_ptr<VolumeSource> makeStandardVolumeSource() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (UDisks2VolumeSource::isAvailable(bus)) {
        auto udisks = std::make_unique<UDisks2VolumeSource>(bus);
        if (udisks->isLoaded()) {
            return udisks;
        }
    }
    qCInfo(lcVolumes) << "UDisks2 is not there: the mount table is read instead";
    return std::make_unique<MountTableVolumeSource>();
}

std::filesystem::path removableMediaFolder(const std::vector<MountedVolume>& volumes,
                                           const std::filesystem::path& systemRoot,
                                           const std::string& user) {
    for (const MountedVolume& volume : volumes) {
        if (volume.isRemovable && volume.rootFolder.has_parent_path()) {
            return volume.rootFolder.parent_path();
        }
    }
    std::vector<std::filesystem::path> conventions;
    if (!user.empty()) {
        conventions.push_back(systemRoot / "run/media" / user);
        conventions.push_back(systemRoot / "media" / user);
    }
    conventions.push_back(systemRoot / "run/media");
    conventions.push_back(systemRoot / "media");
    for (const std::filesystem::path& folder : conventions) {
        std::error_code error;
        if (std::filesystem::is_directory(folder, error)) {
            return folder;
        }
    }
    return {};
}

std::filesystem::path removableMediaFolder(const std::vector<MountedVolume>& volumes) {
    std::string user;
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name) {
        user = entry->pw_name;
    } else if (const char* name = std::getenv("USER")) {
        user = name;
    }
    return removableMediaFolder(volumes, "/", user);
}

} // namespace velunora
