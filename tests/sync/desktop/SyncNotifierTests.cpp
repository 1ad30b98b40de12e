#include "sync/PrivateBus.h"
#include "sync/desktop/SyncNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace velunora {
namespace {

using velunora::testing::PrivateSystemBus;

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");

// The notice reaches the desktop's notification service with the eject action only when
// asked, replaces the one before, and the action comes back as ejectRequested; an action of
// another app's notice does nothing. Against dbusmock's notification daemon.
TEST(DesktopSyncNotifier, NotifiesAndHandsBackTheEjectAction) {
    if (PrivateSystemBus::address.isEmpty()) {
        GTEST_SKIP() << PrivateSystemBus::unavailable;
    }
    QDBusConnection bus =
        QDBusConnection::connectToBus(PrivateSystemBus::address, QStringLiteral("notifier-test"));
    ASSERT_TRUE(bus.isConnected());
    QProcess daemon;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), PrivateSystemBus::address);
    daemon.setProcessEnvironment(environment);
    daemon.start(PrivateSystemBus::python,
                 {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                  QStringLiteral("notification_daemon")});
    ASSERT_TRUE(QTest::qWaitFor(
        [&bus] { return bus.interface()->isServiceRegistered(service).value(); }, 30000));

    // With the app's icon, which the call must carry without breaking it.
    DesktopSyncNotifier notifier(bus, NotificationImage{2, 2, QByteArray(16, '\x7f')});
    QSignalSpy ejects(&notifier, &SyncNotifier::ejectRequested);
    // How many Notify calls the daemon has had.
    const auto notifyCalls = [&bus] {
        QDBusMessage message = QDBusMessage::createMethodCall(
            service, path, QStringLiteral("org.freedesktop.DBus.Mock"),
            QStringLiteral("GetMethodCalls"));
        message << QStringLiteral("Notify");
        const QDBusMessage reply = bus.call(message, QDBus::Block, 30000);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            return -1;
        }
        const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
        int count = 0;
        list.beginArray();
        while (!list.atEnd()) {
            list.beginStructure();
            quint64 time = 0;
            list >> time;
            QVariantList arguments;
            list >> arguments;
            list.endStructure();
            ++count;
        }
        list.endArray();
        return count;
    };
    notifier.notify(QStringLiteral("2 nuits synchronisées"), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifyCalls() == 1; }, 10000));
    // The daemon's answer (the notice's id, 1) comes back before the action does.
    QTest::qWait(200);

    const auto emitAction = [&bus](uint id, const QString& action) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            service, path, QStringLiteral("org.freedesktop.DBus.Mock"),
            QStringLiteral("EmitSignal"));
        message << service << QStringLiteral("ActionInvoked") << QStringLiteral("us")
                << QVariantList{QVariant::fromValue(id), action};
        bus.call(message, QDBus::Block, 30000);
    };
    emitAction(4242, QStringLiteral("eject"));
    emitAction(1, QStringLiteral("eject"));
    ASSERT_TRUE(ejects.wait(5000) || ejects.count() > 0);
    QTest::qWait(200);
    EXPECT_EQ(ejects.count(), 1) << "only our notice's action";

    daemon.terminate();
    daemon.waitForFinished(10000);
    QDBusConnection::disconnectFromBus(QStringLiteral("notifier-test"));
}

} // namespace
} // namespace velunora
