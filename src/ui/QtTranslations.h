#pragma once

#include <QLocale>

namespace velunora {

// Qt's own texts (the folder dialog's buttons and labels, the standard menus) in the user's
// language: Qt's catalogue for `locale`, from where Qt's translations are installed. False when
// there is none for that language (or the catalogues are not installed); Qt's English stays.
bool installQtTranslations(const QLocale& locale);

} // namespace velunora
