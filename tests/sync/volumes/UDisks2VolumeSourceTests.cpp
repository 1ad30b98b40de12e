#include "platform/PlatformError.h"
#include "sync/PrivateBus.h"
#include "sync/volumes/MountTableVolumeSource.h"
#include "sync/volumes/UDisks2VolumeSource.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace velunora {
namespace {

using velunora::testing::PrivateSystemBus;

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString managerPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString noDrive = QStringLiteral("/");
// Generous: the suite also runs under AddressSanitizer on a busy machine.
constexpr int signalTimeout = 30000;

[[maybe_unused]] const auto* const privateSystemBus =
    ::testing::AddGlobalTestEnvironment(new PrivateSystemBus);

// python3 -m dbusmock with our UDisks2 template, on the private bus.
class MockUDisks2 {
public:
    explicit MockUDisks2(QDBusConnection control)
        : control_(std::move(control)) {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(PrivateSystemBus::python,
                       {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                        QStringLiteral("--template"), QStringLiteral(VELUNORA_UDISKS2_TEMPLATE)});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!control_.interface()->isServiceRegistered(service).value()) {
            if (process_.state() == QProcess::NotRunning ||
                std::chrono::steady_clock::now() > deadline) {
                process_.kill();
                process_.waitForFinished();
                throw std::runtime_error("the UDisks2 mock did not start: " +
                                         process_.readAll().toStdString());
            }
            QThread::msleep(20);
        }
    }

    ~MockUDisks2() {
        process_.terminate();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished();
        }
        // The next mock, or the check that none runs, must not see this one's name.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (control_.interface()->isServiceRegistered(service).value() &&
               std::chrono::steady_clock::now() < deadline) {
            QThread::msleep(20);
        }
    }

    MockUDisks2(const MockUDisks2&) = delete;
    MockUDisks2& operator=(const MockUDisks2&) = delete;

    QString addDrive(const QString& name, const QVariantMap& properties) {
        return call(QStringLiteral("AddDrive"), {name, properties});
    }
    // A block device with a file system, on `drive` ("/" for none, as for a loop device).
    QString addVolume(const QString& name, const QString& drive,
                      const QVariantMap& properties = {}) {
        return call(QStringLiteral("AddBlock"), {name, QVariant::fromValue(QDBusObjectPath(drive)),
                                                 true, QStringLiteral("vfat"), properties});
    }
    // A block device without a file system: a whole disk holding a partition table.
    QString addBareBlock(const QString& name, const QString& drive) {
        return call(QStringLiteral("AddBlock"), {name, QVariant::fromValue(QDBusObjectPath(drive)),
                                                 false, QString(), QVariantMap()});
    }
    void mount(const QString& block, const QString& mountPoint) {
        call(QStringLiteral("Mount"), {QVariant::fromValue(QDBusObjectPath(block)), mountPoint});
    }
    void unmount(const QString& block) {
        call(QStringLiteral("Unmount"), {QVariant::fromValue(QDBusObjectPath(block))});
    }
    void remove(const QString& path) {
        call(QStringLiteral("Remove"), {QVariant::fromValue(QDBusObjectPath(path))});
    }

private:
    QString call(const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            service, managerPath, QStringLiteral("org.freedesktop.DBus.Mock"), method);
        message.setArguments(arguments);
        const QDBusMessage reply = control_.call(message, QDBus::Block, signalTimeout);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            throw std::runtime_error(method.toStdString() + ": " +
                                     reply.errorMessage().toStdString());
        }
        return reply.arguments().isEmpty()
                   ? QString()
                   : reply.arguments().constFirst().value<QDBusObjectPath>().path();
    }

    QDBusConnection control_;
    QProcess process_;
};

QVariantMap usbStick() {
    return {{QStringLiteral("ConnectionBus"), QStringLiteral("usb")},
            {QStringLiteral("Removable"), true},
            {QStringLiteral("MediaRemovable"), true},
            {QStringLiteral("Ejectable"), true}};
}

// A laptop's built-in reader: a fixed drive whose medium comes and goes.
QVariantMap sdioReader() {
    return {{QStringLiteral("ConnectionBus"), QStringLiteral("sdio")},
            {QStringLiteral("Removable"), false},
            {QStringLiteral("MediaRemovable"), true},
            {QStringLiteral("MediaCompatibility"), QStringList{QStringLiteral("flash_sd")}},
            {QStringLiteral("Ejectable"), false}};
}

QVariantMap internalDisk() {
    return {{QStringLiteral("ConnectionBus"), QString()},
            {QStringLiteral("Removable"), false},
            {QStringLiteral("MediaRemovable"), false},
            {QStringLiteral("Ejectable"), false}};
}

QVariantMap labelled(const QString& label) {
    return {{QStringLiteral("IdLabel"), label}};
}

class UDisks2VolumeSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (PrivateSystemBus::address.isEmpty()) {
            GTEST_SKIP() << PrivateSystemBus::unavailable << ": UDisks2 volume tests skipped";
        }
        connectionName_ = QStringLiteral("velunora-udisks2-test-%1").arg(++connectionCount_);
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(PrivateSystemBus::address, connectionName_));
        ASSERT_TRUE(bus_->isConnected()) << bus_->lastError().message().toStdString();
        ASSERT_NO_THROW(udisks_ = std::make_unique<MockUDisks2>(*bus_));
    }

    void TearDown() override {
        source_.reset();
        udisks_.reset();
        bus_.reset();
        if (!connectionName_.isEmpty()) {
            QDBusConnection::disconnectFromBus(connectionName_);
        }
    }

    UDisks2VolumeSource& source() {
        if (!source_) {
            source_ = std::make_unique<UDisks2VolumeSource>(*bus_);
            mounted_ = std::make_unique<QSignalSpy>(source_.get(), &VolumeSource::volumeMounted);
            unmounted_ =
                std::make_unique<QSignalSpy>(source_.get(), &VolumeSource::volumeUnmounted);
        }
        return *source_;
    }

    // Every signal the daemon sent so far has reached the source: a reply on the source's own
    // connection comes after them, and their deliveries are queued before it returns.
    void settle() {
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            service, managerPath, QStringLiteral("org.freedesktop.DBus.Peer"),
            QStringLiteral("Ping"));
        ASSERT_EQ(bus_->call(ping, QDBus::Block, signalTimeout).type(), QDBusMessage::ReplyMessage);
        QCoreApplication::processEvents();
    }

    static bool arrived(QSignalSpy& spy) { return !spy.isEmpty() || spy.wait(signalTimeout); }

    MockUDisks2& udisks() { return *udisks_; }
    QDBusConnection& bus() { return *bus_; }
    void stopDaemon() { udisks_.reset(); }
    void startDaemon() { udisks_ = std::make_unique<MockUDisks2>(*bus_); }

    QSignalSpy& mounted() { return *mounted_; }
    QSignalSpy& unmounted() { return *unmounted_; }

private:
    static inline int connectionCount_ = 0;
    QString connectionName_;
    std::unique_ptr<QDBusConnection> bus_;
    std::unique_ptr<MockUDisks2> udisks_;
    std::unique_ptr<UDisks2VolumeSource> source_;
    std::unique_ptr<QSignalSpy> mounted_;
    std::unique_ptr<QSignalSpy> unmounted_;
};

TEST_F(UDisks2VolumeSourceTest, AnInsertedCardIsSignalledOnceMountedAndListedAsRemovable) {
    ASSERT_TRUE(source().isLoaded());
    EXPECT_TRUE(source().mountedVolumes().empty());

    const QString drive = udisks().addDrive(QStringLiteral("Generic_STORAGE_DEVICE"), usbStick());
    udisks().addBareBlock(QStringLiteral("sdb"), drive);
    const QString card =
        udisks().addVolume(QStringLiteral("sdb1"), drive, labelled(QStringLiteral("RESMED")));
    settle();
    EXPECT_EQ(mounted().count(), 0) << "plugged in but not mounted yet";
    EXPECT_TRUE(source().mountedVolumes().empty());

    udisks().mount(card, QStringLiteral("/media/lea/RESMED"));
    ASSERT_TRUE(arrived(mounted()));
    settle();
    EXPECT_EQ(mounted().count(), 1);
    EXPECT_EQ(unmounted().count(), 0);
    EXPECT_EQ(source().mountedVolumes(),
              (std::vector<MountedVolume>{{"/media/lea/RESMED", "RESMED", true, true}}));

    // A second mount point of the same file system is no new volume.
    udisks().mount(card, QStringLiteral("/mnt/card"));
    settle();
    EXPECT_EQ(mounted().count(), 1);
    EXPECT_EQ(source().mountedVolumes().at(0).rootFolder, "/media/lea/RESMED");
}

TEST_F(UDisks2VolumeSourceTest, AnUnmountedOrPulledCardIsSignalledAndGone) {
    const QString drive = udisks().addDrive(QStringLiteral("SD_Card_Reader"), usbStick());
    const QString card = udisks().addVolume(QStringLiteral("sdb1"), drive);
    const QString other = udisks().addVolume(QStringLiteral("sdc1"), drive);
    udisks().mount(card, QStringLiteral("/media/lea/9016-4EF8"));
    udisks().mount(other, QStringLiteral("/media/lea/OTHER"));
    // Read from the first listing, with no signal seen.
    ASSERT_EQ(source().mountedVolumes().size(), 2u);
    EXPECT_EQ(source().mountedVolumes().at(0).name, "9016-4EF8") << "the mount point's name";

    udisks().unmount(card);
    ASSERT_TRUE(arrived(unmounted()));
    settle();
    EXPECT_EQ(unmounted().count(), 1);
    EXPECT_EQ(mounted().count(), 0);
    ASSERT_EQ(source().mountedVolumes().size(), 1u);
    EXPECT_EQ(source().mountedVolumes().at(0).rootFolder, "/media/lea/OTHER");

    // Removing the unmounted one changes nothing; pulling the mounted one is an unmount.
    udisks().remove(card);
    settle();
    EXPECT_EQ(unmounted().count(), 1);
    udisks().remove(other);
    udisks().remove(drive);
    ASSERT_TRUE(unmounted().count() > 1 || unmounted().wait(signalTimeout));
    settle();
    EXPECT_EQ(unmounted().count(), 2);
    EXPECT_EQ(mounted().count(), 0);
    EXPECT_TRUE(source().mountedVolumes().empty());
}

// QCoro's waitFor never returns from a task that throws: the failure is caught inside.
QCoro::Task<> ejectReportingFailure(VolumeSource& source, std::filesystem::path root,
                                    std::string& failure) {
    try {
        QCoro::Task<> ejecting = source.eject(std::move(root));
        co_await ejecting;
    } catch (const PlatformError& error) {
        failure = error.what();
    }
}

// "Éjecter la carte": the card's file system is unmounted, then its reader powered off; a card
// that a program still holds open, or one already gone, says so in the user's words.
TEST_F(UDisks2VolumeSourceTest, EjectUnmountsThenPowersTheReaderOff) {
    const QString drive = udisks().addDrive(QStringLiteral("SD_Card_Reader"), usbStick());
    const QString card = udisks().addVolume(QStringLiteral("sdb1"), drive);
    const QString busyDrive = udisks().addDrive(QStringLiteral("Other_Reader"), usbStick());
    const QString busy =
        udisks().addVolume(QStringLiteral("sdc1"), busyDrive, {{QStringLiteral("Busy"), true}});
    udisks().mount(card, QStringLiteral("/media/lea/RESMED"));
    udisks().mount(busy, QStringLiteral("/media/lea/BUSY"));
    ASSERT_EQ(source().mountedVolumes().size(), 2u);

    const auto ejectFailure = [this](const char* root) {
        std::string failure;
        QCoro::waitFor(ejectReportingFailure(source(), root, failure));
        return failure;
    };
    EXPECT_EQ(ejectFailure("/media/lea/RESMED"), "");
    ASSERT_TRUE(arrived(unmounted()));
    settle();
    ASSERT_EQ(source().mountedVolumes().size(), 1u);
    EXPECT_EQ(source().mountedVolumes().at(0).rootFolder, "/media/lea/BUSY");
    QDBusMessage calls = QDBusMessage::createMethodCall(
        service, drive, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("GetCalls"));
    const QDBusMessage reply = bus().call(calls, QDBus::Block, signalTimeout);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage);
    QString methods;
    const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        quint64 time = 0;
        QString method;
        list.beginStructure();
        list >> time >> method;
        list.endStructure();
        methods += method + QLatin1Char(' ');
    }
    list.endArray();
    EXPECT_TRUE(methods.contains(QStringLiteral("PowerOff"))) << methods.toStdString();

    EXPECT_NE(ejectFailure("/media/lea/BUSY").find("utilise encore"), std::string::npos);
    EXPECT_EQ(source().mountedVolumes().size(), 1u) << "a busy card stays mounted";
    EXPECT_NE(ejectFailure("/media/lea/RESMED").find("n’est plus montée"), std::string::npos);
}

TEST_F(UDisks2VolumeSourceTest, TwoRemovableVolumesAreListedInObjectPathOrder) {
    const QString stick = udisks().addDrive(QStringLiteral("Kingston_DataTraveler"), usbStick());
    const QString reader = udisks().addDrive(QStringLiteral("SD_0x1234"), sdioReader());
    const QString onStick =
        udisks().addVolume(QStringLiteral("sdc1"), stick, labelled(QStringLiteral("STICK")));
    const QString card = udisks().addVolume(QStringLiteral("mmcblk0p1"), reader);
    udisks().mount(onStick, QStringLiteral("/media/lea/STICK"));
    source();
    udisks().mount(card, QStringLiteral("/media/lea/CARD"));
    ASSERT_TRUE(arrived(mounted()));

    const std::vector<MountedVolume> expected{{"/media/lea/CARD", "CARD", true, false},
                                              {"/media/lea/STICK", "STICK", true, true}};
    EXPECT_EQ(source().mountedVolumes(), expected) << "not the order of mounting";
    EXPECT_EQ(UDisks2VolumeSource(bus()).mountedVolumes(), expected) << "nor of reading";
}

TEST_F(UDisks2VolumeSourceTest, IgnoredVolumesAreNeitherListedNorSignalled) {
    const QString drive = udisks().addDrive(QStringLiteral("Samsung_SSD"), internalDisk());
    const QString recovery = udisks().addVolume(QStringLiteral("nvme0n1p4"), drive,
                                                {{QStringLiteral("HintIgnore"), true}});
    source();
    udisks().mount(recovery, QStringLiteral("/run/recovery"));
    settle();
    EXPECT_EQ(mounted().count(), 0);
    EXPECT_TRUE(source().mountedVolumes().empty());
}

TEST_F(UDisks2VolumeSourceTest, InternalDisksAndLoopDevicesAreNeitherRemovableNorEjectable) {
    const QString drive = udisks().addDrive(QStringLiteral("Samsung_SSD_980"), internalDisk());
    const QString system = udisks().addVolume(QStringLiteral("nvme0n1p2"), drive);
    const QString image = udisks().addVolume(QStringLiteral("loop0"), noDrive);
    udisks().mount(system, QStringLiteral("/"));
    udisks().mount(image, QStringLiteral("/media/lea/disk image"));
    EXPECT_EQ(source().mountedVolumes(),
              (std::vector<MountedVolume>{{"/media/lea/disk image", "disk image", false, false},
                                          {"/", "/", false, false}}));
}

TEST_F(UDisks2VolumeSourceTest, ABuiltInReaderCountsAsRemovableThroughItsMedia) {
    const QString reader = udisks().addDrive(QStringLiteral("SD_SD32G"), sdioReader());
    const QString card =
        udisks().addVolume(QStringLiteral("mmcblk0p1"), reader, labelled(QStringLiteral("RESMED")));
    source();
    udisks().mount(card, QStringLiteral("/media/lea/RESMED"));
    ASSERT_TRUE(arrived(mounted()));
    EXPECT_EQ(source().mountedVolumes(),
              (std::vector<MountedVolume>{{"/media/lea/RESMED", "RESMED", true, false}}));
}

// The unlocked file system sits on a mapper device without a drive of its own.
TEST_F(UDisks2VolumeSourceTest, AnEncryptedStickIsRemovableThroughTheBlockItDecrypts) {
    const QString drive = udisks().addDrive(QStringLiteral("SanDisk_Cruzer"), usbStick());
    const QString container = udisks().addBareBlock(QStringLiteral("sdb1"), drive);
    const QString unlocked = udisks().addVolume(
        QStringLiteral("dm_2d0"), noDrive,
        {{QStringLiteral("CryptoBackingDevice"), QVariant::fromValue(QDBusObjectPath(container))}});
    udisks().mount(unlocked, QStringLiteral("/media/lea/SECRET"));
    EXPECT_EQ(source().mountedVolumes(),
              (std::vector<MountedVolume>{{"/media/lea/SECRET", "SECRET", true, true}}));
}

TEST_F(UDisks2VolumeSourceTest, ADaemonThatGoesTakesItsVolumesAlong) {
    const QString drive = udisks().addDrive(QStringLiteral("SD_Card_Reader"), usbStick());
    udisks().mount(udisks().addVolume(QStringLiteral("sdb1"), drive),
                   QStringLiteral("/media/lea/CARD"));
    ASSERT_EQ(source().mountedVolumes().size(), 1u);

    stopDaemon();
    ASSERT_TRUE(arrived(unmounted()));
    EXPECT_TRUE(source().mountedVolumes().empty());

    startDaemon();
    const QString again = udisks().addDrive(QStringLiteral("SD_Card_Reader"), usbStick());
    udisks().mount(udisks().addVolume(QStringLiteral("sdb1"), again),
                   QStringLiteral("/media/lea/CARD"));
    ASSERT_TRUE(arrived(mounted()));
    EXPECT_EQ(source().mountedVolumes().size(), 1u);
}

// The program's own choice, on the bus the environment made its system bus.
TEST_F(UDisks2VolumeSourceTest, TheStandardSourceIsUDisks2WhenItAnswersElseTheMountTable) {
    EXPECT_TRUE(UDisks2VolumeSource::isAvailable(QDBusConnection::systemBus()));
    EXPECT_NE(dynamic_cast<UDisks2VolumeSource*>(makeStandardVolumeSource().get()), nullptr);

    stopDaemon();
    EXPECT_FALSE(UDisks2VolumeSource::isAvailable(QDBusConnection::systemBus()));
    EXPECT_NE(dynamic_cast<MountTableVolumeSource*>(makeStandardVolumeSource().get()), nullptr);
}

} // namespace
} // namespace velunora
