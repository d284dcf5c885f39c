// quillet-share: the file managers' "send to" and action entries run this
// with the selected items. It offers the enabled templates and asks the
// helper to create the chosen one beside the selection.
//
//   quillet-share PATH_OR_FILE_URI...
#include "platform/linux/dbus_creation_request_sender.h"
#include "platform/linux/gettext_translator.h"
#include "platform/linux/gio_file_types.h"
#include "platform/linux/journal_log.h"
#include "platform/linux/qt/dialog_titles.h"
#include "platform/linux/qt/qt_translations.h"
#include "share-extension/core/share_model.h"
#include "share-extension/ui/share_view_controller.h"
#include "shared/error_text.h"
#include "shared/identifiers.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QStringList>

#include <glib.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Sends through the bus and ends the program once the request is delivered.
class SendAndQuit final : public quillet::CreationRequestSender {
public:
    // The notification shown when the helper cannot be reached speaks the
    // program's language.
    explicit SendAndQuit(quillet::Translator translate) : sender_(std::move(translate)) {}

    void send(const std::string& url) override {
        pending = true;
        sender_.send(url, [] { QCoreApplication::quit(); });
    }
    bool pending = false;

private:
    quillet::platform::DBusCreationRequestSender sender_;
};

} // namespace

int main(int argc, char** argv) {
    using namespace quillet;
    std::setlocale(LC_ALL, "");
    platform::logToJournal();

    // Every argument is a selected item, whatever it looks like: a file
    // named "-platform" or "--help" is shared, not obeyed. Only a first
    // "--help" alone asks for the usage, and "--" before the items makes
    // even that one an item.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::printf("Usage: quillet-share [--] PATH_OR_FILE_URI...\n");
        return 0;
    }
    if (!arguments.empty() && arguments[0] == "--") {
        arguments.erase(arguments.begin());
    }

    // Qt reads its own options (-platform, -display, ...) from what it is
    // given: the program's name alone.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    platform::qt::installQtTranslations(app);
    platform::qt::keepDialogTitlesWhole(app);
    QApplication::setApplicationName("quillet-share");
    QApplication::setDesktopFileName(ids::kShare);
    // The window closes before the request is delivered: the program ends
    // when that is done, not with its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    // Where the desktop names no icon theme (a bare X server), icons still
    // come from one rather than from nowhere.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));

    auto translator = platform::GettextTranslator::forProgram("quillet-share", "share");
    const Translator translate = [translator](const std::string& text) { return translator(text); };
    SettingsStore sharedDefaults(ids::kSuiteName);
    share::ShareModel model;
    model.loadTemplates(sharedDefaults);
    std::error_code error;
    model.loadURLs(arguments, std::filesystem::current_path(error).string());
    g_message("selected path: %s", model.selectedPath().c_str());
    QStringList refused;
    for (const Error& why : model.refusedArguments()) {
        g_message("%s", why.logText().c_str());
        refused << QString::fromStdString(localizedUserText(why, translate));
    }
    if (model.selectedPath().empty() && !refused.isEmpty()) {
        // Nothing left to create beside: say why, rather than let the helper
        // guess at a folder that is not there.
        QMessageBox box(QMessageBox::Critical,
                        QString::fromStdString(translator("New File from Template")),
                        QString::fromStdString(translator("The selected item cannot be used.")),
                        QMessageBox::Close);
        box.setInformativeText(refused.join(QLatin1Char('\n')));
        box.exec();
        return 1;
    }

    const platform::GioFileTypes fileTypes;
    SendAndQuit sender(translate);
    share::ShareViewController controller(model, sender, fileTypes, translate);
    QObject::connect(&controller, &QDialog::finished, [&sender] {
        if (!sender.pending) {
            QCoreApplication::quit();
        }
    });
    controller.show();
    return QApplication::exec();
}
