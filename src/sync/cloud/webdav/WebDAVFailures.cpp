#include "sync/cloud/webdav/WebDAVFailures.h"

#include "sync/Logging.h"

namespace velunora::webdav {

using http::hasNetwork;
using http::isLoopback;

CloudError recordChanged() {
    return CloudError(
        cloudcode::serverRecordChanged,
        WebDAVCloudStoreTexts::tr("Les données publiées ont été modifiées ailleurs entre-temps. "
                                  "Relancez la synchronisation."));
}

CloudError unexpectedAnswer(int status) {
    return CloudError(
        cloudcode::internalError,
        WebDAVCloudStoreTexts::tr("Le serveur WebDAV a répondu de façon inattendue (code HTTP %1).")
            .arg(status));
}

CloudError unreadableAnswer(const WebDAVAccount& account) {
    return CloudError(cloudcode::internalError,
                      WebDAVCloudStoreTexts::tr("Le serveur WebDAV «\u00a0%1\u00a0» a envoyé une "
                                                "réponse illisible.")
                          .arg(account.baseUrl.host()));
}

CloudError invalidName(const QString& name) {
    return CloudError(
        cloudcode::internalError,
        WebDAVCloudStoreTexts::tr("Le nom «\u00a0%1\u00a0» ne convient pas à un enregistrement.")
            .arg(name));
}

CloudError keychainFailure(keychain::Outcome outcome, const QString& user) {
    if (outcome == keychain::Outcome::notFound) {
        return CloudError(
            cloudcode::notAuthenticated,
            WebDAVCloudStoreTexts::tr("Aucun mot de passe WebDAV n’est enregistré pour "
                                      "«\u00a0%1\u00a0» dans le trousseau.")
                .arg(user));
    }
    if (outcome == keychain::Outcome::accessDenied) {
        return CloudError(
            cloudcode::notAuthenticated,
            WebDAVCloudStoreTexts::tr("L’accès au trousseau a été refusé. Le mot de passe WebDAV "
                                      "n’a pas pu être lu."));
    }
    return CloudError(
        cloudcode::notAuthenticated,
        WebDAVCloudStoreTexts::tr("Le trousseau du bureau n’est pas disponible. Le mot de passe "
                                  "WebDAV n’a pas pu être lu."));
}

CloudError failureOf(const http::Answer& answer, const WebDAVAccount& account) {
    const QString host = account.baseUrl.host();
    // The address without the account; the answer's body may hold anything, and is left out.
    qCWarning(lcStoreWebDAV) << "request to" << host << "failed: HTTP status" << answer.status
                             << "network error" << answer.error << "oversized" << answer.oversized
                             << "stalled" << answer.stalled << "past deadline"
                             << answer.pastDeadline;
    if (answer.pastDeadline) {
        return CloudError(cloudcode::networkFailure,
                          WebDAVCloudStoreTexts::tr("Le serveur WebDAV «\u00a0%1\u00a0» n’a pas "
                                                    "terminé sa réponse en %2 s.")
                              .arg(host)
                              .arg(answer.waited.count()));
    }
    if (answer.stalled) {
        return CloudError(cloudcode::networkFailure,
                          WebDAVCloudStoreTexts::tr("Le serveur WebDAV «\u00a0%1\u00a0» ne répond "
                                                    "plus depuis %2 s.")
                              .arg(host)
                              .arg(answer.waited.count()));
    }
    if (answer.oversized) {
        return CloudError(
            cloudcode::internalError,
            WebDAVCloudStoreTexts::tr("Le serveur WebDAV «\u00a0%1\u00a0» a envoyé une "
                                      "réponse trop volumineuse.")
                .arg(host));
    }
    if (answer.status == 0) {
        switch (answer.error) {
        case QNetworkReply::SslHandshakeFailedError:
            return CloudError(
                cloudcode::networkFailure,
                WebDAVCloudStoreTexts::tr("Le certificat du serveur WebDAV «\u00a0%1\u00a0» "
                                          "n’a pas pu être vérifié. La connexion a été refusée.")
                    .arg(host));
        case QNetworkReply::ProtocolUnknownError:
        case QNetworkReply::ProtocolInvalidOperationError:
            return CloudError(
                cloudcode::internalError,
                WebDAVCloudStoreTexts::tr("L’adresse du serveur WebDAV «\u00a0%1\u00a0» "
                                          "n’est pas valide.")
                    .arg(account.baseUrl.toString(QUrl::RemoveUserInfo)));
        default:
            break;
        }
        if (!isLoopback(account.baseUrl) && !hasNetwork()) {
            return CloudError(
                cloudcode::networkUnavailable,
                WebDAVCloudStoreTexts::tr("Aucune connexion réseau n’est disponible."));
        }
        // The transfer timeout ends a request by cancelling it.
        if (answer.error == QNetworkReply::OperationCanceledError ||
            answer.error == QNetworkReply::TimeoutError) {
            return CloudError(
                cloudcode::networkFailure,
                WebDAVCloudStoreTexts::tr("Le serveur WebDAV «\u00a0%1\u00a0» ne répond pas.")
                    .arg(host));
        }
        return CloudError(
            cloudcode::networkFailure,
            WebDAVCloudStoreTexts::tr("Le serveur WebDAV «\u00a0%1\u00a0» est injoignable.")
                .arg(host));
    }
    switch (answer.status) {
    case 401:
        return CloudError(cloudcode::notAuthenticated,
                          WebDAVCloudStoreTexts::tr("Le serveur WebDAV a refusé l’identifiant "
                                                    "«\u00a0%1\u00a0» ou son mot de passe.")
                              .arg(account.user));
    case 403:
        return CloudError(
            cloudcode::notAuthenticated,
            WebDAVCloudStoreTexts::tr("Le serveur WebDAV n’autorise pas «\u00a0%1\u00a0» "
                                      "à publier dans ce dossier.")
                .arg(account.user));
    case 404:
        return CloudError(
            cloudcode::unknownItem,
            WebDAVCloudStoreTexts::tr("Aucune donnée publiée n’a été trouvée sur le serveur "
                                      "WebDAV."));
    case 409:
        return CloudError(
            cloudcode::internalError,
            WebDAVCloudStoreTexts::tr("Le dossier «\u00a0%1\u00a0» n’existe pas sur le "
                                      "serveur WebDAV.")
                .arg(account.baseUrl.toString(QUrl::RemoveUserInfo)));
    case 301:
    case 302:
    case 303:
    case 307:
    case 308:
        // Following it would send the password and the nights where the user did not choose.
        return CloudError(
            cloudcode::internalError,
            WebDAVCloudStoreTexts::tr("Le serveur WebDAV «\u00a0%1\u00a0» renvoie vers "
                                      "une autre adresse (code HTTP %2). Indiquez l’adresse exacte "
                                      "du dossier dans les réglages.")
                .arg(host)
                .arg(answer.status));
    case 412:
        return recordChanged();
    case 507:
        return CloudError(
            cloudcode::quotaExceeded,
            WebDAVCloudStoreTexts::tr("L’espace de stockage du serveur WebDAV est plein."));
    default:
        return unexpectedAnswer(answer.status);
    }
}

} // namespace velunora::webdav
