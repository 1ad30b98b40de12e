#include "sync/volumes/UDisks2Objects.h"

#include <QDBusArgument>
#include <QDBusObjectPath>

namespace velunora::udisks2 {
namespace {

const QString noObject = QStringLiteral("/");

QString objectPath(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
        return value.value<QDBusObjectPath>().path();
    }
    return value.toString();
}

// MountPoints holds NUL-terminated byte strings: paths are bytes, not text.
std::vector<std::string> byteStrings(const QVariant& value) {
    QByteArrayList list;
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        // As received from the bus. Read as byte strings, an array of anything else never
        // reaches its end: the list grows until memory runs out.
        const auto argument = value.value<QDBusArgument>();
        if (argument.currentSignature() != QStringLiteral("aay")) {
            return {};
        }
        argument >> list;
    } else {
        list = value.value<QByteArrayList>();
    }
    std::vector<std::string> strings;
    for (QByteArray bytes : list) {
        while (!bytes.isEmpty() && bytes.back() == '\0') {
            bytes.chop(1);
        }
        if (!bytes.isEmpty()) {
            strings.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        }
    }
    return strings;
}

template <typename Convert, typename Field>
void take(const QVariantMap& properties, const QString& name, Field& field, Convert convert) {
    const auto found = properties.constFind(name);
    if (found != properties.cend()) {
        field = convert(*found);
    }
}

const auto toBool = [](const QVariant& value) { return value.toBool(); };
const auto toText = [](const QVariant& value) { return value.toString(); };

// Applies what the daemon sent for one interface: all of its properties when the interface
// was added (`fresh`), the changed ones otherwise. Interfaces of no interest are dropped.
void apply(Object& object, const QString& interface, const QVariantMap& properties, bool fresh) {
    if (interface == driveInterface) {
        if (fresh || !object.drive) {
            object.drive.emplace();
        }
        take(properties, QStringLiteral("Removable"), object.drive->removable, toBool);
        take(properties, QStringLiteral("MediaRemovable"), object.drive->mediaRemovable, toBool);
        take(properties, QStringLiteral("Ejectable"), object.drive->ejectable, toBool);
    } else if (interface == blockInterface) {
        if (fresh || !object.block) {
            object.block.emplace();
        }
        take(properties, QStringLiteral("Drive"), object.block->drive, objectPath);
        take(properties, QStringLiteral("CryptoBackingDevice"), object.block->cryptoBackingDevice,
             objectPath);
        take(properties, QStringLiteral("HintIgnore"), object.block->hintIgnore, toBool);
        take(properties, QStringLiteral("IdLabel"), object.block->label, toText);
    } else if (interface == filesystemInterface) {
        if (fresh || !object.filesystem) {
            object.filesystem.emplace();
        }
        take(properties, QStringLiteral("MountPoints"), object.filesystem->mountPoints,
             byteStrings);
    }
}

} // namespace

void ObjectTable::load(const ManagedObjects& objects) {
    QMap<QString, Object> byPath;
    for (auto entry = objects.cbegin(); entry != objects.cend(); ++entry) {
        Object object;
        for (auto interface = entry->cbegin(); interface != entry->cend(); ++interface) {
            apply(object, interface.key(), interface.value(), true);
        }
        if (!object.empty()) {
            byPath.insert(entry.key(), std::move(object));
        }
    }
    byPath_ = std::move(byPath);
}

void ObjectTable::addInterfaces(const QString& path, const InterfaceProperties& interfaces) {
    Object& object = byPath_[path];
    for (auto interface = interfaces.cbegin(); interface != interfaces.cend(); ++interface) {
        apply(object, interface.key(), interface.value(), true);
    }
    if (object.empty()) {
        byPath_.remove(path);
    }
}

void ObjectTable::removeInterfaces(const QString& path, const QStringList& interfaces) {
    const auto found = byPath_.find(path);
    if (found == byPath_.end()) {
        return;
    }
    for (const QString& interface : interfaces) {
        if (interface == driveInterface) {
            found->drive.reset();
        } else if (interface == blockInterface) {
            found->block.reset();
        } else if (interface == filesystemInterface) {
            found->filesystem.reset();
        }
    }
    if (found->empty()) {
        byPath_.erase(found);
    }
}

void ObjectTable::changeProperties(const QString& path, const QString& interface,
                                   const QVariantMap& changed) {
    if (interface != driveInterface && interface != blockInterface &&
        interface != filesystemInterface) {
        return;
    }
    const auto found = byPath_.find(path);
    if (found != byPath_.end()) {
        apply(*found, interface, changed, false);
    }
}

QString ObjectTable::drivePathOf(const Block& block) const {
    if (block.drive == noObject && block.cryptoBackingDevice != noObject) {
        const auto backing = byPath_.constFind(block.cryptoBackingDevice);
        if (backing != byPath_.cend() && backing->block) {
            return backing->block->drive;
        }
    }
    return block.drive;
}

const Drive* ObjectTable::driveOf(const Block& block) const {
    const auto drive = byPath_.constFind(drivePathOf(block));
    return drive != byPath_.cend() && drive->drive ? &*drive->drive : nullptr;
}

std::optional<ObjectTable::VolumeObjects>
ObjectTable::objectsAt(const std::string& mountPoint) const {
    std::optional<VolumeObjects> found;
    forEachVolume([&](const std::string& key, const MountedVolume& volume) {
        if (!found && volume.rootFolder == mountPoint) {
            const QString block = QString::fromStdString(key.substr(0, key.find('\n')));
            found = VolumeObjects{block, drivePathOf(*byPath_.value(block).block)};
        }
    });
    return found;
}

template <typename Visit> void ObjectTable::forEachVolume(Visit visit) const {
    for (auto object = byPath_.cbegin(); object != byPath_.cend(); ++object) {
        const std::optional<Block>& block = object->block;
        const std::optional<Filesystem>& filesystem = object->filesystem;
        if (!block || block->hintIgnore || !filesystem || filesystem->mountPoints.empty()) {
            continue;
        }
        const std::string& mountPoint = filesystem->mountPoints.front();
        const Drive* drive = driveOf(*block);
        MountedVolume volume;
        volume.rootFolder = mountPoint;
        volume.name = block->label.toStdString();
        if (volume.name.empty()) {
            volume.name = volume.rootFolder.filename().string();
        }
        if (volume.name.empty()) {
            volume.name = mountPoint;
        }
        // Card readers, built in (sdio) or not, report a fixed drive with removable media.
        volume.isRemovable = drive && (drive->removable || drive->mediaRemovable);
        volume.isEjectable = drive && drive->ejectable;
        visit(object.key().toStdString() + '\n' + mountPoint, std::move(volume));
    }
}

std::vector<MountedVolume> ObjectTable::mountedVolumes() const {
    std::vector<MountedVolume> volumes;
    forEachVolume([&volumes](const std::string&, MountedVolume volume) {
        volumes.push_back(std::move(volume));
    });
    return volumes;
}

std::set<std::string> ObjectTable::volumeKeys() const {
    std::set<std::string> keys;
    forEachVolume([&keys](std::string key, const MountedVolume&) { keys.insert(std::move(key)); });
    return keys;
}

} // namespace velunora::udisks2
