#include "sync/cloud/cloudkit/CloudKitFailures.h"

#include "sync/Logging.h"
#include "sync/cloud/cloudkit/CloudKitProtocol.h"

#include <QLocale>
#include <cmath>

namespace velunora::cloudkit {
namespace {

// "dans 45 secondes", "dans 3 minutes": when the service lets us try again.
QString delayText(qint64 seconds) {
    if (seconds < 2) {
        return CloudKitCloudStoreTexts::tr("dans un instant");
    }
    if (seconds < 120) {
        return CloudKitCloudStoreTexts::tr("dans %1 secondes").arg(seconds);
    }
    const qint64 minutes = (seconds + 59) / 60;
    if (minutes < 120) {
        return CloudKitCloudStoreTexts::tr("dans %1 minutes").arg(minutes);
    }
    return CloudKitCloudStoreTexts::tr("dans %1 heures").arg((minutes + 59) / 60);
}

} // namespace

CloudError errorOf(const ServiceError& error, int httpStatus, const CloudKitContainer& container) {
    const QString& code = error.serverErrorCode;
    if (code == u"NOT_FOUND" || (code.isEmpty() && httpStatus == 404)) {
        return CloudError(
            cloudcode::unknownItem,
            CloudKitCloudStoreTexts::tr("Aucune donnée publiée n’a été trouvée dans iCloud."));
    }
    if (code == u"CONFLICT" || code == u"EXISTS") {
        return recordChanged();
    }
    if (code == u"AUTHENTICATION_REQUIRED" || (code.isEmpty() && httpStatus == 421)) {
        return signInRequired();
    }
    if (code == u"AUTHENTICATION_FAILED" || (code.isEmpty() && httpStatus == 401)) {
        return CloudError(
            cloudcode::notAuthenticated,
            CloudKitCloudStoreTexts::tr("Le service iCloud refuse le jeton d’API configuré pour le "
                                        "conteneur «\u00a0%1\u00a0» (environnement "
                                        "«\u00a0%2\u00a0»).")
                .arg(container.identifier, container.environment));
    }
    if (code == u"ACCESS_DENIED" || (code.isEmpty() && httpStatus == 403)) {
        return CloudError(cloudcode::notAuthenticated,
                          CloudKitCloudStoreTexts::tr(
                              "Le service iCloud refuse l’accès aux données de ce compte. "
                              "Reconnectez-vous à iCloud."));
    }
    if (code == u"QUOTA_EXCEEDED") {
        return CloudError(cloudcode::quotaExceeded,
                          CloudKitCloudStoreTexts::tr(
                              "Votre stockage iCloud est plein : libérez de l’espace pour "
                              "publier vos nuits."));
    }
    if (code == u"THROTTLED" || code == u"TRY_AGAIN_LATER" ||
        (code.isEmpty() && (httpStatus == 429 || httpStatus == 503))) {
        if (error.retryAfterSeconds) {
            return CloudError(cloudcode::networkFailure,
                              CloudKitCloudStoreTexts::tr(
                                  "Le service iCloud est surchargé et demande d’attendre. "
                                  "Relancez la synchronisation %1.")
                                  .arg(delayText(*error.retryAfterSeconds)));
        }
        return CloudError(cloudcode::networkFailure,
                          CloudKitCloudStoreTexts::tr(
                              "Le service iCloud est momentanément indisponible. Relancez "
                              "la synchronisation plus tard."));
    }
    return CloudError(
        cloudcode::internalError,
        CloudKitCloudStoreTexts::tr("Le service iCloud a répondu par une erreur inattendue (%1).")
            .arg(code.isEmpty() ? QString::number(httpStatus) : code));
}

CloudError signInRequired() {
    return CloudError(
        cloudcode::notAuthenticated,
        CloudKitCloudStoreTexts::tr("Connectez-vous à iCloud pour publier vos nuits : la session "
                                    "iCloud de Velunora Sync n’est pas ouverte ou a expiré."));
}

CloudError recordChanged() {
    return CloudError(
        cloudcode::serverRecordChanged,
        CloudKitCloudStoreTexts::tr("Les données publiées ont été modifiées ailleurs entre-temps. "
                                    "Relancez la synchronisation."));
}

CloudError unreadableAnswer() {
    return CloudError(
        cloudcode::internalError,
        CloudKitCloudStoreTexts::tr("Le service iCloud a envoyé une réponse illisible."));
}

// A failure that is not the service's own answer, or an answer that is not what was asked.
CloudError failureOf(const http::Answer& answer, const CloudKitContainer& container) {
    // Never the tokens of the request; the answer's body may hold anything, and is left out.
    qCWarning(lcStoreICloud) << "request to the iCloud service failed: HTTP status" << answer.status
                             << "network error" << answer.error << "oversized" << answer.oversized
                             << "stalled" << answer.stalled << "past deadline"
                             << answer.pastDeadline;
    if (answer.pastDeadline) {
        return CloudError(
            cloudcode::networkFailure,
            CloudKitCloudStoreTexts::tr("Le service iCloud n’a pas terminé sa réponse en %1 s.")
                .arg(answer.waited.count()));
    }
    if (answer.stalled) {
        return CloudError(
            cloudcode::networkFailure,
            CloudKitCloudStoreTexts::tr("Le service iCloud ne répond plus depuis %1 s.")
                .arg(answer.waited.count()));
    }
    if (answer.oversized) {
        return CloudError(cloudcode::internalError,
                          CloudKitCloudStoreTexts::tr(
                              "Le service iCloud a envoyé une réponse trop volumineuse."));
    }
    if (answer.status == 0) {
        if (answer.error == QNetworkReply::SslHandshakeFailedError) {
            return CloudError(
                cloudcode::networkFailure,
                CloudKitCloudStoreTexts::tr("Le certificat du service iCloud n’a pas pu être "
                                            "vérifié. La connexion a été refusée."));
        }
        if (!http::isLoopback(container.serviceURL) && !http::hasNetwork()) {
            return CloudError(
                cloudcode::networkUnavailable,
                CloudKitCloudStoreTexts::tr("Aucune connexion réseau n’est disponible."));
        }
        return CloudError(cloudcode::networkFailure,
                          CloudKitCloudStoreTexts::tr("Le service iCloud est injoignable."));
    }
    if (answer.status >= 300 && answer.status < 400) {
        // Following it would take the tokens somewhere else.
        return CloudError(
            cloudcode::internalError,
            CloudKitCloudStoreTexts::tr("Le service iCloud renvoie vers une autre adresse (code "
                                        "HTTP %1).")
                .arg(answer.status));
    }
    const auto error = cloudkit::parseServiceError(answer.body);
    return errorOf(error.value_or(ServiceError{}), answer.status, container);
}

} // namespace velunora::cloudkit
