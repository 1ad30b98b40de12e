#include "ui/windows/VelunoraSyncOnboardingWindow.h"

#include "sync/Settings.h"
#include "ui/windows/QuickObjects.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>

namespace velunora {

VelunoraSyncOnboardingWindow::VelunoraSyncOnboardingWindow(QQmlEngine& engine, QObject* controller,
                                                           std::shared_ptr<Settings> settings,
                                                           QObject* parent)
    : QObject(parent)
    , engine_(engine)
    , controller_(controller)
    , settings_(std::move(settings)) {}

VelunoraSyncOnboardingWindow::~VelunoraSyncOnboardingWindow() {
    if (window_) {
        // A window being destroyed still signals that it hides: not to us any more.
        window_->disconnect(this);
        delete window_.data();
    }
}

bool VelunoraSyncOnboardingWindow::show(bool force) {
    if (!force && settings_->boolValue(completedKey).value_or(false)) {
        return false;
    }
    if (window_) {
        window_->show();
        window_->raise();
        window_->requestActivate();
        return true;
    }

    auto* window = qobject_cast<QQuickWindow*>(
        createUiObject(engine_, QStringLiteral("OnboardingWindow"),
                       {{QStringLiteral("controller"), QVariant::fromValue(controller_.data())}}));
    if (window == nullptr) {
        return false;
    }
    window->setTitle(QCoreApplication::translate("Onboarding", "Bienvenue dans Velunora Sync"));
    connect(window, SIGNAL(finishRequested()), this, SLOT(finish()));
    // Closed by its button or by finish: a closed window is hidden, and forgotten here.
    connect(window, &QQuickWindow::visibleChanged, this, [this, window](bool visible) {
        if (!visible && window == window_) {
            windowWillClose();
        }
    });
    giveScreenRoom(*window);
    if (const QScreen* screen =
            window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->setPosition(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
    window_ = window;
    window->show();
    window->raise();
    window->requestActivate();
    return true;
}

void VelunoraSyncOnboardingWindow::finish() {
    settings_->setValue(completedKey, true);
    if (window_) {
        window_->close();
    }
}

void VelunoraSyncOnboardingWindow::windowWillClose() {
    // The next show builds a fresh window, on the first page again.
    if (window_) {
        window_->disconnect(this);
        window_->deleteLater();
    }
    window_ = nullptr;
    Q_EMIT closed();
}

} // namespace velunora
