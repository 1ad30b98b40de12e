#include "sync/volumes/UDisks2VolumeSource.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QMap>
#include <algorithm>
#include <optional>
#include <vector>

namespace velunora {
namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString managerPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString objectManagerInterface = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString driveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString filesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
// UDisks2's "no such object" in object-path properties.
const QString noObject = QStringLiteral("/");

using InterfaceProperties = QMap<QString, QVariantMap>;

struct Drive {
    bool removable = false;
    bool mediaRemovable = false;
    bool ejectable = false;
};

struct Block {
    QString drive = noObject;
    // An unlocked encrypted volume has no drive of its own, only the block it decrypts.
    QString cryptoBackingDevice = noObject;
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

bool isArgument(const QVariant& value) {
    return value.metaType() == QMetaType::fromType<QDBusArgument>();
}

QString objectPath(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
        return value.value<QDBusObjectPath>().path();
    }
    return value.toString();
}

// MountPoints holds NUL-terminated byte strings: paths are bytes, not text.
std::vector<std::string> byteStrings(const QVariant& value) {
    QByteArrayList list;
    if (isArgument(value)) {
        value.value<QDBusArgument>() >> list;
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

bool isOurs(const QString& interface) {
    return interface == driveInterface || interface == blockInterface ||
           interface == filesystemInterface;
}

} // namespace

struct UDisks2VolumeSource::Objects {
    // Ordered by object path, which is the listing's order.
    QMap<QString, Object> byPath;

    const Drive* driveOf(const Block& block) const {
        QString path = block.drive;
        if (path == noObject && block.cryptoBackingDevice != noObject) {
            const auto backing = byPath.constFind(block.cryptoBackingDevice);
            if (backing != byPath.cend() && backing->block) {
                path = backing->block->drive;
            }
        }
        const auto drive = byPath.constFind(path);
        return drive != byPath.cend() && drive->drive ? &*drive->drive : nullptr;
    }

    // The listed volumes with a key that changes when a volume comes or goes.
    template <typename Visit> void forEachVolume(Visit visit) const {
        for (auto object = byPath.cbegin(); object != byPath.cend(); ++object) {
            const std::optional<Block>& block = object->block;
            const std::optional<Filesystem>& filesystem = object->filesystem;
            if (!block || block->hintIgnore || !filesystem || filesystem->mountPoints.empty()) {
                continue;
            }
            const std::string& mountPoint = filesystem->mountPoints.front();
            const Drive* drive = driveOf(*block);
            MountedVolume volume;
            volume.rootURL = mountPoint;
            volume.name = block->label.toStdString();
            if (volume.name.empty()) {
                volume.name = volume.rootURL.filename().string();
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

    std::set<std::string> keys() const {
        std::set<std::string> keys;
        forEachVolume(
            [&keys](std::string key, const MountedVolume&) { keys.insert(std::move(key)); });
        return keys;
    }
};

bool UDisks2VolumeSource::isAvailable(QDBusConnection bus) {
    const QDBusConnectionInterface* daemon = bus.isConnected() ? bus.interface() : nullptr;
    return daemon != nullptr && (daemon->isServiceRegistered(service).value() ||
                                 daemon->activatableServiceNames().value().contains(service));
}

UDisks2VolumeSource::UDisks2VolumeSource(QDBusConnection bus, QObject* parent)
    : VolumeSource(parent)
    , bus_(std::move(bus))
    , objects_(std::make_unique<Objects>()) {
    // Subscribed before the first reading, so nothing between the two is missed.
    bus_.connect(service, managerPath, objectManagerInterface, QStringLiteral("InterfacesAdded"),
                 this, SLOT(interfacesAdded(QDBusMessage)));
    bus_.connect(service, managerPath, objectManagerInterface, QStringLiteral("InterfacesRemoved"),
                 this, SLOT(interfacesRemoved(QDBusMessage)));
    bus_.connect(service, QString(), propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                 SLOT(propertiesChanged(QDBusMessage)));
    // A restarted daemon starts with new objects and sends nothing about the old ones.
    auto* watcher =
        new QDBusServiceWatcher(service, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString& oldOwner, const QString& newOwner) {
                if (!oldOwner.isEmpty()) {
                    forget();
                }
                if (!newOwner.isEmpty()) {
                    reloadAll();
                }
            });

    const QDBusMessage call = QDBusMessage::createMethodCall(
        service, managerPath, objectManagerInterface, QStringLiteral("GetManagedObjects"));
    load(bus_.call(call, QDBus::Block, 5000));
    setAnnouncedVolumes(objects_->keys());
}

UDisks2VolumeSource::~UDisks2VolumeSource() = default;

std::vector<MountedVolume> UDisks2VolumeSource::mountedVolumes() const {
    std::vector<MountedVolume> volumes;
    objects_->forEachVolume([&volumes](const std::string&, MountedVolume volume) {
        volumes.push_back(std::move(volume));
    });
    return volumes;
}

void UDisks2VolumeSource::load(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage ||
        reply.signature() != QStringLiteral("a{oa{sa{sv}}}")) {
        return;
    }
    QMap<QString, Object> objects;
    const QDBusArgument argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QDBusObjectPath path;
        InterfaceProperties interfaces;
        argument.beginMapEntry();
        argument >> path >> interfaces;
        argument.endMapEntry();
        Object object;
        for (auto interface = interfaces.cbegin(); interface != interfaces.cend(); ++interface) {
            apply(object, interface.key(), interface.value(), true);
        }
        if (!object.empty()) {
            objects.insert(path.path(), std::move(object));
        }
    }
    argument.endMap();
    objects_->byPath = std::move(objects);
    loaded_ = true;
}

void UDisks2VolumeSource::reloadAll() {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        service, managerPath, objectManagerInterface, QStringLiteral("GetManagedObjects"));
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                load(finished->reply());
                announce();
            });
}

void UDisks2VolumeSource::forget() {
    objects_->byPath.clear();
    announce();
}

void UDisks2VolumeSource::announce() {
    announceVolumes(objects_->keys());
}

void UDisks2VolumeSource::interfacesAdded(const QDBusMessage& message) {
    if (message.signature() != QStringLiteral("oa{sa{sv}}")) {
        return;
    }
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    const auto interfaces = qdbus_cast<InterfaceProperties>(message.arguments().at(1));
    Object& object = objects_->byPath[path];
    for (auto interface = interfaces.cbegin(); interface != interfaces.cend(); ++interface) {
        apply(object, interface.key(), interface.value(), true);
    }
    if (object.empty()) {
        objects_->byPath.remove(path);
    }
    announce();
}

void UDisks2VolumeSource::interfacesRemoved(const QDBusMessage& message) {
    if (message.signature() != QStringLiteral("oas")) {
        return;
    }
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    const auto found = objects_->byPath.find(path);
    if (found == objects_->byPath.end()) {
        return;
    }
    for (const QString& interface : message.arguments().at(1).toStringList()) {
        if (interface == driveInterface) {
            found->drive.reset();
        } else if (interface == blockInterface) {
            found->block.reset();
        } else if (interface == filesystemInterface) {
            found->filesystem.reset();
        }
    }
    if (found->empty()) {
        objects_->byPath.erase(found);
    }
    announce();
}

void UDisks2VolumeSource::propertiesChanged(const QDBusMessage& message) {
    if (message.signature() != QStringLiteral("sa{sv}as")) {
        return;
    }
    const QString interface = message.arguments().at(0).toString();
    const auto found = objects_->byPath.find(message.path());
    if (!isOurs(interface) || found == objects_->byPath.end()) {
        return;
    }
    // UDisks2 sends the new values; it never merely invalidates the properties read here.
    apply(*found, interface, qdbus_cast<QVariantMap>(message.arguments().at(1)), false);
    announce();
}

} // namespace velunora
