#include "cardimport/PAPCardImportError.h"

#include "platform/Localization.h"

namespace velunora {
namespace {

std::string describe(PAPCardImportError::Kind kind, const std::string& message) {
    switch (kind) {
    case PAPCardImportError::Kind::unreadable:
        return localized("La carte SD n\u2019a pas pu \u00eatre lue : ") + message;
    case PAPCardImportError::Kind::unsupported:
        return localized("Ce dossier ne contient pas une carte PPC compatible.");
    case PAPCardImportError::Kind::noSessions:
        return localized(
            "Aucune session d\u00e9taill\u00e9e n\u2019a \u00e9t\u00e9 trouv\u00e9e sur "
            "cette carte SD.");
    }
    return {};
}

} // namespace

PAPCardImportError::PAPCardImportError(Kind kind, std::string message)
    : std::runtime_error(describe(kind, message))
    , kind_(kind)
    , message_(std::move(message)) {}

PAPCardImportError PAPCardImportError::unreadable(std::string message) {
    return PAPCardImportError(Kind::unreadable, std::move(message));
}

PAPCardImportError PAPCardImportError::removedWhileReading(const std::string& fileName) {
    // The template carries "%1" for the name, as Qt's translations expect.
    std::string message =
        localized("la carte a \u00e9t\u00e9 retir\u00e9e ou ne r\u00e9pond plus pendant la "
                  "lecture de \u00ab\u00a0%1\u00a0\u00bb");
    if (const auto placeholder = message.find("%1"); placeholder != std::string::npos) {
        message.replace(placeholder, 2, fileName);
    }
    return unreadable(std::move(message));
}

PAPCardImportError PAPCardImportError::unsupported() {
    return PAPCardImportError(Kind::unsupported, {});
}

PAPCardImportError PAPCardImportError::noSessions() {
    return PAPCardImportError(Kind::noSessions, {});
}

std::string PAPCardImportError::errorDescription() const {
    return describe(kind_, message_);
}

} // namespace velunora
