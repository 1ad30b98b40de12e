#include "tools/HeadlessSync.h"

#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/cloudkit/ICloudSignIn.h"
#include "texts/Translations.h"
#include "tools/CommandLineServices.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <qcoro/qcorotask.h>

namespace velunora {

// The texts of this file. The context repeats the struct's name, so that Qt's tools file
// the texts under it even where they cannot resolve the struct.
struct HeadlessSyncTexts {
    Q_DECLARE_TR_FUNCTIONS(HeadlessSyncTexts)
};

namespace {

void printStatus(const Status& status) {
    std::printf("%s\n", status.title().toStdString().c_str());
    if (status.kind() == Status::Kind::failed) {
        std::fprintf(stderr, "%s\n", status.failureText().toStdString().c_str());
    }
}

// Names the application, whose settings and keyring entries are the app's, and speaks the
// user's language.
void nameApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Velunora"));
    QCoreApplication::setApplicationName(QStringLiteral("Velunora Sync"));
    installAppTranslations(QLocale::system());
}

// The configured container, or nothing after saying why there is none.
std::optional<CloudKitContainer> iCloudContainer() {
    CloudKitContainer container = configuredCloudKitContainer(SettingsFile());
    if (!container.isComplete()) {
        std::fprintf(
            stderr, "%s\n",
            HeadlessSyncTexts::tr("Le conteneur iCloud de Velunora Sync n’est pas configuré : "
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

// The sign-in, keeping the name of who signed in.
QCoro::Task<> signingIn(CloudKitContainer container, std::function<void(const QUrl&)> openPage,
                        QString* accountName) {
    *accountName =
        co_await signInToICloud(container, keychainWebAuthTokens(container), std::move(openPage));
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
            HeadlessSyncTexts::tr("Ouvrez cette adresse dans un navigateur de cet ordinateur pour "
                                  "vous connecter à iCloud :")
                .toStdString()
                .c_str(),
            page.toString(QUrl::FullyEncoded).toStdString().c_str(),
            HeadlessSyncTexts::tr("En attente du retour de la page de connexion…")
                .toStdString()
                .c_str());
        std::fflush(stdout);
    };
    std::exception_ptr failure;
    QString accountName;
    QCoro::waitFor(capturing(signingIn(*container, printPage, &accountName), &failure));
    try {
        if (failure) {
            std::rethrow_exception(failure);
        }
    } catch (const CloudError& error) {
        std::fprintf(stderr, "%s\n", error.localizedDescription().toStdString().c_str());
        return 1;
    }
    std::printf("%s\n", signedInText(accountName).toStdString().c_str());
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
    std::printf("%s\n", HeadlessSyncTexts::tr("Session iCloud fermée.").toStdString().c_str());
    return 0;
}

int runHeadlessSync(int argc, char** argv, const char* cardFolder) {
    QCoreApplication application(argc, argv);
    nameApplication();
    installQtLocalization();
    SyncController controller(makeCommandLineEnvironment());
    if (!controller.adoptCardFolder(cardFolder)) {
        printStatus(controller.status());
        return 1;
    }
    QCoro::waitFor(controller.sync());
    if (controller.status().kind() == Status::Kind::success) {
        // What is new this morning, not only the total.
        std::printf("%s\n", controller.lastSyncSummary().toStdString().c_str());
        std::printf("%s\n", HeadlessSyncTexts::tr("Export local : %1")
                                .arg(QString::fromStdString(
                                    controller.localExport().snapshotFile().string()))
                                .toStdString()
                                .c_str());
        return 0;
    }
    printStatus(controller.status());
    return 1;
}

int runHeadlessReset(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    nameApplication();
    installQtLocalization();
    SyncController controller(makeCommandLineEnvironment());
    // The command line asked first (or was given --yes).
    QCoro::waitFor(controller.reset());
    printStatus(controller.status());
    return controller.status().kind() == Status::Kind::resetComplete ? 0 : 1;
}

} // namespace velunora
