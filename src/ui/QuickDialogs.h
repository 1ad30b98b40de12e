#pragma once

#include "sync/FolderChooser.h"
#include "sync/SyncController.h"

class QQmlEngine;

namespace velunora {

// The desktop's folder panel (through the portal when there is one). It blocks its caller, as
// the controller's card choice expects, while the event loop keeps running.
class QuickFolderChooser final : public FolderChooser {
public:
    explicit QuickFolderChooser(QQmlEngine& engine);
    std::optional<std::filesystem::path> chooseFolder(const QString& title,
                                                      const QString& message) override;

private:
    QQmlEngine& engine_;
};

// The question before a reset, in the app's own dialog window.
class QuickResetConfirmation final : public ResetConfirmation {
public:
    explicit QuickResetConfirmation(QQmlEngine& engine);
    bool confirmReset() override;

private:
    QQmlEngine& engine_;
};

} // namespace velunora
