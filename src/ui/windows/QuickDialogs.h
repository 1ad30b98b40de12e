#pragma once

#include "sync/SyncController.h"
#include "sync/card/FolderChooser.h"

#include <functional>

class QQmlEngine;

namespace velunora {

// The desktop's folder panel (through the portal when there is one). It blocks its caller, as
// the controller's card choice expects, while the event loop keeps running.
class QuickFolderChooser final : public FolderChooser {
public:
    explicit QuickFolderChooser(QQmlEngine& engine);
    std::optional<std::filesystem::path>
    chooseFolder(const QString& title, const QString& message,
                 const std::filesystem::path& startIn) override;

    // Called with the dialog once it is open, where the user would answer (tests answer here).
    void setOpenedHook(std::function<void(QObject& dialog)> hook) { openedHook_ = std::move(hook); }
    // Called before the dialog opens; what it returns is called once the dialog has closed
    // (the app brings back the panel that the dialog made hide).
    void setOpeningHook(std::function<std::function<void()>()> hook) {
        openingHook_ = std::move(hook);
    }

private:
    QQmlEngine& engine_;
    std::function<void(QObject&)> openedHook_;
    std::function<std::function<void()>()> openingHook_;
};

// The question before a reset, in the app's own dialog window.
class QuickResetConfirmation final : public ResetConfirmation {
public:
    // `store` tells where the nights go ("icloud", "webdav" or "local"), which the question names.
    QuickResetConfirmation(QQmlEngine& engine, std::function<QString()> store);
    bool confirmReset() override;

private:
    QQmlEngine& engine_;
    std::function<QString()> store_;
};

} // namespace velunora
