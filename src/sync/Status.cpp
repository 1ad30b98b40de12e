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
        return QCoreApplication::translate("Status", "Carte d\u00e9tect\u00e9e \u00b7 ") + text_;
    case Kind::success:
        // No singular form: "1 nuits synchronisées" is the text the phone app shows too.
        return QCoreApplication::translate("Status", "%1 nuits synchronis\u00e9es").arg(count_);
    case Kind::failed:
        return QCoreApplication::translate("Status", "\u00c9chec de la synchronisation");
    case Kind::needsFolder:
        return QCoreApplication::translate("Status", "En attente d\u2019une carte SD");
    case Kind::syncing:
        return QCoreApplication::translate("Status", "Synchronisation\u2026");
    case Kind::resetting:
        return QCoreApplication::translate("Status", "Remise \u00e0 z\u00e9ro\u2026");
    case Kind::resetComplete:
        return QCoreApplication::translate("Status", "Donn\u00e9es r\u00e9initialis\u00e9es");
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

} // namespace velunora
