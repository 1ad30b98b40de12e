#include "platform/PlatformError.h"

#include "platform/Localization.h"

#include <cerrno>

namespace velunora {
namespace {

// The localized templates carry "%1" for the file name, as Qt's translations expect.
std::string withName(std::string text, const std::string& name) {
    if (const auto placeholder = text.find("%1"); placeholder != std::string::npos) {
        text.replace(placeholder, 2, name);
    }
    return text;
}

} // namespace

PlatformError::PlatformError(int code, std::string description)
    : std::runtime_error(std::move(description))
    , code_(code) {}

PlatformError PlatformError::fileUnreadable(const std::filesystem::path& path, int code) {
    const std::string name = path.filename().string();
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return {code,
                withName(localized("PlatformError", "Le fichier «\u00a0%1\u00a0» n’existe pas."),
                         name)};
    case EACCES:
    case EPERM:
        return {code, withName(localized("PlatformError",
                                         "Vous ne disposez pas de l’autorisation nécessaire pour "
                                         "ouvrir le fichier «\u00a0%1\u00a0»."),
                               name)};
    case EISDIR:
        return {code, withName(localized("PlatformError",
                                         "«\u00a0%1\u00a0» est un dossier, pas un fichier."),
                               name)};
    case EINVAL:
        return {code, withName(localized("PlatformError",
                                         "«\u00a0%1\u00a0» n’est pas un fichier ordinaire."),
                               name)};
    case EFBIG:
        return {code, withName(localized("PlatformError",
                                         "Le fichier «\u00a0%1\u00a0» est trop volumineux pour "
                                         "être lu."),
                               name)};
    default:
        return {code, withName(localized("PlatformError",
                                         "Le fichier «\u00a0%1\u00a0» n’a pas pu être lu."),
                               name)};
    }
}

PlatformError PlatformError::folderNotPrivate(const std::filesystem::path& path) {
    return {EACCES, withName(localized("PlatformError",
                                       "Le dossier « %1 » appartient à un autre utilisateur ou "
                                       "tout le monde peut y écrire : vos nuits n’y sont pas "
                                       "enregistrées."),
                             path.string())};
}

PlatformError PlatformError::fileUnwritable(const std::filesystem::path& path, int code) {
    const std::string name = path.filename().string();
    switch (code) {
    case ENOSPC:
    case EDQUOT:
        return {code, withName(localized("PlatformError", "Le disque est plein : « %1 » n’a pas "
                                                          "pu être enregistré."),
                               name)};
    case EACCES:
    case EPERM:
        return {code, withName(localized("PlatformError",
                                         "Vous ne disposez pas de l’autorisation nécessaire pour "
                                         "enregistrer « %1 »."),
                               name)};
    case EROFS:
        return {code,
                withName(localized("PlatformError", "« %1 » n’a pas pu être "
                                                    "enregistré : le volume est en lecture seule."),
                         name)};
    case EISDIR:
        return {code,
                withName(localized("PlatformError", "«\u00a0%1\u00a0» n’a pas pu être enregistré : "
                                                    "un dossier porte ce nom."),
                         name)};
    case EINVAL:
        return {code,
                withName(localized("PlatformError", "«\u00a0%1\u00a0» n’a pas pu être enregistré : "
                                                    "un élément qui n’est pas un fichier ordinaire "
                                                    "porte ce nom."),
                         name)};
    default:
        return {code, withName(localized("PlatformError", "« %1 » n’a pas pu être "
                                                          "enregistré."),
                               name)};
    }
}

PlatformError PlatformError::fileUnremovable(const std::filesystem::path& path, int code) {
    const std::string name = path.filename().string();
    if (code == EACCES || code == EPERM) {
        return {code, withName(localized("PlatformError",
                                         "Vous ne disposez pas de l’autorisation nécessaire pour "
                                         "supprimer le fichier « %1 »."),
                               name)};
    }
    return {
        code,
        withName(localized("PlatformError", "Le fichier « %1 » n’a pas pu être supprimé."), name)};
}

} // namespace velunora
