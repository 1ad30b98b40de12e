#pragma once

#include <QLocale>
#include <QTranslator>
#include <memory>

namespace velunora {

// Qt's own texts (the folder dialog's buttons and labels, the standard menus) in the user's
// language: Qt's catalogue for `locale`, from where Qt's translations are installed. False when
// there is none for that language (or the catalogues are not installed); Qt's English stays.
bool installQtTranslations(const QLocale& locale);

// The app's own texts as this desktop words them: the French wording for a French `locale`, the
// English translation for any other language. False when the translation could not be loaded;
// the French source texts stay.
bool installAppTranslations(const QLocale& locale);

// The same catalogue in a translator of its own, for code that runs before or without an
// application object (the command line's texts); nothing when it could not be loaded.
std::unique_ptr<QTranslator> loadAppTranslator(const QLocale& locale);

// Whether the app's texts are shown in French for `locale` (else in English).
bool speaksFrench(const QLocale& locale);

} // namespace velunora
