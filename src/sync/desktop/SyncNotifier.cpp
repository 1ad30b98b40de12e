#include "sync/desktop/SyncNotifier.h"

#include "sync/Logging.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QVariantMap>

namespace velunora {
namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString ejectAction = QStringLiteral("eject");
// The service may be slow to start (activated on first use); a notice is never worth a wait.
constexpr int notifyTimeoutMilliseconds = 5000;

} // namespace

DesktopSyncNotifier::DesktopSyncNotifier(QDBusConnection bus, NotificationImage icon,
                                         QObject* parent)
    : SyncNotifier(parent)
    , bus_(std::move(bus))
    , icon_(std::move(icon)) {
    bus_.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
    bus_.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                 SLOT(notificationClosed(uint, uint)));
}

void DesktopSyncNotifier::notify(const QString& text, bool offerEject) {
    QStringList actions;
    if (offerEject) {
        actions << ejectAction << QCoreApplication::translate("SyncNotifier", "Éjecter la carte");
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("velunora-sync")}};
    if (icon_.width > 0 && icon_.height > 0 &&
        icon_.rgba.size() == qsizetype(icon_.width) * icon_.height * 4) {
        // (iiibiiay): width, height, bytes per row, alpha, bits per sample, channels, pixels.
        QDBusArgument image;
        image.beginStructure();
        image << icon_.width << icon_.height << icon_.width * 4 << true << 8 << 4 << icon_.rgba;
        image.endStructure();
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(image));
    }
    call << QStringLiteral("Velunora Sync") << shownId_ << QStringLiteral("velunora-sync")
         << QStringLiteral("Velunora Sync") << text << actions << hints << -1;
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(call, notifyTimeoutMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (!reply.isError()) {
                    shownId_ = reply.value();
                } else {
                    qCWarning(lcDesktop).noquote()
                        << "the desktop did not show the notice:" << reply.error().message();
                }
                finished->deleteLater();
            });
}

void DesktopSyncNotifier::actionInvoked(uint id, const QString& action) {
    if (id == shownId_ && id != 0 && action == ejectAction) {
        Q_EMIT ejectRequested();
    }
}

void DesktopSyncNotifier::notificationClosed(uint id, uint) {
    if (id == shownId_) {
        shownId_ = 0;
    }
}

} // namespace velunora
