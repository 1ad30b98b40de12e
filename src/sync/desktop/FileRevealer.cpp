#include "sync/desktop/FileRevealer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QUrl>

namespace velunora {

void DesktopFileRevealer::reveal(const std::filesystem::path& file) {
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString path = QString::fromStdString(file.string());
    if (bus.isConnected() && bus.interface() != nullptr &&
        (bus.interface()->isServiceRegistered(service).value() ||
         bus.interface()->activatableServiceNames().value().contains(service))) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                           service, QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        bus.asyncCall(call);
        return;
    }
    QProcess::startDetached(QStringLiteral("xdg-open"),
                            {QString::fromStdString(file.parent_path().string())});
}

} // namespace velunora
