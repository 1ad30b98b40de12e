#include "ui/QuickDialogs.h"

#include "ui/QuickObjects.h"

#include <QEventLoop>
#include <QUrl>
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

std::optional<std::filesystem::path> QuickFolderChooser::chooseFolder(const QString& title,
                                                                      const QString& message) {
    const OwnedObject dialog(createQuickObject(engine_, QStringLiteral("QtQuick.Dialogs"),
                                               QStringLiteral("FolderDialog")));
    if (!dialog) {
        return std::nullopt;
    }
    // The desktop's folder panels (GTK, KDE, the portal) have a title but no line for a message.
    Q_UNUSED(message);
    dialog->setProperty("title", title);

    QEventLoop loop;
    QObject::connect(dialog.get(), SIGNAL(accepted()), &loop, SLOT(quit()));
    QObject::connect(dialog.get(), SIGNAL(rejected()), &loop, SLOT(quit()));
    QMetaObject::invokeMethod(dialog.get(), "open");
    loop.exec();

    constexpr int acceptedResult = 1;
    const QUrl folder = dialog->property("selectedFolder").toUrl();
    if (dialog->property("result").toInt() != acceptedResult || !folder.isLocalFile()) {
        return std::nullopt;
    }
    return std::filesystem::path(folder.toLocalFile().toStdString());
}

QuickResetConfirmation::QuickResetConfirmation(QQmlEngine& engine)
    : engine_(engine) {}

bool QuickResetConfirmation::confirmReset() {
    const OwnedObject dialog(createUiObject(engine_, QStringLiteral("ResetConfirmationDialog")));
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
