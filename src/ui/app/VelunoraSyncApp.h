#pragma once

#include "sync/SyncController.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>
#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace velunora {

class TrayHostWatcher;
class Settings;
class VelunoraSyncOnboardingWindow;

// The application: the tray item, the panel it opens, and the onboarding, all on one controller
// over the services its composition root built. Without a tray in the session the panel is an
// ordinary window.
class VelunoraSyncApp final : public QObject {
    Q_OBJECT

public:
    // Adds the dialogs, which need the app's QML engine, to `environment`.
    explicit VelunoraSyncApp(SyncEnvironment environment);
    ~VelunoraSyncApp() override;

    // Shows the tray item (or the panel) and offers the onboarding.
    void start();
    // Brings up the panel: from the tray, or when the app is started a second time.
    void showPanel();
    // A sync or a reset, or any work on the shared threads, still running.
    bool hasWorkInFlight() const;

    QQmlEngine& engine() { return engine_; }

Q_SIGNALS:
    // The tray item or the panel is on screen: the app is usable.
    void firstShown();

private:
    Q_SLOT void reviewOnboarding();
    Q_SLOT void showSettings();
    Q_SLOT void showHistory();
    Q_SLOT void saveHistoryReport();
    void togglePanel();
    // The panel by the tray at `besideTrayPosition` when given, else where the icon or the
    // pointer is.
    void showPanelAt(std::optional<QPoint> besideTrayPosition);
    // Creates the tray item when a host is there, and takes it back when the host goes away.
    void followTrayHost();
    void setPanelMode();
    void updateTrayIcon();
    void announceShown();

    QQmlEngine engine_;
    std::shared_ptr<Settings> settings_;
    SyncController* controller_ = nullptr;
    QPointer<QQuickWindow> panel_;
    QPointer<QQuickWindow> settingsWindow_;
    QPointer<QQuickWindow> historyWindow_;
    TrayHostWatcher* trayHost_ = nullptr;
    QSystemTrayIcon* trayIcon_ = nullptr;
    std::unique_ptr<QMenu> trayMenu_;
    VelunoraSyncOnboardingWindow* onboarding_ = nullptr;
    QTimer* trayHostGone_ = nullptr;
    // Wayland gives the app no say in where a window goes: the panel is then an ordinary window.
    bool placesWindows_ = true;
    bool shown_ = false;
};

// The colour of the tray's symbols: light on the dark bars most desktops have, dark on a light
// panel. `desktop` is $XDG_CURRENT_DESKTOP, `override` $VELUNORA_TRAY_ICON ("light"/"dark").
bool trayWantsLightSymbols(const QString& desktop, const QString& override,
                           int paletteWindowLightness);

// What the panel says when the session shows no tray item: how to get one on this desktop
// ($XDG_CURRENT_DESKTOP), and that closing the window stops the automatic import.
QString noTrayAdvice(const QString& desktop);

} // namespace velunora
