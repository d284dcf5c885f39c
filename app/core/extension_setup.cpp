#include "extension_setup.h"

#include "app/core/help.h"

namespace quillet::app {

Status setUpExtension(const AppServices& services, const RunAlert& runAlert) {
    Status helpShown = showHelpPage(services.workspace, services.helpDir, kHelpLocationsPage);
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
        // Every one of them takes -q, which asks a running instance to quit;
        // the next folder opened starts it with the module.
        for (const auto& fileManager : services.fileManagerPaths) {
            (void)services.workspace.launchProgram(fileManager, {"-q"});
        }
    }
    return helpShown;
}

} // namespace quillet::app
