#include "sync/cloud/local/LocalStoreFailures.h"

#include <QFile>
#include <cerrno>

namespace velunora::localstore {

namespace fs = std::filesystem;

fs::path toPath(const QString& text) {
    return fs::path(QFile::encodeName(text).toStdString());
}
QString toText(const fs::path& path) {
    return QFile::decodeName(path.c_str());
}

CloudError unwritable(const fs::path& root, int error) {
    if (error == ENOSPC || error == EDQUOT) {
        return CloudError(
            cloudcode::quotaExceeded,
            LocalCloudStoreTexts::tr("Le disque est plein : les données n’ont pas pu être "
                                     "enregistrées dans le dossier «\u00a0%1\u00a0».")
                .arg(toText(root)));
    }
    return CloudError(
        cloudcode::internalError,
        LocalCloudStoreTexts::tr("Les données n’ont pas pu être enregistrées dans le dossier "
                                 "«\u00a0%1\u00a0».")
            .arg(toText(root)));
}

CloudError damaged(const fs::path& root) {
    return CloudError(cloudcode::internalError,
                      LocalCloudStoreTexts::tr("Le dossier «\u00a0%1\u00a0» contient des données "
                                               "publiées illisibles.")
                          .arg(toText(root)));
}

CloudError busy(const fs::path& root) {
    return CloudError(
        cloudcode::internalError,
        LocalCloudStoreTexts::tr("Le dossier «\u00a0%1\u00a0» est occupé par un autre "
                                 "programme. Réessayez dans un instant.")
            .arg(toText(root)));
}

CloudError unknownRecord(const fs::path& root) {
    return CloudError(
        cloudcode::unknownItem,
        LocalCloudStoreTexts::tr("Aucune donnée publiée n’a été trouvée dans le dossier "
                                 "«\u00a0%1\u00a0».")
            .arg(toText(root)));
}

CloudError recordChanged() {
    return CloudError(
        cloudcode::serverRecordChanged,
        LocalCloudStoreTexts::tr("Les données publiées ont été modifiées ailleurs entre-temps. "
                                 "Relancez la synchronisation."));
}

CloudError invalidName(const QString& name) {
    return CloudError(
        cloudcode::internalError,
        LocalCloudStoreTexts::tr("Le nom «\u00a0%1\u00a0» ne convient pas à un enregistrement.")
            .arg(name));
}

} // namespace velunora::localstore
