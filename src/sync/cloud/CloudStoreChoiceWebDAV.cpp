// The WebDAV side of the store choice: the address checked, the password kept, the store
// switched, and the connection tested.
#include "records/SnapshotJSON.h"
#include "sync/FailureText.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/cloud/CloudStoreChoiceWork.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/RecordStore.h"

#include <QPointer>
#include <qcoro/qcorofuture.h>

namespace velunora {

using storechoice::offMainThread;

QUrl CloudStoreChoice::checkedWebDAVAddress(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    try {
        requireUsableWebDAVAddress(WebDAVAccount{url, QString()});
    } catch (const CloudError& error) {
        setOutcome(error.localizedDescription(), true);
        return {};
    }
    return url;
}

void CloudStoreChoice::useWebDAVStore(const QString& address, const QString& user,
                                      const QString& password) {
    applyWebDAVStore(address, user, password);
}

QCoro::Task<> CloudStoreChoice::applyWebDAVStore(QString address, QString user, QString password) {
    const QUrl url = checkedWebDAVAddress(address);
    if (url.isEmpty() || working_) {
        co_return;
    }
    setWorking(true);
    QPointer<CloudStoreChoice> self(this);
    if (!password.isEmpty()) {
        const WebDAVAccount account{url, user.trimmed()};
        auto keep = services_.keepWebDAVPassword;
        auto keeping = offMainThread([keep, account, password] { keep(account, password); });
        const std::exception_ptr failure = co_await keeping;
        if (!self) {
            co_return;
        }
        if (failure) {
            endAction(failure);
            co_return;
        }
    }
    const QString stored = url.toString();
    const QString storedUser = user.trimmed();
    auto switching = switchStore(
        [stored, storedUser](Settings& defaults) {
            defaults.setValue(cloudsettings::storeKey.toString(),
                              cloudsettings::webDAVStore.toString());
            defaults.setValue(cloudsettings::webDAVURLKey.toString(), stored);
            defaults.setValue(cloudsettings::webDAVUserKey.toString(), storedUser);
        },
        CloudStoreChoiceTexts::tr("Les nuits seront publiées sur votre serveur."));
    co_await switching;
    if (self) {
        setWorking(false);
    }
}

void CloudStoreChoice::testWebDAVConnection(const QString& address, const QString& user,
                                            const QString& password) {
    runConnectionTest(address, user, password);
}

QCoro::Task<> CloudStoreChoice::runConnectionTest(QString address, QString user, QString password) {
    const QUrl url = checkedWebDAVAddress(address);
    if (url.isEmpty() || working_) {
        co_return;
    }
    setWorking(true);
    setOutcome(CloudStoreChoiceTexts::tr("Test de la connexion…"), false);
    QPointer<CloudStoreChoice> self(this);
    WebDAVAccount account{url, user.trimmed()};
    // The password typed in the form, or the one the keyring keeps for that very account.
    WebDAVPasswordSource passwordSource =
        password.isEmpty() ? keychainPasswordSource(account)
                           : WebDAVPasswordSource([password] { return password; });
    const auto nights = std::make_shared<qint64>(-1);
    const auto ignoresConditions = std::make_shared<bool>(false);
    auto testing = offMainThread([account, passwordSource, nights, ignoresConditions] {
        WebDAVCloudStore store(account, passwordSource);
        try {
            const CloudRecord record = store.fetchRecord(snapshotRecordName);
            const auto field = record.fields.find(QStringLiteral("nightCount"));
            if (field != record.fields.end() && std::holds_alternative<qint64>(field->second)) {
                *nights = std::get<qint64>(field->second);
            } else {
                // A server that keeps no properties: the published document itself says.
                const QByteArray payload = store.fetchPayload();
                try {
                    *nights = static_cast<qint64>(
                        decodeSnapshot(std::string_view(payload.constData(),
                                                        static_cast<std::size_t>(payload.size())))
                            .nights.size());
                } catch (const SnapshotDecodingError&) {
                    *nights = 0;
                }
            }
        } catch (const CloudError& error) {
            if (error.code() != cloudcode::unknownItem) {
                throw;
            }
        }
        *ignoresConditions = store.checkConditionalWrites() == false;
    });
    const std::exception_ptr failure = co_await testing;
    if (!self) {
        co_return;
    }
    if (!endAction(failure)) {
        co_return;
    }
    QString outcome =
        *nights < 0
            ? CloudStoreChoiceTexts::tr("Connexion réussie : le serveur répond et accepte votre "
                                        "identifiant. Aucune nuit n’y est encore publiée.")
            : CloudStoreChoiceTexts::tr("Connexion réussie : le serveur répond et accepte "
                                        "votre identifiant. %1 nuits y sont publiées.",
                                        nullptr, static_cast<int>(*nights))
                  .arg(*nights);
    if (*ignoresConditions) {
        outcome += u' ' + CloudStoreChoiceTexts::tr(
                              "Ce serveur ne respecte pas les envois conditionnels. Chaque "
                              "envoi y est donc relu, pour qu’aucun ordinateur n’efface les "
                              "nuits d’un autre.");
    }
    setOutcome(outcome, false);
}

} // namespace velunora
