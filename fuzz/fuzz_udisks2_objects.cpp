// Whatever UDisks2 reports about its objects, with properties of any type or none, the volume
// list neither crashes nor stalls, and it lists each mounted file system once, with a mount point
// and a name. The values come partly as Qt makes them from real D-Bus messages (see
// receivedValues()), since a reply's nested arrays reach the parser as undecoded D-Bus arguments.
#include "sync/volumes/UDisks2Objects.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServer>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using namespace velunora;
using udisks2::InterfaceProperties;
using udisks2::ManagedObjects;
using udisks2::ObjectTable;

const std::array paths{
    QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb"),
    QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1"),
    QStringLiteral("/org/freedesktop/UDisks2/block_devices/mmcblk0p1"),
    QStringLiteral("/org/freedesktop/UDisks2/block_devices/dm_2d0"),
    QStringLiteral("/org/freedesktop/UDisks2/drives/SD_Card_Reader"),
    QStringLiteral("/org/freedesktop/UDisks2/drives/Samsung_SSD_980"),
    QStringLiteral("/"),
    QString(),
};

const std::array interfaces{
    QStringLiteral("org.freedesktop.UDisks2.Drive"),
    QStringLiteral("org.freedesktop.UDisks2.Block"),
    QStringLiteral("org.freedesktop.UDisks2.Filesystem"),
    QStringLiteral("org.freedesktop.UDisks2.Partition"),
    QStringLiteral("org.freedesktop.UDisks2.Encrypted"),
    QString(),
};

const std::array propertyNames{
    QStringLiteral("Removable"),
    QStringLiteral("MediaRemovable"),
    QStringLiteral("Ejectable"),
    QStringLiteral("Drive"),
    QStringLiteral("CryptoBackingDevice"),
    QStringLiteral("HintIgnore"),
    QStringLiteral("IdLabel"),
    QStringLiteral("MountPoints"),
    QStringLiteral("Size"),
    QString(),
};

// Takes what arrives on the peer connection: the values of the first call's a{sv}.
class Receiver final : public QDBusVirtualObject {
public:
    QVariantList values;
    bool received = false;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (!received && message.signature() == QStringLiteral("a{sv}")) {
            values = qdbus_cast<QVariantMap>(message.arguments().constFirst()).values();
            received = true;
        }
        return true;
    }
};

[[noreturn]] void giveUp(const char* why) {
    std::fprintf(stderr, "fuzz_udisks2_objects: %s\n", why);
    std::abort();
}

// Values as Qt hands them over after a real trip through D-Bus: nested arrays and maps stay
// QDBusArguments to be read, of the type UDisks2 uses (aay) and of types it never sends.
QVariantList receivedValues() {
    qDBusRegisterMetaType<QByteArrayList>();
    qDBusRegisterMetaType<QList<int>>();
    qDBusRegisterMetaType<QList<QStringList>>();
    qDBusRegisterMetaType<QList<QDBusObjectPath>>();
    const QVariantList sent{
        QVariant::fromValue(
            QByteArrayList{QByteArray("/media/lea/RESMED\0", 18), QByteArray("/mnt/card\0", 10)}),
        QVariant::fromValue(
            QByteArrayList{QByteArray(), QByteArray("\0\0", 2), QByteArray("/media/lea/a\0b", 14)}),
        QVariant::fromValue(QByteArrayList{}),
        QVariant::fromValue(QList<int>{1, 2, 3}),
        QVariant::fromValue(QList<QStringList>{{QStringLiteral("/media/lea/x")}}),
        QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(paths[4])}),
        QVariantMap{{QStringLiteral("MountPoints"), QStringLiteral("/media/lea/x")}},
        QVariantList{true, QStringLiteral("/media/lea/x"), QByteArray("/m")},
        QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(paths[4])))),
        QVariant::fromValue(QDBusObjectPath(paths[5])),
        QVariant::fromValue(QDBusSignature(QStringLiteral("aay"))),
        QByteArray("/media/lea/RESMED\0", 18),
        QStringList{QStringLiteral("/media/lea/y")},
        QVariant::fromValue(quint64{31914983424}),
    };
    QVariantMap arguments;
    for (qsizetype index = 0; index < sent.size(); ++index) {
        // Keys that sort in the order sent.
        arguments.insert(QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0')), sent[index]);
    }

    Receiver receiver;
    QDBusServer server;
    if (!server.isConnected()) {
        giveUp("no D-Bus server for the received values");
    }
    QObject::connect(&server, &QDBusServer::newConnection, [&receiver](QDBusConnection peer) {
        peer.registerVirtualObject(QStringLiteral("/"), &receiver, QDBusConnection::SubPath);
    });
    const QString name = QStringLiteral("fuzz-peer");
    QDBusConnection client = QDBusConnection::connectToPeer(server.address(), name);
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString(), QStringLiteral("/"),
                                       QStringLiteral("app.velunora.Fuzz"), QStringLiteral("Take"));
    call << arguments;
    bool callSent = false;
    const QDeadlineTimer deadline(30000);
    while (!receiver.received && !deadline.hasExpired()) {
        if (!callSent && client.isConnected()) {
            callSent = client.send(call);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QDBusConnection::disconnectFromPeer(name);
    if (!receiver.received || receiver.values.size() != sent.size()) {
        giveUp("the values sent over D-Bus did not arrive");
    }
    return receiver.values;
}

QVariantList fromTheBus;

// Reads the fuzz bytes as choices; past the end every choice is the first.
class Choices {
public:
    explicit Choices(std::string_view bytes)
        : bytes_(bytes) {}

    bool atEnd() const { return bytes_.empty(); }
    unsigned next(unsigned count) {
        if (bytes_.empty()) {
            return 0;
        }
        const auto value = static_cast<unsigned char>(bytes_.front());
        bytes_.remove_prefix(1);
        return value % count;
    }
    template <typename List> const auto& pick(const List& list) {
        return list[next(static_cast<unsigned>(list.size()))];
    }
    QByteArray bytes() {
        QByteArray value;
        for (unsigned length = next(12); length > 0; --length) {
            // NULs and separators often, as in the byte strings of mount points.
            const unsigned kind = next(8);
            value.append(kind == 0 ? '\0' : kind == 1 ? '/' : static_cast<char>(next(256)));
        }
        return value;
    }

private:
    std::string_view bytes_;
};

QVariant value(Choices& choices, int depth = 0) {
    // The last two nest lists and maps, a little only.
    switch (choices.next(depth < 2 ? 14 : 12)) {
    case 0:
        return choices.next(2) == 1;
    case 1:
        return QString::fromUtf8(choices.bytes());
    case 2: {
        const QString& path = choices.pick(paths);
        return QVariant::fromValue(QDBusObjectPath(path.isEmpty() ? QStringLiteral("/") : path));
    }
    case 3:
        return choices.pick(paths);
    case 4: {
        QByteArrayList list;
        for (unsigned count = choices.next(4); count > 0; --count) {
            list.append(choices.bytes());
        }
        return QVariant::fromValue(list);
    }
    case 5:
        return QStringList{QString::fromUtf8(choices.bytes())};
    case 6:
        return choices.bytes();
    case 7:
        return QVariant();
    case 8:
        return static_cast<int>(choices.next(3));
    case 9:
        return QVariant::fromValue(QDBusArgument());
    case 10: {
        // Written, never received: Qt refuses to read it.
        QDBusArgument argument;
        argument << QByteArrayList{choices.bytes()};
        return QVariant::fromValue(argument);
    }
    case 11:
        return choices.pick(fromTheBus);
    case 12:
        return QVariantList{value(choices, depth + 1)};
    default: {
        const QString& name = choices.pick(propertyNames);
        return QVariantMap{{name, value(choices, depth + 1)}};
    }
    }
}

QVariantMap properties(Choices& choices) {
    QVariantMap map;
    for (unsigned count = choices.next(5); count > 0; --count) {
        map.insert(choices.pick(propertyNames), value(choices));
    }
    return map;
}

InterfaceProperties interfacesOf(Choices& choices) {
    InterfaceProperties map;
    for (unsigned count = choices.next(4); count > 0; --count) {
        map.insert(choices.pick(interfaces), properties(choices));
    }
    return map;
}

void check(const ObjectTable& table) {
    const auto volumes = table.mountedVolumes();
    // The fixed object paths make distinct keys.
    if (table.volumeKeys().size() != volumes.size()) {
        std::abort();
    }
    for (const MountedVolume& volume : volumes) {
        if (volume.rootFolder.empty() || volume.name.empty()) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        // Qt's complaints about the odd values are expected; only a fatal one matters.
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
        }
    });
    new QCoreApplication(*argc, *argv);
    fromTheBus = receivedValues();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices choices(std::string_view(reinterpret_cast<const char*>(data), size));
    ObjectTable table;
    while (!choices.atEnd()) {
        switch (choices.next(5)) {
        case 0: {
            ManagedObjects objects;
            for (unsigned count = choices.next(6); count > 0; --count) {
                objects.insert(choices.pick(paths), interfacesOf(choices));
            }
            table.load(objects);
            // The first listing and the signals of the objects' arrivals agree.
            ObjectTable added;
            for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
                added.addInterfaces(object.key(), object.value());
            }
            if (added.mountedVolumes() != table.mountedVolumes()) {
                std::abort();
            }
            break;
        }
        case 1: {
            const QString path = choices.pick(paths);
            table.addInterfaces(path, interfacesOf(choices));
            break;
        }
        case 2: {
            const QString path = choices.pick(paths);
            QStringList removed;
            for (unsigned count = choices.next(4); count > 0; --count) {
                removed.append(choices.pick(interfaces));
            }
            table.removeInterfaces(path, removed);
            break;
        }
        case 3: {
            const QString path = choices.pick(paths);
            const QString interface = choices.pick(interfaces);
            table.changeProperties(path, interface, properties(choices));
            break;
        }
        default:
            table.clear();
            break;
        }
        check(table);
    }
    return 0;
}
