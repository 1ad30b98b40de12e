#include "texts/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace velunora {

bool installQtTranslations(const QLocale& locale) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return false;
    }
    // "qt" gathers the catalogues of every Qt module for the language.
    auto* translator = new QTranslator(application);
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

bool installAppTranslations(const QLocale& locale) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return false;
    }
    const QString file = locale.language() == QLocale::French
                             ? QStringLiteral(":/velunora/translations/velunora_fr.qm")
                             : QStringLiteral(":/velunora/translations/velunora_en.qm");
    auto* translator = new QTranslator(application);
    if (!translator->load(file)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace velunora
