// Qt's own texts (the standard buttons of message boxes, the file dialogs,
// the edit fields' context menus) in the language the program's gettext
// catalogs use.
#pragma once

class QCoreApplication;

namespace quillet::platform::qt {

// Installs Qt's catalog for the first of the user's languages that has one
// (gettext's order: LANGUAGE, then the locale); nothing when none has.
void installQtTranslations(QCoreApplication& application);

} // namespace quillet::platform::qt
