#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QQmlEngine;
class QQuickWindow;

namespace velunora {

class Settings;

// Owns the onboarding window: whether it opens at launch, one window at a time, and the record
// that the user has been through it.
class VelunoraSyncOnboardingWindow final : public QObject {
    Q_OBJECT

public:
    static inline const QString completedKey = QStringLiteral("velunora-sync-onboarding-completed");

    VelunoraSyncOnboardingWindow(QQmlEngine& engine, QObject* controller,
                                 std::shared_ptr<Settings> settings, QObject* parent = nullptr);
    ~VelunoraSyncOnboardingWindow() override;

    // Opens the onboarding, unless it was completed and `force` is false; brings an open one to
    // the front instead of opening a second. Whether it is on screen.
    bool show(bool force);
    // Records completion and closes the window ("Plus tard", "Terminer").
    Q_SLOT void finish();

    // The open window, or nothing.
    QQuickWindow* window() const { return window_; }

Q_SIGNALS:
    // The window was closed, finished or not.
    void closed();

private:
    void windowWillClose();

    QQmlEngine& engine_;
    QPointer<QObject> controller_;
    std::shared_ptr<Settings> settings_;
    QPointer<QQuickWindow> window_;
};

} // namespace velunora
