// Putting the user script in place on the first shortcut press: the helper
// installs the shipped script into its scripts folder itself. Only when that
// fails does the user confirm the folder in an open panel (told why), and
// when the copy fails then too, a window offers the script to drag into the
// folder (or a command that copies it). A script that others could change is
// refused; one that cannot run is offered a reinstall.
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
#include <sys/types.h>
#include <unistd.h>

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
    uid_t userId = ::getuid();  // whose script is trusted to run
};

class ScriptInstaller {
public:
    using Done = std::function<void(bool installed)>;

    ScriptInstaller(ScriptInstallerServices services, ScriptInstallerPaths paths);
    ~ScriptInstaller();
    ScriptInstaller(const ScriptInstaller&) = delete;
    ScriptInstaller& operator=(const ScriptInstaller&) = delete;

    // `done(true)` at once when a runnable script is there, or once the
    // shipped one has been installed; otherwise asks, copies, and answers
    // once the user is through (having been told why when the answer is
    // false). The panel count ends where it started.
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
    // A fresh executable copy of the shipped script, for the manual window
    // to drag, in a private folder of its own made under `stagingParent`.
    static Expected<std::string> stageForDrag(const std::string& shippedScript,
                                              const std::string& stagingParent);

private:
    // The script at its name cannot run: the user may have it replaced.
    void offerReinstall(const Error& problem, const Done& done);
    void install(const Done& done);
    // The manual flow, after the helper could not install the script itself.
    void askForFolder(const std::string& reason, const Done& done);
    void finishPanel(const std::optional<std::string>& chosen, const Done& done);

    ScriptInstallerServices services_;
    ScriptInstallerPaths paths_;
    LifeToken<ScriptInstaller> self_;
};

} // namespace quillet::helper
