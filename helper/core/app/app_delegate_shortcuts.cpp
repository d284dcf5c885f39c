// Keyboard shortcuts: binding, a press, the user script and its installation.
#include "helper/core/app/app_delegate.h"

#include "helper/core/shortcuts/hot_key_binding.h"
#include "shared/keys.h"

namespace quillet::helper {

namespace {

// Stands in for a missing runner: every script "cannot be started".
class NoScriptRunner final : public ScriptRunner {
public:
    std::optional<std::string> run(const std::string& scriptPath, const std::vector<std::string>&,
                                   Completion) override {
        return scriptPath + ": scripts cannot be run here";
    }
};

} // namespace

void AppDelegate::bindHotKeys() {
    templates_ = ports_.sharedDefaults.arrayForKey(keys::kFileTemplates).value_or(Value::Array{});
    std::weak_ptr<AppDelegate*> weak = self_;
    helper::bindHotKeys(ports_.hotKeys, templates_, [weak](std::int64_t index) {
        if (auto self = weak.lock(); self && *self != nullptr) {
            (*self)->shortcutAction(index);
        }
    });
}

void AppDelegate::shortcutAction(std::int64_t index) {
    std::weak_ptr<AppDelegate*> weak = self_;
    checkAndInstallScripts([weak, index](bool installed) {
        auto self = weak.lock();
        if (!installed || !self || *self == nullptr) {
            return; // the installation has told the user why
        }
        AppDelegate& delegate = **self;
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
        delegate.getFinderPathWithTemplate(
            *record,
            [weak, skipFilename, &mainQueue](const std::string& folder, const Value& found) {
                // On the runner's thread: everything else happens on the main queue.
                mainQueue.post([weak, skipFilename, folder, found] {
                    auto alive = weak.lock();
                    if (!alive || *alive == nullptr || (*alive)->isTerminating()) {
                        return;
                    }
                    AppDelegate& owner = **alive;
                    if (skipFilename || !owner.ports_.showNewFilePanel) {
                        owner.createFileAtDir(folder, found);
                    } else {
                        owner.showNewFilePanel(folder, found);
                    }
                });
            });
    });
}

ScriptInstaller& AppDelegate::scriptInstaller() {
    if (!scriptInstaller_) {
        std::weak_ptr<AppDelegate*> weak = self_;
        auto withSelf = [weak](void (AppDelegate::*step)()) {
            return [weak, step] {
                if (auto self = weak.lock(); self && *self != nullptr) {
                    ((*self)->*step)();
                }
            };
        };
        scriptInstaller_ = std::make_unique<ScriptInstaller>(
            ScriptInstallerServices{
                .panels = ports_.panels,
                .alerts = ports_.alerts,
                .workspace = ports_.workspace,
                .privateDefaults = ports_.privateDefaults,
                .translate = ports_.translate,
                .raisePanelCount = withSelf(&AppDelegate::raisePanelCount),
                .lowerPanelCount = withSelf(&AppDelegate::lowerPanelCount),
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

bool AppDelegate::installScriptManually() {
    return scriptInstaller().installScriptManually();
}

void AppDelegate::getFinderPathWithTemplate(const Value& record, FinderPath::Handler handler) {
    finderPath().getFinderPathWithTemplate(record, std::move(handler));
}

} // namespace quillet::helper
