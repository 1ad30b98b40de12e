#include "ui/tray/TrayHostWatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>
#include <cstdint>
#include <cstdlib>
#include <xcb/xcb.h>

namespace velunora {
namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
// An XEmbed tray announces itself only to those who watch the X root window; looking again this
// often finds a panel started or gone within a moment, at one X round trip each time.
constexpr int xembedLookMilliseconds = 2000;

// Whether an XEmbed tray owns its selection on the X display. Asked of X itself: Qt's own
// answer (QSystemTrayIcon::isSystemTrayAvailable) decides once for the whole process whether
// the session has a StatusNotifier host, so asking it before one comes would keep the item off
// every host that comes later.
bool xembedTrayPresent() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return false;
    }
    // The tray of the display's first screen, where the panel shows.
    const QByteArray name = QByteArrayLiteral("_NET_SYSTEM_TRAY_S0");
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.constData()),
        nullptr);
    if (atom == nullptr) {
        return false;
    }
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool owned = owner != nullptr && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return owned;
}

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
        bus.connect(watcherService, watcherPath, watcherService,
                    QStringLiteral("StatusNotifierHostUnregistered"), this, SLOT(refresh()));
    }
    xembedLook_ = new QTimer(this);
    xembedLook_->setInterval(xembedLookMilliseconds);
    connect(xembedLook_, &QTimer::timeout, this, &TrayHostWatcher::refresh);
    refresh();
}

void TrayHostWatcher::refresh() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()->isServiceRegistered(watcherService)) {
        // Asked each time: QtDBus keeps the first description of an interface for the life of
        // the process, and a watcher that publishes the property after appearing on the bus
        // would never be seen to have a host.
        QDBusMessage get = QDBusMessage::createMethodCall(
            watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusReply<QDBusVariant> registered = bus.call(get, QDBus::Block, 2000);
        setHostAvailable(registered.isValid() && registered.value().variant().toBool());
        xembedLook_->stop();
        return;
    }
    // No StatusNotifier watcher: an XEmbed tray, which may come later or go away (its panel
    // quits); the watcher may still come.
    setHostAvailable(xembedTrayPresent());
    if (!xembedLook_->isActive()) {
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
