#include "sync/VolumeSource.h"

#include "sync/MountTableVolumeSource.h"
#include "sync/UDisks2VolumeSource.h"

namespace velunora {

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
