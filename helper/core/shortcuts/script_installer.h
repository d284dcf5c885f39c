// Putting the user script in place on the first shortcut press: the user
// confirms the scripts folder in an open panel, the shipped script is copied
// there, and when the copy fails a window offers the script to drag into the
// folder (or a command that copies it).
#pragma once

#include "shared/error.h"
#include "shared/localized_strings.h"
#include "shared/ports/alerts.h"
#include "shared/ports/panels.h"
#include "shared/ports/workspace.h"
#include "shared/settings_store.h"
#include "shared/while_alive.h"

#include <functional>
#include <memory>
#include <string>

namespace quillet::helper {

struct ScriptInstallerServices {
    Panels& panels;
    Alerts& alerts;
    Workspace& workspace;
    SettingsStore& privateDefaults; // the panel's start folder
    Translator translate;
    // The open-panel count of the helper: raised while a panel or alert of
    // the installation is open.
    std::function<void()> raisePanelCount;
    std::function<void()> lowerPanelCount;
    // Runs the manual installation window modally; returns once it closed.
    // Empty when no window can be shown.
    std::function<void(const std::string& scriptPath, const std::string& destDir)> runManualWindow;
};

struct ScriptInstallerPaths {
    std::string scriptsDir;     // where the user script belongs
    std::string scriptResource; // the shipped script
    std::string homeDir;        // written as "~" when the folder is named to the user
};

class ScriptInstaller {
public:
    using Done = std::function<void(bool installed)>;

    ScriptInstaller(ScriptInstallerServices services, ScriptInstallerPaths paths);
    ~ScriptInstaller();
    ScriptInstaller(const ScriptInstaller&) = delete;
    ScriptInstaller& operator=(const ScriptInstaller&) = delete;

    // `done(true)` at once when the script is there; otherwise asks, copies,
    // and answers once the user is through (having been told why when the
    // answer is false). The panel count ends where it started.
    void checkAndInstallScripts(Done done);

    // Runs the manual window; fails when the script is not in place afterwards.
    [[nodiscard]] Status installScriptManually();

    std::string installedScriptPath() const;
    // The scripts folder as the user reads it, "~" for the home folder.
    std::string displayedScriptsDir() const;

    // The shell command the manual window offers; the paths go between
    // single quotes as they are.
    static std::string commandString(const std::string& scriptPath, const std::string& destDir);
    // Whether a drop that wrote `droppedPath` put the script in the folder.
    static bool isDropIntoFolder(const std::string& droppedPath, const std::string& destDir);

private:
    void finishPanel(const std::optional<std::string>& chosen, const Done& done);

    ScriptInstallerServices services_;
    ScriptInstallerPaths paths_;
    LifeToken<ScriptInstaller> self_;
};

} // namespace quillet::helper
