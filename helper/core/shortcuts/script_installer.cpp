#include "helper/core/shortcuts/script_installer.h"

#include "helper/core/shortcuts/finder_path.h"
#include "helper/core/shortcuts/user_script_check.h"
#include "shared/error_text.h"
#include "shared/files/item_lookup.h"
#include "shared/files/private_folder.h"
#include "shared/files/safe_create.h"
#include "shared/xdg_paths.h"

#include <filesystem>

namespace quillet::helper {

namespace fs = std::filesystem;

namespace {

std::string tr(const Translator& translate, const std::string& text) {
    return translate ? translate(text) : text;
}

// Whether the script is at the path. One that cannot be looked up is not
// known to be there: the user is asked to install it.
bool installedAt(const std::string& path) {
    return isNameTaken(path).valueOr(false);
}

} // namespace

ScriptInstaller::ScriptInstaller(ScriptInstallerServices services, ScriptInstallerPaths paths)
    : services_(std::move(services)), paths_(std::move(paths)), self_(*this) {}

ScriptInstaller::~ScriptInstaller() {
    self_.revoke();
}

std::string ScriptInstaller::installedScriptPath() const {
    return paths::appendingPathComponent(paths_.scriptsDir, kUserScriptName);
}

std::string ScriptInstaller::displayedScriptsDir() const {
    std::string home = paths::withoutTrailingSlashes(paths_.homeDir);
    if (!home.empty() && home != "/" && paths_.scriptsDir.starts_with(home + "/")) {
        // Appended, not prepended: GCC 12 at -O3 warns about the latter.
        return std::string("~").append(paths_.scriptsDir, home.size());
    }
    return paths_.scriptsDir;
}

std::string ScriptInstaller::commandString(const std::string& scriptPath,
                                           const std::string& destDir) {
    return "cp '" + scriptPath + "' '" + destDir + "/'";
}

bool ScriptInstaller::isDropIntoFolder(const std::string& droppedPath, const std::string& destDir) {
    return paths::deletingLastPathComponent(droppedPath) == destDir;
}

void ScriptInstaller::checkAndInstallScripts(Done done) {
    std::error_code folderError;
    fs::create_directories(paths_.scriptsDir, folderError);
    const Expected<UserScriptPresence> presence =
        checkUserScript(installedScriptPath(), paths_.userId);
    if (presence && *presence == UserScriptPresence::Runnable) {
        done(true);
        return;
    }
    const Translator& translate = services_.translate;
    if (folderError) {
        services_.alerts.showAlert(tr(translate, "Error creating the scripts directory!"),
                                   paths_.scriptsDir + ": " + folderError.message(),
                                   AlertStyle::Critical);
        done(false);
        return;
    }
    if (!presence) {
        if (isUnsafeUserScript(presence.error())) {
            // Refused as it stands, never replaced on the user's behalf:
            // someone else may have put it there, and the user should know.
            services_.raisePanelCount();
            services_.alerts.showAlert(
                tr(translate, "Unable to run QuilletHelper.sh!"),
                installedScriptPath() + ": " + localizedReason(presence.error(), translate) + "\n" +
                    tr(translate, "It runs only once it is yours and no one else can change it."),
                AlertStyle::Critical);
            services_.lowerPanelCount();
            done(false);
            return;
        }
        offerReinstall(presence.error(), done);
        return;
    }
    install(done);
}

void ScriptInstaller::offerReinstall(const Error& problem, const Done& done) {
    const Translator& translate = services_.translate;
    services_.raisePanelCount();
    const int choice = services_.alerts.runAlert(
        tr(translate, "QuilletHelper.sh cannot be run. Reinstall it?"),
        installedScriptPath() + ": " + localizedReason(problem, translate) + "\n" +
            formatWithTitle(tr(translate, "What is there now is kept as \"%@\"."),
                            std::string(kUserScriptName) + ".old"),
        AlertStyle::Warning, {tr(translate, "Reinstall"), tr(translate, "Cancel")});
    services_.lowerPanelCount();
    if (choice != 0) {
        done(false); // the user chose to leave it; the next press asks again
        return;
    }
    if (Expected<std::string> aside = moveUserScriptAside(installedScriptPath()); !aside) {
        askForFolder(localizedUserText(aside.error(), translate), done);
        return;
    }
    install(done);
}

void ScriptInstaller::install(const Done& done) {
    Status installed = installUserScript(paths_.scriptResource, installedScriptPath());
    if (installed) {
        done(true);
        return;
    }
    askForFolder(localizedUserText(installed.error(), services_.translate), done);
}

void ScriptInstaller::askForFolder(const std::string& reason, const Done& done) {
    const Translator& translate = services_.translate;
    (void)services_.privateDefaults.setString("NSNavLastRootDirectory", paths_.scriptsDir);
    (void)services_.privateDefaults.setString("NSNavLastCurrentDirectory", paths_.scriptsDir);
    services_.privateDefaults.synchronize();

    services_.raisePanelCount();
    OpenPanelOptions options;
    options.title = tr(translate, "Select Scripts Directory");
    options.message =
        formatWithTitle(tr(translate, "QuilletHelper would like to access \"%@\" directory"),
                        displayedScriptsDir()) +
        "\n" + reason;
    options.prompt = tr(translate, "Authorize");
    options.canChooseDirectories = true;
    options.canChooseFiles = false;
    options.directory = paths_.scriptsDir;
    auto finish =
        self_.guard([done](ScriptInstaller& self, const std::optional<std::string>& chosen) {
            self.finishPanel(chosen, done);
        });
    services_.panels.beginOpenPanel(options,
                                    [finish, done](const std::optional<std::string>& chosen) {
                                        // Gone meanwhile: the caller still hears an answer.
                                        if (!finish(chosen)) {
                                            done(false);
                                        }
                                    });
}

void ScriptInstaller::finishPanel(const std::optional<std::string>& chosen, const Done& done) {
    const Translator& translate = services_.translate;
    bool installed = false;
    if (!chosen) {
        // The user's choice, not a fault: said plainly, once.
        services_.raisePanelCount();
        services_.alerts.showAlert(
            tr(translate,
               "You must install the QuilletHelper.sh script in order to use keyboard shortcuts!"),
            std::nullopt, AlertStyle::Informational);
        services_.lowerPanelCount();
    } else {
        // The confirmation is what counts; the folder chosen is not examined.
        const Expected<std::string> copied =
            copyItem(paths_.scriptResource, installedScriptPath(), WhenTaken::Replace);
        if (copied) {
            installed = true;
        } else {
            const std::string reason = localizedReason(copied.error(), translate);
            int choice = services_.alerts.runAlert(
                tr(translate, "Unable to install QuilletHelper.sh to the scripts directory!"),
                installedScriptPath() + ": " + reason, AlertStyle::Critical,
                {tr(translate, "Install manually"), tr(translate, "Cancel")});
            installed = choice == 0 && installScriptManually().ok();
        }
    }
    services_.lowerPanelCount();
    done(installed);
}

Expected<std::string> ScriptInstaller::stageForDrag(const std::string& shippedScript,
                                                    const std::string& stagingParent) {
    Expected<std::string> folder = makePrivateFolder(stagingParent, "quillet-helper-drag-");
    if (!folder) {
        return folder.error();
    }
    const std::string staged =
        paths::appendingPathComponent(*folder, paths::lastPathComponent(shippedScript));
    if (Status copied = installUserScript(shippedScript, staged); !copied) {
        std::error_code ignored;
        fs::remove_all(*folder, ignored);
        return copied.error();
    }
    return staged;
}

Status ScriptInstaller::installScriptManually() {
    std::error_code ignored;
    fs::create_directories(paths_.scriptsDir, ignored);
    (void)services_.workspace.openFile(paths_.scriptsDir); // the adapter logs a failure
    if (services_.runManualWindow) {
        services_.runManualWindow(paths_.scriptResource, paths_.scriptsDir);
    }
    const std::string placed = paths::appendingPathComponent(
        paths_.scriptsDir, paths::lastPathComponent(paths_.scriptResource));
    if (!installedAt(placed)) {
        return Error("install the script", placed,
                     std::make_error_code(std::errc::no_such_file_or_directory));
    }
    return {};
}

} // namespace quillet::helper
