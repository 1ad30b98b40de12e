#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusMessage;

namespace velunora {

// Tells the user, outside the app's windows, how a sync they did not start went.
class SyncNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // One line; with `offerEject`, an "Éjecter la carte" action that emits ejectRequested.
    // A new notice replaces the previous one.
    virtual void notify(const QString& text, bool offerEject) = 0;

Q_SIGNALS:
    void ejectRequested();
};

// The desktop's notification service (org.freedesktop.Notifications on the session bus); with
// no such service the notices are dropped, as the desktop chose.
// The app's icon as the notification service takes it: 8-bit RGBA rows, not premultiplied.
struct NotificationImage {
    int width = 0;
    int height = 0;
    QByteArray rgba;
};

class DesktopSyncNotifier final : public SyncNotifier {
    Q_OBJECT

public:
    // `icon` goes with every notice, so that it shows even where the icon theme lacks the app's
    // (a build that is run, not installed).
    explicit DesktopSyncNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                                 NotificationImage icon = {}, QObject* parent = nullptr);
    void notify(const QString& text, bool offerEject) override;

private Q_SLOTS:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    QDBusConnection bus_;
    NotificationImage icon_;
    // The notice on screen, which the next one replaces; 0 when none.
    uint shownId_ = 0;
};

} // namespace velunora
