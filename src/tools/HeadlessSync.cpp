#include "tools/HeadlessSync.h"

#include "sync/SyncController.h"
#include "sync/UserDefaults.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/cloudkit/ICloudSignIn.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <qcoro/qcorotask.h>

namespace velunora {
namespace {

void printStatus(const Status& status) {
    std::printf("%s\n", status.title().toStdString().c_str());
    if (status.kind() == Status::Kind::failed) {
        std::fprintf(stderr, "%s\n", status.failureText().toStdString().c_str());
    }
}

void nameApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Velunora"));
    QCoreApplication::setApplicationName(QStringLiteral("Velunora Sync"));
}

QString translated(const char* french) {
    return QCoreApplication::translate("HeadlessSync", french);
}

// The configured container, or nothing after saying why there is none.
std::optional<CloudKitContainer> iCloudContainer() {
    CloudKitContainer container = configuredCloudKitContainer(SettingsUserDefaults());
    if (!container.isComplete()) {
        std::fprintf(stderr, "%s\n",
                     translated("Le conteneur iCloud de Velunora Sync n’est pas configuré : "
                                "indiquez son identifiant et son jeton d’API dans les réglages "
                                "(« icloud-container », « icloud-api-token ») ou à la "
                                "compilation.")
                         .toStdString()
                         .c_str());
        return std::nullopt;
    }
    return container;
}

QCoro::Task<> capturing(QCoro::Task<> task, std::exception_ptr* failure) {
    try {
        co_await task;
    } catch (...) {
        *failure = std::current_exception();
    }
}

} // namespace

int runHeadlessSignIn(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    nameApplication();
    const auto container = iCloudContainer();
    if (!container) {
        return 1;
    }
    // Arguments of the exact parameter types: GCC 12 destroys twice a temporary that a
    // conversion makes for a coroutine's parameter.
    const std::function<void(const QUrl&)> printPage = [](const QUrl& page) {
        std::printf(
            "%s\n%s\n%s\n",
            translated("Ouvrez cette adresse dans un navigateur de cet ordinateur pour "
                       "vous connecter à iCloud :")
                .toStdString()
                .c_str(),
            page.toString(QUrl::FullyEncoded).toStdString().c_str(),
            translated("En attente du retour de la page de connexion…").toStdString().c_str());
        std::fflush(stdout);
    };
    std::exception_ptr failure;
    QCoro::waitFor(capturing(
        signInToICloud(*container, keychainWebAuthTokens(*container), printPage), &failure));
    try {
        if (failure) {
            std::rethrow_exception(failure);
        }
    } catch (const CloudError& error) {
        std::fprintf(stderr, "%s\n", error.localizedDescription().toStdString().c_str());
        return 1;
    }
    std::printf("%s\n", translated("Connecté à iCloud.").toStdString().c_str());
    return 0;
}

int runHeadlessSignOut(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    nameApplication();
    const auto container = iCloudContainer();
    if (!container) {
        return 1;
    }
    keychainWebAuthTokens(*container)->forget();
    std::printf("%s\n", translated("Session iCloud fermée.").toStdString().c_str());
    return 0;
}

int runHeadlessSync(int argc, char** argv, const char* cardFolder) {
    QCoreApplication application(argc, argv);
    nameApplication();
    SyncController& controller = SyncController::shared();
    if (!controller.adoptCardFolder(cardFolder)) {
        printStatus(controller.status());
        return 1;
    }
    QCoro::waitFor(controller.sync());
    printStatus(controller.status());
    if (controller.status().kind() == Status::Kind::success) {
        std::printf("Export local : %s\n", controller.localExport().snapshotFileURL().c_str());
        return 0;
    }
    return 1;
}

int runHeadlessReset(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    nameApplication();
    SyncController& controller = SyncController::shared();
    // Typing the command is the confirmation.
    QCoro::waitFor(controller.reset());
    printStatus(controller.status());
    return controller.status().kind() == Status::Kind::resetComplete ? 0 : 1;
}

} // namespace velunora
