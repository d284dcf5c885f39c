#include "extension_setup.h"

#include "app/core/help.h"

#include <filesystem>

namespace quillet::app {

namespace {

// Nautilus, Nemo, Caja and Thunar take -q, which asks a running instance to
// quit. Dolphin has no such option: each instance owns org.kde.dolphin-<pid>
// and quits when its application object is asked to over the bus.
constexpr const char* kQuitEveryDolphin =
    "for name in $(gdbus call --session --dest org.freedesktop.DBus "
    "--object-path /org/freedesktop/DBus --method org.freedesktop.DBus.ListNames "
    "| grep -o 'org\\.kde\\.dolphin-[0-9]*'); do "
    "gdbus call --session --dest \"$name\" --object-path /MainApplication "
    "--method org.qtproject.Qt.QCoreApplication.quit >/dev/null; done";

} // namespace

Status setUpExtension(const AppServices& services, const RunAlert& runAlert) {
    Status helpShown =
        showHelpPage(services.workspace, services.helpDir, services.languages, kHelpLocationsPage);
    if (services.fileManagerPaths.empty()) {
        return helpShown;
    }
    AlertRequest restart{
        .message = services.translate("Restart the file manager?"),
        .informative = services.translate(
            "The file manager loads Quillet's extension when it starts. Restarting "
            "it closes its open windows."),
        .buttons = {services.translate("Restart File Manager"), services.translate("Not Now")},
        .escapeButton = 1,
    };
    if (runAlert(restart) == kAlertFirstButton) {
        // Each is asked to quit; the next folder opened starts it with the
        // module.
        for (const auto& fileManager : services.fileManagerPaths) {
            if (std::filesystem::path(fileManager).filename() == "dolphin") {
                (void)services.workspace.launchProgram("/bin/sh", {"-c", kQuitEveryDolphin});
            } else {
                (void)services.workspace.launchProgram(fileManager, {"-q"});
            }
        }
    }
    return helpShown;
}

} // namespace quillet::app
