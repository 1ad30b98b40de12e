#include "sync/volumes/VolumeSource.h"

#include "sync/volumes/MountTableVolumeSource.h"
#include "sync/volumes/UDisks2VolumeSource.h"

#include <algorithm>

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

std::unique_ptr<VolumeSource> makeStandardVolumeSource() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (UDisks2VolumeSource::isAvailable(bus)) {
        auto udisks = std::make_unique<UDisks2VolumeSource>(bus);
        if (udisks->isLoaded()) {
            return udisks;
        }
    }
    return std::make_unique<MountTableVolumeSource>();
}

} // namespace velunora
