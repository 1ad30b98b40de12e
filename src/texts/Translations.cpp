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

bool speaksFrench(const QLocale& locale) {
    return locale.language() == QLocale::French;
}

std::unique_ptr<QTranslator> loadAppTranslator(const QLocale& locale) {
    const QString file = speaksFrench(locale)
                             ? QStringLiteral(":/velunora/translations/velunora_fr.qm")
                             : QStringLiteral(":/velunora/translations/velunora_en.qm");
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file)) {
        return nullptr;
    }
    return translator;
}

bool installAppTranslations(const QLocale& locale) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return false;
    }
    std::unique_ptr<QTranslator> translator = loadAppTranslator(locale);
    if (!translator) {
        return false;
    }
    translator->setParent(application);
    return QCoreApplication::installTranslator(translator.release());
}

} // namespace velunora
