#include "platform/linux/qt/qt_translations.h"

#include "platform/linux/gettext_translator.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quillet::platform::qt {

void installQtTranslations(QCoreApplication& application) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const std::string& language : preferredLanguageNames()) {
        // gettext's names carry a codeset and a modifier ("de_DE.UTF-8@euro")
        // that Qt's file names do not; "C" means untranslated.
        const std::string name = language.substr(0, language.find_first_of(".@"));
        if (name.empty() || name == "C" || name == "POSIX") {
            break;
        }
        auto* translator = new QTranslator(&application);
        // Qt tries "qtbase_de_DE", then "qtbase_de".
        if (translator->load(QString::fromStdString("qtbase_" + name), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
        delete translator;
    }
}

} // namespace quillet::platform::qt
