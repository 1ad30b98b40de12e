#include "sync/cloud/CloudStoreChoice.h"

#include "records/SnapshotJSON.h"
#include "sync/FailureText.h"
#include "sync/Logging.h"
#include "sync/Settings.h"
#include "sync/card/FolderChooser.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreChoiceWork.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/cloudkit/ICloudSignIn.h"
#include "sync/cloud/local/LocalCloudStore.h"
#include "sync/publication/SnapshotPublication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <qcoro/qcorofuture.h>

namespace velunora {

using storechoice::offMainThread;
using storechoice::setting;

CloudStoreChoice::Services
CloudStoreChoice::Services::standard(std::shared_ptr<Settings> settings,
                                     std::shared_ptr<CloudSnapshotService> cloud,
                                     std::shared_ptr<FolderChooser> folderChooser) {
    Services services;
    services.settings = std::move(settings);
    services.cloud = std::move(cloud);
    services.folderChooser = std::move(folderChooser);
    services.makeStore = makeConfiguredCloudStore;
    services.keepWebDAVPassword = storeWebDAVPassword;
    services.iCloudTokens = keychainWebAuthTokens;
    return services;
}

CloudStoreChoice::CloudStoreChoice(Services services, QObject* parent)
    : QObject(parent)
    , services_(std::move(services)) {}

QString CloudStoreChoice::kind() const {
    const QString store = setting(*services_.settings, cloudsettings::storeKey);
    if (store == cloudsettings::iCloudStore) {
        return QStringLiteral("icloud");
    }
    return store == cloudsettings::webDAVStore ? QStringLiteral("webdav") : QStringLiteral("local");
}

bool CloudStoreChoice::iCloudOffered() const {
    return configuredCloudKitContainer(*services_.settings).isComplete();
}

QString CloudStoreChoice::webDAVAddress() const {
    return setting(*services_.settings, cloudsettings::webDAVURLKey);
}

QString CloudStoreChoice::webDAVUser() const {
    return setting(*services_.settings, cloudsettings::webDAVUserKey);
}

QString CloudStoreChoice::localFolder() const {
    const QString folder = setting(*services_.settings, cloudsettings::folderKey);
    return folder.isEmpty() ? QFile::decodeName(LocalCloudStore::defaultRoot().c_str()) : folder;
}

void CloudStoreChoice::setOutcome(const QString& text, bool failure) {
    if (text == outcome_ && failure == outcomeIsFailure_) {
        return;
    }
    outcome_ = text;
    outcomeIsFailure_ = failure;
    if (failure) {
        qCWarning(lcSync).noquote() << "store choice:" << text;
    }
    Q_EMIT outcomeChanged();
}

bool CloudStoreChoice::endAction(const std::exception_ptr& failure) {
    setWorking(false);
    if (failure) {
        setOutcome(describeFailure(failure), true);
        return false;
    }
    return true;
}

void CloudStoreChoice::setWorking(bool working) {
    if (working != working_) {
        working_ = working;
        Q_EMIT workingChanged();
    }
}

QString CloudStoreChoice::iCloudAccountName() const {
    return signedInToICloud_ ? services_.settings->value(iCloudAccountNameKey).toString()
                             : QString();
}

void CloudStoreChoice::refresh() {
    runRefresh();
}

QCoro::Task<> CloudStoreChoice::runRefresh() {
    if (!iCloudOffered()) {
        co_return;
    }
    // The keyring answers in its own time: never wait for it on the main thread.
    const std::shared_ptr<WebAuthTokens> tokens =
        services_.iCloudTokens(configuredCloudKitContainer(*services_.settings));
    const auto signedIn = std::make_shared<bool>(false);
    QPointer<CloudStoreChoice> self(this);
    auto reading = offMainThread([tokens, signedIn] { *signedIn = !tokens->current().isEmpty(); });
    const std::exception_ptr failure = co_await reading;
    if (!self || failure || *signedIn == signedInToICloud_) {
        co_return;
    }
    signedInToICloud_ = *signedIn;
    Q_EMIT changed();
}

QCoro::Task<> CloudStoreChoice::switchStore(std::function<void(Settings&)> write, QString done) {
    Settings& defaults = *services_.settings;
    const QString before = kind();
    const QString folderBefore = localFolder();
    const QString addressBefore = webDAVAddress();
    const QString userBefore = webDAVUser();
    write(defaults);
    const bool sameStore = kind() == before && localFolder() == folderBefore &&
                           webDAVAddress() == addressBefore && webDAVUser() == userBefore;
    if (!sameStore) {
        // Our last save lives in the old store: the first publication into the new one merges
        // with what it holds and with the local export, so no night is left behind.
        defaults.remove(publishedChangeTagKey);
        defaults.remove(publishedExportKey);
        defaults.setValue(storeChangedKey, true);
    }
    QPointer<CloudStoreChoice> self(this);
    std::unique_ptr<CloudStore> store = services_.makeStore(defaults);
    auto replacing = services_.cloud->replaceStore(std::move(store));
    co_await replacing;
    if (!self) {
        co_return;
    }
    Q_EMIT changed();
    setOutcome(done, false);
    Q_EMIT publicationChanged();
}

void CloudStoreChoice::useLocalStore(const QString& folder) {
    const QString chosen = folder.trimmed();
    if (!chosen.isEmpty()) {
        // Created here, private, so that a folder that cannot be used says so now rather than
        // at the next sync.
        const QFileInfo info(chosen);
        if (!info.isAbsolute() || (!QDir().mkpath(chosen)) || !QFileInfo(chosen).isDir() ||
            !QFileInfo(chosen).isWritable()) {
            setOutcome(CloudStoreChoiceTexts::tr(
                           "Le dossier «\u00a0%1\u00a0» ne peut pas recevoir les nuits : "
                           "il n’a pas pu être créé ou vous n’avez pas le droit d’y écrire.")
                           .arg(chosen),
                       true);
            return;
        }
    }
    const QString defaultFolder = QFile::decodeName(LocalCloudStore::defaultRoot().c_str());
    const QString stored = chosen == defaultFolder ? QString() : chosen;
    switchStore(
        [stored](Settings& defaults) {
            defaults.remove(cloudsettings::storeKey.toString());
            if (stored.isEmpty()) {
                defaults.remove(cloudsettings::folderKey.toString());
            } else {
                defaults.setValue(cloudsettings::folderKey.toString(), stored);
            }
        },
        CloudStoreChoiceTexts::tr("Les nuits seront publiées dans ce dossier de cet ordinateur."));
}

void CloudStoreChoice::chooseLocalFolder() {
    if (!services_.folderChooser) {
        return;
    }
    const auto folder = services_.folderChooser->chooseFolder(
        CloudStoreChoiceTexts::tr("Choisir le dossier des nuits publiées"),
        CloudStoreChoiceTexts::tr(
            "Choisissez un dossier de cet ordinateur, par exemple un dossier qu’un "
            "client de synchronisation porte déjà jusqu’à votre téléphone."),
        std::filesystem::path(QFile::encodeName(localFolder()).toStdString()));
    if (folder) {
        useLocalStore(QFile::decodeName(folder->c_str()));
    }
}

void CloudStoreChoice::useICloudStore() {
    if (!iCloudOffered()) {
        return;
    }
    switchStore(
        [](Settings& defaults) {
            defaults.setValue(cloudsettings::storeKey.toString(),
                              cloudsettings::iCloudStore.toString());
        },
        signedInToICloud_
            ? CloudStoreChoiceTexts::tr("Les nuits seront publiées dans votre iCloud privé.")
            : CloudStoreChoiceTexts::tr(
                  "Les nuits seront publiées dans votre iCloud privé dès que vous serez "
                  "connecté."));
}

void CloudStoreChoice::signInToICloud() {
    runICloudSignIn();
}

QCoro::Task<> CloudStoreChoice::runICloudSignIn() {
    // Without a way to show the page (no desktop), nothing could ever come back.
    if (!iCloudOffered() || working_ || !services_.openPage) {
        co_return;
    }
    setWorking(true);
    setOutcome(
        CloudStoreChoiceTexts::tr("Connectez-vous dans la page ouverte dans votre navigateur."),
        false);
    QPointer<CloudStoreChoice> self(this);
    const CloudKitContainer container = configuredCloudKitContainer(*services_.settings);
    // Named locals of the exact parameter types: GCC 12 destroys twice a temporary made for a
    // coroutine's parameter.
    const std::shared_ptr<WebAuthTokens> tokens = services_.iCloudTokens(container);
    std::function<void(const QUrl&)> openPage = services_.openPage;
    const auto signIn = services_.iCloudSignIn;
    std::exception_ptr failure;
    QString accountName;
    try {
        auto signingIn = signIn(container, tokens, openPage);
        accountName = co_await signingIn;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (!endAction(failure)) {
        co_return;
    }
    signedInToICloud_ = true;
    if (accountName.isEmpty()) {
        services_.settings->remove(iCloudAccountNameKey);
    } else {
        services_.settings->setValue(iCloudAccountNameKey, accountName);
    }
    Q_EMIT changed();
    setOutcome(signedInText(accountName), false);
    Q_EMIT publicationChanged();
}

void CloudStoreChoice::signOutOfICloud() {
    if (!iCloudOffered()) {
        return;
    }
    services_.iCloudTokens(configuredCloudKitContainer(*services_.settings))->forget();
    services_.settings->remove(iCloudAccountNameKey);
    if (signedInToICloud_) {
        signedInToICloud_ = false;
        Q_EMIT changed();
    }
    setOutcome(CloudStoreChoiceTexts::tr(
                   "Déconnecté d’iCloud : plus aucune nuit n’y sera publiée avant une "
                   "nouvelle connexion."),
               false);
}

} // namespace velunora
