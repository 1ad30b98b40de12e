#include "ui/tray/TrayHostWatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusServiceWatcher>
#include <QSystemTrayIcon>
#include <QTimer>

namespace velunora {
namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
// An XEmbed tray announces itself only to those who watch the X root window; looking again this
// often finds a panel started after the app within a moment, at no cost worth counting.
constexpr int xembedLookMilliseconds = 2000;

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
    xembedLook_ = new QTimer(this);
    xembedLook_->setInterval(xembedLookMilliseconds);
    connect(xembedLook_, &QTimer::timeout, this, &TrayHostWatcher::refresh);
    refresh();
}

void TrayHostWatcher::refresh() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()->isServiceRegistered(watcherService)) {
        QDBusInterface watcher(watcherService, watcherPath, watcherService, bus);
        setHostAvailable(watcher.property("IsStatusNotifierHostRegistered").toBool());
        return;
    }
    // No StatusNotifier watcher: an XEmbed tray, if Qt sees one, now or later.
    setHostAvailable(QSystemTrayIcon::isSystemTrayAvailable());
    if (hostAvailable_) {
        xembedLook_->stop();
    } else if (!xembedLook_->isActive()) {
        xembedLook_->start();
    }
}

void TrayHostWatcher::setHostAvailable(bool available) {
    if (hostAvailable_ == available) {
        return;
    }
    hostAvailable_ = available;
    Q_EMIT hostAvailableChanged();
}

} // namespace velunora
