#pragma once

#include <QObject>

class QDBusServiceWatcher;
class QTimer;

namespace velunora {

// Tells whether the session has a tray that can show our item. Qt decides once, and caches,
// whether a StatusNotifier host exists, so the tray item must only be created once one is there:
// this watches org.kde.StatusNotifierWatcher for a registered host, and falls back to Qt's own
// answer (an XEmbed tray, looked for again until one comes) when no watcher is on the bus.
class TrayHostWatcher final : public QObject {
    Q_OBJECT

public:
    explicit TrayHostWatcher(QObject* parent = nullptr);
    bool isHostAvailable() const noexcept { return hostAvailable_; }

Q_SIGNALS:
    void hostAvailableChanged();

private:
    Q_SLOT void refresh();
    void setHostAvailable(bool available);

    QDBusServiceWatcher* serviceWatcher_ = nullptr;
    QTimer* xembedLook_ = nullptr;
    bool hostAvailable_ = false;
};

} // namespace velunora
