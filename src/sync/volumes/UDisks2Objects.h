#pragma once

#include "sync/volumes/VolumeSource.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>
#include <set>
#include <string>
#include <vector>

// UDisks2's drive, block and file-system objects as its D-Bus replies and signals describe them.
// The daemon's property values arrive as variants of any type; a value of an unexpected type
// reads as the property's empty value, never as a failure.
namespace velunora::udisks2 {

// The interfaces the card scan reads, and the eject calls.
inline const QString driveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
inline const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
inline const QString filesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");

// One interface's properties by name, and one object's interfaces by name.
using InterfaceProperties = QMap<QString, QVariantMap>;
// The answer to GetManagedObjects: every object's interfaces, by object path.
using ManagedObjects = QMap<QString, InterfaceProperties>;

// What the table keeps of an object: the properties of the interfaces the card scan reads.
struct Drive {
    bool removable = false;
    bool mediaRemovable = false;
    bool ejectable = false;
};
struct Block {
    // "/" is UDisks2's "no such object".
    QString drive = QStringLiteral("/");
    // An unlocked encrypted volume has no drive of its own, only the block it decrypts.
    QString cryptoBackingDevice = QStringLiteral("/");
    bool hintIgnore = false;
    QString label;
};
struct Filesystem {
    std::vector<std::string> mountPoints;
};
struct Object {
    std::optional<Drive> drive;
    std::optional<Block> block;
    std::optional<Filesystem> filesystem;

    bool empty() const { return !drive && !block && !filesystem; }
};

// The objects of interest to the card scan, kept current by the daemon's signals (it has no
// mount signal: a mount is a change of MountPoints).
class ObjectTable {
public:
    // Replaces every object with the answer to GetManagedObjects.
    void load(const ManagedObjects& objects);
    // InterfacesAdded: interfaces with all of their properties.
    void addInterfaces(const QString& path, const InterfaceProperties& interfaces);
    // InterfacesRemoved.
    void removeInterfaces(const QString& path, const QStringList& interfaces);
    // PropertiesChanged: the new values of some properties of one interface of a known object.
    void changeProperties(const QString& path, const QString& interface,
                          const QVariantMap& changed);
    void clear() { byPath_.clear(); }

    // One volume per mounted, not ignored file system, at its first mount point, in the order
    // of the block devices' object paths.
    std::vector<MountedVolume> mountedVolumes() const;
    // One key per listed volume, which changes when the volume comes or goes.
    std::set<std::string> volumeKeys() const;

    // The objects behind the volume mounted at `mountPoint`: its file system's block and the
    // drive that holds it ("/" when none); nothing when no listed volume is mounted there.
    struct VolumeObjects {
        QString block;
        QString drive;
    };
    std::optional<VolumeObjects> objectsAt(const std::string& mountPoint) const;

private:
    QString drivePathOf(const Block& block) const;
    const Drive* driveOf(const Block& block) const;
    template <typename Visit> void forEachVolume(Visit visit) const;

    // Ordered by object path, which is the listing's order.
    QMap<QString, Object> byPath_;
};

} // namespace velunora::udisks2
