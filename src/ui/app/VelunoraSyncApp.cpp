#include "ui/app/VelunoraSyncApp.h"

#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "ui/tray/PanelPlacement.h"
#include "ui/tray/SymbolImages.h"
#include "ui/tray/TrayHostWatcher.h"
#include "ui/windows/QuickDialogs.h"
#include "ui/windows/QuickObjects.h"
#include "ui/windows/ReportSaving.h"
#include "ui/windows/VelunoraSyncOnboardingWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPalette>
#include <QQuickWindow>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThreadPool>
#include <QTimer>

namespace velunora {

bool trayWantsLightSymbols(const QString& desktop, const QString& override,
                           int paletteWindowLightness) {
    if (override == QStringLiteral("light")) {
        return true;
    }
    if (override == QStringLiteral("dark")) {
        return false;
    }
    // These desktops draw their top bar dark whatever the application theme.
    for (const auto& name : desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (name.compare(QStringLiteral("GNOME"), Qt::CaseInsensitive) == 0 ||
            name.compare(QStringLiteral("Unity"), Qt::CaseInsensitive) == 0 ||
            name.compare(QStringLiteral("Pantheon"), Qt::CaseInsensitive) == 0 ||
            name.compare(QStringLiteral("Budgie"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return paletteWindowLightness < 128;
}

QString noTrayAdvice(const QString& desktop) {
    const bool gnome = desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)
                           .contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
    if (gnome) {
        return QCoreApplication::translate(
            "VelunoraSyncApp",
            "Pour voir l’icône dans la barre du haut : l’extension « AppIndicator and "
            "KStatusNotifierItem Support », dans l’application Extensions. D’ici là, fermer "
            "cette fenêtre arrête l’import automatique.");
    }
    return QCoreApplication::translate(
        "VelunoraSyncApp",
        "Ce bureau n’affiche pas d’icônes d’état : Velunora Sync reste dans cette fenêtre. La "
        "fermer arrête l’import automatique.");
}

VelunoraSyncApp::VelunoraSyncApp(SyncEnvironment environment)
    : settings_(environment.settings)
    , placesWindows_(!QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
    engine_.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
    // Static QML modules are found in the resources.
    engine_.addImportPath(QStringLiteral("qrc:/"));

    auto folderChooser = std::make_shared<QuickFolderChooser>(engine_);
    // The tray's panel hides as the dialog takes the focus: it comes back with the answer.
    folderChooser->setOpeningHook([this]() -> std::function<void()> {
        if (!panel_ || !panel_->isVisible()) {
            return nullptr;
        }
        // Where it was, by the icon: the pointer has since moved to the dialog.
        return [this, position = panel_->position()] { showPanelAt(position); };
    });
    environment.folderChooser = std::move(folderChooser);
    environment.resetConfirmation = std::make_shared<QuickResetConfirmation>(engine_, [this] {
        return controller_ != nullptr ? controller_->storeChoice()->kind() : QString();
    });
    controller_ = new SyncController(std::move(environment), this);
    QQmlEngine::setObjectOwnership(controller_, QQmlEngine::CppOwnership);

    onboarding_ = new VelunoraSyncOnboardingWindow(engine_, controller_, settings_, this);

    setPanelMode();

    trayHost_ = new TrayHostWatcher(this);
    connect(trayHost_, &TrayHostWatcher::hostAvailableChanged, this,
            &VelunoraSyncApp::followTrayHost);
    // A panel that restarts is back within a moment; one that stays away leaves the user the
    // window.
    trayHostGone_ = new QTimer(this);
    trayHostGone_->setSingleShot(true);
    trayHostGone_->setInterval(3000);
    connect(trayHostGone_, &QTimer::timeout, this, [this] {
        if (trayIcon_ == nullptr) {
            showPanel();
        }
    });
    connect(controller_, &SyncController::statusChanged, this, &VelunoraSyncApp::updateTrayIcon);
    // The card left in the reader overnight is synced as if it had just been inserted, once the
    // event loop runs.
    QTimer::singleShot(0, controller_,
                       [controller = controller_] { controller->syncInsertedCard(); });
}

VelunoraSyncApp::~VelunoraSyncApp() {
    delete settingsWindow_.data();
    delete historyWindow_.data();
    delete panel_.data();
}

void VelunoraSyncApp::reviewOnboarding() {
    if (panel_ && trayIcon_ != nullptr) {
        panel_->hide();
    }
    onboarding_->show(true);
}

void VelunoraSyncApp::showSettings() {
    if (panel_ && trayIcon_ != nullptr) {
        panel_->hide();
    }
    if (!settingsWindow_) {
        settingsWindow_ = qobject_cast<QQuickWindow*>(createUiObject(
            engine_, QStringLiteral("SettingsWindow"),
            {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(controller_)}}));
        if (!settingsWindow_) {
            return;
        }
    }
    // What the keyring holds may have changed since the window last opened.
    controller_->storeChoice()->refresh();
    giveScreenRoom(*settingsWindow_);
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->requestActivate();
}

void VelunoraSyncApp::showHistory() {
    if (panel_ && trayIcon_ != nullptr) {
        panel_->hide();
    }
    if (!historyWindow_) {
        historyWindow_ = qobject_cast<QQuickWindow*>(createUiObject(
            engine_, QStringLiteral("HistoryWindow"),
            {{QStringLiteral("history"), QVariant::fromValue<QObject*>(controller_->history())}}));
        if (!historyWindow_) {
            return;
        }
        connect(historyWindow_, SIGNAL(reportRequested()), this, SLOT(saveHistoryReport()));
    }
    if (!historyWindow_->isVisible()) {
        giveScreenRoom(*historyWindow_);
    }
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->requestActivate();
}

void VelunoraSyncApp::saveHistoryReport() {
    saveReport(*controller_->history());
}

void VelunoraSyncApp::start() {
    followTrayHost();
    // Once the app is up, the introduction is offered (until it has been completed).
    const bool introduced = onboarding_->show(false);
    if (trayIcon_ != nullptr) {
        return;
    }
    // No tray in this session (yet): the panel as a window keeps the app usable, in front once
    // the introduction is closed rather than hidden behind it.
    if (introduced) {
        connect(
            onboarding_, &VelunoraSyncOnboardingWindow::closed, this,
            [this] {
                if (trayIcon_ == nullptr) {
                    showPanel();
                }
            },
            Qt::SingleShotConnection);
        announceShown();
    } else {
        showPanel();
    }
}

void VelunoraSyncApp::setPanelMode() {
    const bool tray = trayIcon_ != nullptr;
    const bool besideTray = tray && placesWindows_;
    // The panel is built anew for another mode: a window whose flags change after it was first
    // shown came back blank under xfwm4, and one that grows by the advice kept its old size in
    // sway.
    if (panel_ && (panel_->property("besideTray").toBool() != besideTray ||
                   panel_->property("trayPresent").toBool() != tray)) {
        delete panel_.data();
    }
    if (!panel_) {
        panel_ = qobject_cast<QQuickWindow*>(createUiObject(
            engine_, QStringLiteral("PanelWindow"),
            {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(controller_)},
             {QStringLiteral("besideTray"), besideTray},
             {QStringLiteral("trayPresent"), tray}}));
        if (!panel_) {
            return;
        }
        connect(panel_, SIGNAL(reviewOnboardingRequested()), this, SLOT(reviewOnboarding()));
        connect(panel_, SIGNAL(settingsRequested()), this, SLOT(showSettings()));
        connect(panel_, SIGNAL(historyRequested()), this, SLOT(showHistory()));
        connect(panel_, SIGNAL(quitRequested()), QCoreApplication::instance(), SLOT(quit()));
    }
    panel_->setProperty("noTrayAdvice",
                        tray ? QString()
                             : noTrayAdvice(qEnvironmentVariable("XDG_CURRENT_DESKTOP")));
}

void VelunoraSyncApp::followTrayHost() {
    if (!trayHost_->isHostAvailable()) {
        if (trayIcon_ != nullptr) {
            // The host went away (the panel quit or restarts): a new item for the next one,
            // and the window meanwhile.
            delete trayIcon_;
            trayIcon_ = nullptr;
            trayMenu_.reset();
            setPanelMode();
            trayHostGone_->start();
        }
        return;
    }
    if (trayIcon_ != nullptr) {
        return;
    }
    trayHostGone_->stop();
    trayIcon_ = new QSystemTrayIcon(this);
    trayIcon_->setToolTip(QStringLiteral("Velunora Sync"));
    // Hosts that open only menus still reach the panel and the way out.
    trayMenu_ = std::make_unique<QMenu>();
    QAction* open = trayMenu_->addAction(
        QCoreApplication::translate("VelunoraSyncApp", "Ouvrir Velunora Sync"));
    connect(open, &QAction::triggered, this, &VelunoraSyncApp::showPanel);
    QAction* history =
        trayMenu_->addAction(QCoreApplication::translate("VelunoraSyncApp", "Historique…"));
    connect(history, &QAction::triggered, this, &VelunoraSyncApp::showHistory);
    QAction* settings =
        trayMenu_->addAction(QCoreApplication::translate("VelunoraSyncApp", "Réglages…"));
    connect(settings, &QAction::triggered, this, &VelunoraSyncApp::showSettings);
    // Offered while the nights go to iCloud, which may ask to sign in again.
    QAction* signIn = trayMenu_->addAction(
        QCoreApplication::translate("VelunoraSyncApp", "Se connecter à iCloud…"));
    CloudStoreChoice* choice = controller_->storeChoice();
    signIn->setVisible(choice->kind() == QStringLiteral("icloud"));
    connect(choice, &CloudStoreChoice::changed, signIn,
            [signIn, choice] { signIn->setVisible(choice->kind() == QStringLiteral("icloud")); });
    // In the settings window, which shows how the sign-in goes.
    connect(signIn, &QAction::triggered, this, [this, choice] {
        showSettings();
        choice->signInToICloud();
    });
    QAction* quit = trayMenu_->addAction(QCoreApplication::translate("VelunoraSyncApp", "Quitter"));
    connect(quit, &QAction::triggered, QCoreApplication::instance(), &QCoreApplication::quit);
    trayIcon_->setContextMenu(trayMenu_.get());
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    togglePanel();
                }
            });
    updateTrayIcon();
    trayIcon_->show();

    // From now on the panel is the tray's popup.
    if (panel_) {
        panel_->hide();
    }
    setPanelMode();
    announceShown();
}

void VelunoraSyncApp::updateTrayIcon() {
    const Status& status = controller_->status();
    if (trayIcon_ != nullptr) {
        const bool light = trayWantsLightSymbols(
            qEnvironmentVariable("XDG_CURRENT_DESKTOP"), qEnvironmentVariable("VELUNORA_TRAY_ICON"),
            QGuiApplication::palette().color(QPalette::Window).lightness());
        trayIcon_->setIcon(traySymbolIcon(status.symbolName(), light));
        trayIcon_->setToolTip(QStringLiteral("Velunora Sync — ") + status.title());
    }
}

void VelunoraSyncApp::togglePanel() {
    if (panel_ && panel_->isVisible()) {
        panel_->hide();
        return;
    }
    showPanel();
}

void VelunoraSyncApp::showPanel() {
    showPanelAt(std::nullopt);
}

void VelunoraSyncApp::showPanelAt(std::optional<QPoint> besideTrayPosition) {
    QQuickWindow* const panel = panel_.data();
    if (panel == nullptr) {
        return;
    }
    const bool besideTray = panel->property("besideTray").toBool();
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        // Taller than the screen (a small one at scale 2), the panel scrolls.
        panel->setProperty("availableHeight", area.height());
        if (besideTray && besideTrayPosition) {
            panel->setPosition(*besideTrayPosition);
        } else if (besideTray) {
            std::optional<QRect> icon;
            if (trayIcon_ != nullptr && trayIcon_->geometry().isValid()) {
                icon = trayIcon_->geometry();
            }
            panel->setPosition(
                panelPosition(panel->size(), area, icon, std::optional<QPoint>(QCursor::pos())));
        } else if (!panel->isVisible()) {
            panel->setPosition(area.center() - QPoint(panel->width() / 2, panel->height() / 2));
        }
    }
    panel->show();
    panel->raise();
    panel->requestActivate();
    announceShown();
}

bool VelunoraSyncApp::hasWorkInFlight() const {
    const Status::Kind kind = controller_->status().kind();
    return kind == Status::Kind::syncing || kind == Status::Kind::resetting ||
           QThreadPool::globalInstance()->activeThreadCount() > 0;
}

void VelunoraSyncApp::announceShown() {
    if (!shown_) {
        shown_ = true;
        Q_EMIT firstShown();
    }
}

} // namespace velunora
