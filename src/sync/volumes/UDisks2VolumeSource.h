#pragma once

#include "sync/volumes/VolumeSource.h"

#include <QDBusConnection>
#include <memory>
#include <set>
#include <string>

class QDBusMessage;

namespace velunora {

namespace udisks2 {
class ObjectTable;
}

// The volumes UDisks2 knows, answered from a copy of its drive, block and file-system objects
// that its signals keep current (it has no mount signal: a mount is a change of MountPoints).
class UDisks2VolumeSource final : public VolumeSource {
    Q_OBJECT

public:
    // Whether org.freedesktop.UDisks2 runs on `bus` or can be started there.
    static bool isAvailable(QDBusConnection bus);

    // Reads all of UDisks2's objects once, blocking for at most a few seconds.
    explicit UDisks2VolumeSource(QDBusConnection bus = QDBusConnection::systemBus(),
                                 QObject* parent = nullptr);
    ~UDisks2VolumeSource() override;

    // Whether the daemon answered the first reading; without it the list stays empty until
    // the daemon comes (back) on the bus.
    bool isLoaded() const noexcept { return loaded_; }

    // One volume per mounted, not ignored file system, at its first mount point, in the order
    // of the block devices' object paths.
    std::vector<MountedVolume> mountedVolumes() const override;
    // Filesystem.Unmount, then Drive.PowerOff (a reader that cannot be powered off is still
    // safe to take the card from once unmounted).
    QCoro::Task<> eject(std::filesystem::path root) override;

private Q_SLOTS:
    void interfacesAdded(const QDBusMessage& message);
    void interfacesRemoved(const QDBusMessage& message);
    void propertiesChanged(const QDBusMessage& message);

private:
    void load(const QDBusMessage& reply);
    void reloadAll();
    void forget();
    // Signals the volumes that came and went since the last call.
    void announce();

    QDBusConnection bus_;
    std::unique_ptr<udisks2::ObjectTable> objects_;
    bool loaded_ = false;
};

} // namespace velunora
