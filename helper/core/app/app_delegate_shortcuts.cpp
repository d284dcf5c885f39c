// Keyboard shortcuts: binding, a press, the user script and its installation.
#include "helper/core/app/app_delegate.h"

#include "helper/core/shortcuts/hot_key_binding.h"
#include "shared/desktop_shortcuts.h"
#include "shared/keys.h"
#include "shared/records.h"

#include <cstdio>

namespace quillet::helper {

namespace {

// Stands in for a missing runner: every script "cannot be started".
class NoScriptRunner final : public ScriptRunner {
public:
    Status run(const std::string& scriptPath, const std::vector<std::string>&,
               Completion) override {
        return Error::withDetail(kScriptRunAction, scriptPath, "scripts cannot be run here",
                                 std::errc::operation_not_supported);
    }
};

} // namespace

ShortcutPorts& AppDelegate::shortcuts() {
    if (!shortcuts_) {
        shortcuts_.emplace(ports_.openShortcuts());
    }
    return *shortcuts_;
}

void AppDelegate::bindHotKeys() {
    templates_ = ports_.sharedDefaults.arrayForKey(keys::kFileTemplates).value_or(Value::Array{});
    if (ShortcutRegistry* registry = shortcuts().registry) {
        // The desktop runs the entries, and the bus starts us for them:
        // nothing to grab, nothing that keeps us running.
        if (const Status synced =
                syncShortcutRegistry(*registry, templates_, paths_.executablePath);
            !synced) {
            std::fprintf(stderr, "quillet-helper: desktop shortcuts: %s\n",
                         synced.error().logText().c_str());
        }
        return;
    }
    helper::bindHotKeys(shortcuts().hotKeys, templates_, self_.guard(&AppDelegate::shortcutAction));
}

void AppDelegate::handleShortcutActivation(std::int64_t index) {
    // Like a request: from now on the post-request check decides when we
    // end, which waits for the panel a press may open.
    shouldHandleURL_ = true;
    shortcutAction(index);
    schedulePostRequestCheck();
}

void AppDelegate::shortcutAction(std::int64_t index) {
    checkAndInstallScripts(self_.guard([index](AppDelegate& delegate, bool installed) {
        if (!installed) {
            return; // the installation has told the user why
        }
        // The settings as they are now, not the list that was bound.
        auto record = delegate.findTemplateByIndex(index);
        if (!record) {
            delegate.showAlert(delegate.translate("Unable to create file!"),
                               delegate.translate("No suitable file template found."),
                               AlertStyle::Critical);
            return;
        }
        const bool skipFilename = delegate.ports_.sharedDefaults.boolForKey(keys::kSkipFilename);
        MainQueue& mainQueue = delegate.ports_.mainQueue;
        auto create = delegate.self_.guard(
            [skipFilename](AppDelegate& owner, const std::string& folder, const Value& found) {
                if (owner.isTerminating() || !owner.isOfferedForShortcut(folder, found)) {
                    return;
                }
                if (skipFilename || !owner.ports_.showNewFilePanel) {
                    owner.createFileAtDir(folder, found);
                } else {
                    owner.showNewFilePanel(folder, found);
                }
            });
        delegate.getFinderPathWithTemplate(
            *record, [create, &mainQueue](const std::string& folder, const Value& found) {
                // On the runner's thread: everything else happens on the main queue.
                mainQueue.post([create, folder, found] { create(folder, found); });
            });
    }));
}

bool AppDelegate::isOfferedForShortcut(const std::string& folder, const Value& record) {
    // A template kept for some folders creates nothing elsewhere, as the
    // menu there would not offer it; the user hears why.
    auto fileTemplate = FileTemplate::fromValue(record);
    if (!fileTemplate || fileTemplate->isOfferedIn(folder)) {
        return true;
    }
    showAlert(translate("Unable to create file!"),
              translate("This template is not offered in this folder.") + "\n" + folder,
              AlertStyle::Critical);
    return false;
}

ScriptInstaller& AppDelegate::scriptInstaller() {
    if (!scriptInstaller_) {
        scriptInstaller_ = std::make_unique<ScriptInstaller>(
            ScriptInstallerServices{
                .panels = ports_.panels,
                .alerts = ports_.alerts,
                .workspace = ports_.workspace,
                .privateDefaults = ports_.privateDefaults,
                .translate = ports_.translate,
                .raisePanelCount = self_.guard(&AppDelegate::raisePanelCount),
                .lowerPanelCount = self_.guard(&AppDelegate::lowerPanelCount),
                .runManualWindow = ports_.runManualScriptInstallation,
            },
            ScriptInstallerPaths{
                .scriptsDir = paths_.scriptsDir,
                .scriptResource = paths_.scriptResource,
                .homeDir = paths_.homeDir,
            });
    }
    return *scriptInstaller_;
}

FinderPath& AppDelegate::finderPath() {
    if (!finderPath_) {
        static NoScriptRunner noRunner;
        finderPath_ = std::make_unique<FinderPath>(
            ports_.scriptRunner ? *ports_.scriptRunner : noRunner, ports_.mainQueue, ports_.alerts,
            ports_.translate, paths_.scriptsDir, paths_.finderQuery);
    }
    return *finderPath_;
}

void AppDelegate::checkAndInstallScripts(ScriptInstaller::Done done) {
    scriptInstaller().checkAndInstallScripts(std::move(done));
}

Status AppDelegate::installScriptManually() {
    return scriptInstaller().installScriptManually();
}

void AppDelegate::getFinderPathWithTemplate(const Value& record, FinderPath::Handler handler) {
    finderPath().getFinderPathWithTemplate(record, std::move(handler));
}

} // namespace quillet::helper
