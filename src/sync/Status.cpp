#include "sync/Status.h"

#include <QCoreApplication>
#include <QMetaEnum>

namespace velunora {

QString Status::kindName() const {
    return QString::fromLatin1(QMetaEnum::fromType<Kind>().valueToKey(static_cast<int>(kind_)));
}

QString Status::cardName() const {
    return kind_ == Kind::cardNeedsAccess || kind_ == Kind::cardReady ? text_ : QString();
}

QString Status::failureText() const {
    return kind_ == Kind::failed ? text_ : QString();
}

QString Status::title() const {
    switch (kind_) {
    case Kind::cardNeedsAccess:
        return QCoreApplication::translate("Status", "Autorisation requise");
    case Kind::cardReady:
        return QCoreApplication::translate("Status", "Carte détectée · ") + text_;
    case Kind::success: {
        // The key has no singular; the translations give each language its plural forms.
        const int nights = static_cast<int>(count_);
        return QCoreApplication::translate("Status", "%1 nuits synchronisées", nullptr, nights)
            .arg(count_);
    }
    case Kind::failed:
        return QCoreApplication::translate("Status", "Échec de la synchronisation");
    case Kind::needsFolder:
        return QCoreApplication::translate("Status", "En attente d’une carte SD");
    case Kind::syncing:
        return QCoreApplication::translate("Status", "Synchronisation…");
    case Kind::resetting:
        return QCoreApplication::translate("Status", "Remise à zéro…");
    case Kind::resetComplete:
        return QCoreApplication::translate("Status", "Données réinitialisées");
    }
    return {};
}

QString Status::symbolName() const {
    switch (kind_) {
    case Kind::failed:
        return QStringLiteral("exclamationmark.icloud");
    case Kind::syncing:
    case Kind::resetting:
        return QStringLiteral("arrow.triangle.2.circlepath.icloud");
    default:
        return QStringLiteral("moon.stars");
    }
}

QString describeSyncOutcome(qint64 nights, qint64 newNights) {
    // Each count has its own source text, so that the French is right without the catalogue
    // too (the command line).
    const QString published =
        nights == 1 ? QCoreApplication::translate("SyncController", "1 nuit synchronisée")
                    : Status::success(nights).title();
    if (newNights == 0) {
        return QCoreApplication::translate("SyncController",
                                           "%1, aucune nouvelle nuit sur la carte")
            .arg(published);
    }
    if (newNights == 1) {
        return QCoreApplication::translate("SyncController", "%1, dont 1 nouvelle").arg(published);
    }
    return QCoreApplication::translate("SyncController", "%1, dont %2 nouvelles")
        .arg(published)
        .arg(newNights);
}

} // namespace velunora
