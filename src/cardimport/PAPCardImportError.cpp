#include "cardimport/PAPCardImportError.h"

#include "platform/Localization.h"

namespace velunora {
namespace {

std::string describe(PAPCardImportError::Kind kind, const std::string& message) {
    switch (kind) {
    case PAPCardImportError::Kind::unreadable:
        return localized("PAPCardImportError", "La carte SD n’a pas pu être lue : ") + message;
    case PAPCardImportError::Kind::unsupported:
        return localized("PAPCardImportError",
                         "Ce dossier ne contient pas une carte PPC compatible.");
    case PAPCardImportError::Kind::noSessions:
        return localized("PAPCardImportError", "Aucune session détaillée n’a été trouvée sur "
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
        localized("PAPCardImportError", "la carte a été retirée ou ne répond plus pendant la "
                                        "lecture de «\u00a0%1\u00a0»");
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
