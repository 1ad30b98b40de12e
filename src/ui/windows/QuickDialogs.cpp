#include "ui/windows/QuickDialogs.h"

#include "ui/windows/QuickObjects.h"

#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <QVariant>
#include <memory>

namespace velunora {
namespace {

struct ObjectDeleter {
    void operator()(QObject* object) const { object->deleteLater(); }
};
using OwnedObject = std::unique_ptr<QObject, ObjectDeleter>;

} // namespace

QuickFolderChooser::QuickFolderChooser(QQmlEngine& engine)
    : engine_(engine) {}

std::optional<std::filesystem::path>
QuickFolderChooser::chooseFolder(const QString& title, const QString& message,
                                 const std::filesystem::path& startIn) {
    // QFileDialog rather than the Qt Quick FolderDialog: where no native panel exists, the Quick
    // one can only open inside a parent window, and the panel that asks is a popup that hides as
    // soon as it loses focus, so the panel never showed and the card choice waited for ever.
    // QFileDialog uses the portal or the desktop's own panel when there is one, and otherwise
    // opens a window of its own.
    QFileDialog dialog(nullptr, title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The desktop's folder panels (GTK, KDE, the portal) have a title but no line for a message.
    Q_UNUSED(message);
    if (!startIn.empty()) {
        dialog.setDirectory(QFile::decodeName(startIn.c_str()));
    }
    if (openedHook_) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { openedHook_(dialog); });
    }
    const std::function<void()> afterClosing = openingHook_ ? openingHook_() : nullptr;
    const int answer = dialog.exec();
    if (afterClosing) {
        afterClosing();
    }
    if (answer != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList folders = dialog.selectedFiles();
    if (folders.isEmpty() || folders.front().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(QFile::encodeName(folders.front()).toStdString());
}

QuickResetConfirmation::QuickResetConfirmation(QQmlEngine& engine, std::function<QString()> store)
    : engine_(engine)
    , store_(std::move(store)) {}

bool QuickResetConfirmation::confirmReset() {
    const QString store = store_ ? store_() : QString();
    const OwnedObject dialog(createUiObject(
        engine_, QStringLiteral("ResetConfirmationDialog"),
        {{QStringLiteral("store"), store.isEmpty() ? QStringLiteral("local") : store}}));
    if (!dialog) {
        return false;
    }
    QEventLoop loop;
    QObject::connect(dialog.get(), SIGNAL(answered()), &loop, SLOT(quit()));
    QMetaObject::invokeMethod(dialog.get(), "show");
    QMetaObject::invokeMethod(dialog.get(), "requestActivate");
    loop.exec();
    return dialog->property("erase").toBool();
}

} // namespace velunora
