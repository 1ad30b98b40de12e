#include "sync/VolumeSource.h"

namespace velunora {

// No volume is watched until the UDisks2 and mount-table sources are in.
std::unique_ptr<VolumeSource> makeStandardVolumeSource() {
    return nullptr;
}

} // namespace velunora
