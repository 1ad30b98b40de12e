#include "sync/volumes/UDisks2VolumeSource.h"

#include "platform/Localization.h"
#include "platform/PlatformError.h"
#include "sync/volumes/UDisks2Objects.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <cerrno>
#include <qcoro/qcorodbuspendingcall.h>

namespace velunora {
namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString managerPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString objectManagerInterface = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// Unmounting flushes what is still to write; a card reader answers within seconds.
constexpr int ejectTimeoutMilliseconds = 20000;

QDBusMessage optionsCall(const QString& path, const QString& interface, const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call << QVariantMap();
    return call;
}

} // namespace

bool UDisks2VolumeSource::isAvailable(QDBusConnection bus) {
    const QDBusConnectionInterface* daemon = bus.isConnected() ? bus.interface() : nullptr;
    return daemon != nullptr && (daemon->isServiceRegistered(service).value() ||
                                 daemon->activatableServiceNames().value().contains(service));
}

UDisks2VolumeSource::UDisks2VolumeSource(QDBusConnection bus, QObject* parent)
    : VolumeSource(parent)
    , bus_(std::move(bus))
    , objects_(std::make_unique<udisks2::ObjectTable>()) {
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
    setAnnouncedVolumes(objects_->volumeKeys());
}

UDisks2VolumeSource::~UDisks2VolumeSource() = default;

std::vector<MountedVolume> UDisks2VolumeSource::mountedVolumes() const {
    return objects_->mountedVolumes();
}

void UDisks2VolumeSource::load(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage ||
        reply.signature() != QStringLiteral("a{oa{sa{sv}}}")) {
        return;
    }
    udisks2::ManagedObjects objects;
    const QDBusArgument argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QDBusObjectPath path;
        udisks2::InterfaceProperties interfaces;
        argument.beginMapEntry();
        argument >> path >> interfaces;
        argument.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    argument.endMap();
    objects_->load(objects);
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
    objects_->clear();
    announce();
}

void UDisks2VolumeSource::announce() {
    announceVolumes(objects_->volumeKeys());
}

void UDisks2VolumeSource::interfacesAdded(const QDBusMessage& message) {
    if (message.signature() != QStringLiteral("oa{sa{sv}}")) {
        return;
    }
    objects_->addInterfaces(message.arguments().at(0).value<QDBusObjectPath>().path(),
                            qdbus_cast<udisks2::InterfaceProperties>(message.arguments().at(1)));
    announce();
}

void UDisks2VolumeSource::interfacesRemoved(const QDBusMessage& message) {
    if (message.signature() != QStringLiteral("oas")) {
        return;
    }
    objects_->removeInterfaces(message.arguments().at(0).value<QDBusObjectPath>().path(),
                               message.arguments().at(1).toStringList());
    announce();
}

void UDisks2VolumeSource::propertiesChanged(const QDBusMessage& message) {
    if (message.signature() != QStringLiteral("sa{sv}as")) {
        return;
    }
    // UDisks2 sends the new values; it never merely invalidates the properties read here.
    objects_->changeProperties(message.path(), message.arguments().at(0).toString(),
                               qdbus_cast<QVariantMap>(message.arguments().at(1)));
    announce();
}

QCoro::Task<> UDisks2VolumeSource::eject(std::filesystem::path root) {
    const auto objects = objects_->objectsAt(root.string());
    if (!objects) {
        throw PlatformError(ENOENT, localized("UDisks2VolumeSource",
                                              "La carte n’est plus montée : elle peut être "
                                              "retirée."));
    }
    const QDBusMessage unmount =
        optionsCall(objects->block, udisks2::filesystemInterface, QStringLiteral("Unmount"));
    QDBusPendingCall unmounting = bus_.asyncCall(unmount, ejectTimeoutMilliseconds);
    const QDBusMessage unmounted = co_await unmounting;
    if (unmounted.type() == QDBusMessage::ErrorMessage) {
        // Busy: a file of the card is still open (a file manager's window, a copy). No
        // conditional temporaries here: GCC 12 mishandles them inside coroutines.
        int code = EIO;
        std::string reason = localized("UDisks2VolumeSource",
                                       "La carte n’a pas pu être éjectée : le système a refusé "
                                       "de la démonter.");
        if (unmounted.errorName().endsWith(QStringLiteral(".DeviceBusy"))) {
            code = EBUSY;
            reason = localized("UDisks2VolumeSource",
                               "La carte n’a pas pu être éjectée : un programme utilise encore "
                               "un de ses fichiers.");
        }
        throw PlatformError(code, std::move(reason));
    }
    if (objects->drive != QStringLiteral("/")) {
        const QDBusMessage powerOff =
            optionsCall(objects->drive, udisks2::driveInterface, QStringLiteral("PowerOff"));
        QDBusPendingCall poweringOff = bus_.asyncCall(powerOff, ejectTimeoutMilliseconds);
        co_await poweringOff;
    }
}

} // namespace velunora
