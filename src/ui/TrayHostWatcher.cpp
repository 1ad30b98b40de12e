#include "ui/TrayHostWatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusServiceWatcher>
#include <QSystemTrayIcon>

namespace velunora {
namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

} // namespace

TrayHostWatcher::TrayHostWatcher(QObject* parent)
    : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        serviceWatcher_ = new QDBusServiceWatcher(watcherService, bus,
                                                  QDBusServiceWatcher::WatchForRegistration |
                                                      QDBusServiceWatcher::WatchForUnregistration,
                                                  this);
        connect(serviceWatcher_, &QDBusServiceWatcher::serviceRegistered, this,
                &TrayHostWatcher::refresh);
        connect(serviceWatcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                &TrayHostWatcher::refresh);
        bus.connect(watcherService, watcherPath, watcherService,
                    QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(refresh()));
    }
    refresh();
}

void TrayHostWatcher::refresh() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()->isServiceRegistered(watcherService)) {
        QDBusInterface watcher(watcherService, watcherPath, watcherService, bus);
        setHostAvailable(watcher.property("IsStatusNotifierHostRegistered").toBool());
        return;
    }
    // No StatusNotifier watcher: an XEmbed tray, if Qt sees one.
    setHostAvailable(QSystemTrayIcon::isSystemTrayAvailable());
}

void TrayHostWatcher::setHostAvailable(bool available) {
    if (hostAvailable_ == available) {
        return;
    }
    hostAvailable_ = available;
    Q_EMIT hostAvailableChanged();
}

} // namespace velunora
