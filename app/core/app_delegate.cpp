// Start-up, shut-down, the first-run templates, the extension question and
// the helper's launches.
#include "app/core/app_delegate.h"

#include "app/core/extension_setup.h"
#include "app/core/extension_status.h"
#include "app/core/help.h"
#include "app/core/nautilus_script.h"
#include "app/core/start_at_login_controller.h"
#include "app/core/template_drop.h"
#include "app/core/templates_folder.h"
#include "shared/desktop_shortcuts.h"
#include "shared/fd_io.h"
#include "shared/files/item_lookup.h"
#include "shared/files/safe_create.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/localized_strings.h"
#include "shared/plist_json.h"
#include "shared/records.h"
#include "shared/refresh_notification.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace quillet::app {

namespace fs = std::filesystem;

AppDelegate::AppDelegate(AppServices& services, ApplicationShell& shell)
    : services_(services), shell_(shell), self_(*this) {}

AppDelegate::~AppDelegate() {
    if (templatesObserver_) {
        services_.notifications.removeObserver(*templatesObserver_);
    }
    if (statusObserver_) {
        services_.localNotifications.removeObserver(*statusObserver_);
    }
    self_.revoke();
}

void AppDelegate::applicationDidFinishLaunching() {
    // Copies a drag of an earlier run staged for its target; this program
    // runs once, so none of them is still being dragged.
    removeStagedDrags(dragStagingRoot());
    // The store comes with the registered defaults from its factory.
    sharedDefaults_.emplace(services_.openSharedDefaults());
    if (!settingsReadableOrReset()) {
        // Nothing was started and nothing is written: the program just ends.
        terminated_ = true;
        return;
    }
    seedMonitoredPaths();
    checkAndCopyTemplates();

    if (sharedDefaults_->boolForKey(keys::kShowInMenuBar) && shell_.isSystemTrayAvailable() &&
        isLauncherRunning()) {
        shell_.setActivationPolicy(ActivationPolicy::Accessory);
    } else {
        openPreferences();
    }

    if (services_.privateDefaults.boolForKey(kExtensionConfirmedKey)) {
        launchHelperOncePerSystemVersion();
    } else if (isExtensionRunning(services_.workspace)) {
        markExtensionConfirmed();
    } else {
        services_.mainQueue.postAfter(kConfirmExtensionDelay, self_.guard([](AppDelegate& self) {
            if (!self.terminated_) {
                self.confirmExtension();
            }
        }));
    }

    updateStatusMenu();
    statusObserver_ = services_.localNotifications.addObserver(
        kStatusItemShouldUpdate, self_.guard([](AppDelegate& self, const std::string&,
                                                const std::string&) { self.updateStatusMenu(); }));

    // The desktop's shortcut entries follow every save of the templates,
    // whether the helper runs or not.
    syncDesktopShortcuts();
    templatesObserver_ = services_.notifications.addObserver(
        ids::kSuiteName,
        self_.guard([](AppDelegate& self, const std::string&, const std::string& object) {
            if (object == keys::kFileTemplates) {
                self.syncDesktopShortcuts();
            }
        }));

    if (sharedDefaults_->boolForKey(keys::kShouldLaunchHelper)) {
        launchHelper();
    }
}

bool AppDelegate::settingsReadableOrReset() {
    // A first run is a store that is not there. One that is there but cannot
    // be read is the user's settings with a fault in them: starting over would
    // show the menu everywhere and drop every template, so only the user
    // decides that, after being told where the file and its copy are.
    for (;;) {
        const Status readable = sharedDefaults_->readStatus();
        if (readable) {
            return true;
        }
        const std::string& file = sharedDefaults_->filePath();
        const Expected<std::string> aside = sharedDefaults_->keepUnreadableAside();
        std::string informative =
            formatWithTitle(services_.translate("Quillet could not read its settings file:\n%@"),
                            file) +
            "\n\n" + readable.error().reason();
        // Looking is the default; starting afresh is never a mere Return.
        AlertRequest request;
        request.message = services_.translate("The settings cannot be read");
        request.buttons = {services_.translate("Open Folder")};
        if (aside) {
            informative +=
                "\n\n" + formatWithTitle(services_.translate(
                                             "A copy of it was kept as:\n%@\n\nStarting with the "
                                             "default settings replaces the file; the copy stays."),
                                         *aside);
            request.buttons.push_back(services_.translate("Start with Default Settings"));
        }
        request.buttons.push_back(services_.translate("Quit"));
        request.escapeButton = request.buttons.size() - 1;
        request.critical = true;
        request.informative = std::move(informative);
        const int chosen = shell_.runAlert(request);
        if (aside && chosen == kAlertSecondButton) {
            if (const Status discarded = sharedDefaults_->discardUnreadable(*aside); !discarded) {
                std::cerr << "quillet: " << discarded.error().logText() << "\n";
                return false;
            }
            sharedDefaults_.emplace(services_.openSharedDefaults());
            continue; // read again: absent now, or mended meanwhile
        }
        if (chosen != kAlertFirstButton) {
            return false; // Quit, or the alert closed
        }
        // Open Folder: the user looks, maybe mends the file; then asked again.
        (void)services_.workspace.openFile(paths::deletingLastPathComponent(file));
    }
}

void AppDelegate::syncDesktopShortcuts() {
    if (services_.shortcutRegistry == nullptr) {
        return;
    }
    SettingsStore store = services_.openSharedDefaults();
    if (!store.readStatus()) {
        return; // an unreadable store says nothing about which entries should go
    }
    const Value::Array templates = store.arrayForKey(keys::kFileTemplates).value_or(Value::Array{});
    if (const Status synced =
            syncShortcutRegistry(*services_.shortcutRegistry, templates, services_.helperPath);
        !synced) {
        std::cerr << "quillet: desktop shortcuts: " << synced.error().logText() << "\n";
    }
}

SettingsStore& AppDelegate::sharedDefaults() {
    if (!sharedDefaults_) {
        sharedDefaults_.emplace(services_.openSharedDefaults());
    }
    return *sharedDefaults_;
}

void AppDelegate::seedMonitoredPaths() {
    // Only a key with no value at all is seeded: an empty list is the user's.
    if (!sharedDefaults_->objectForKey(keys::kMonitoredPaths).isNull()) {
        return;
    }
    MonitoredLocation root{.path = std::string("/"), .enabled = true};
    if (const Status stored =
            sharedDefaults_->setObject(keys::kMonitoredPaths, Value::Array{root.toValue()});
        !stored) {
        std::cerr << "quillet: cannot store the monitored locations: " << stored.error().logText()
                  << "\n";
        return;
    }
    sharedDefaults_->synchronize();
    postRefreshNotification(services_.notifications, keys::kMonitoredPaths);
}

void AppDelegate::checkAndCopyTemplates() {
    const std::string& target = services_.templatesDir;
    std::error_code ec;
    // Anything at the path, even a dangling link, means the set-up was done;
    // nothing else (neither the list nor the folder's content) decides.
    if (isNameTaken(target).valueOr(false)) {
        return;
    }
    // Nautilus has no "send to" entries: the share entry goes into the
    // user's scripts, once, like the templates.
    (void)installNautilusScript(paths::appendingPathComponent(
        paths::deletingLastPathComponent(services_.launcherPath), "quillet-share"));
    const std::string source =
        paths::appendingPathComponent(services_.resourcesDir, "FileTemplates");
    bool copied = false;
    // A missing shipped folder is a failed copy, not an empty success.
    if (isFolder(source)) {
        fs::create_directories(paths::deletingLastPathComponent(target), ec);
        copied = copyItem(source, target, WhenTaken::Replace) && isFolder(target);
    }
    if (!copied) {
        services_.alerts.showAlert(
            services_.translate("Error copying templates"),
            formatWithTitle(services_.translate("Unable to copy templates to the directory:\n%@"),
                            target),
            AlertStyle::Critical);
        return;
    }
    // A list stored already is the user's, even when its folder went missing:
    // the folder is set up again for the records that point into it, and
    // the list is left as it is.
    if (!sharedDefaults().objectForKey(keys::kFileTemplates).isNull()) {
        return;
    }

    // The list is a JSON array of entries; an unreadable one seeds nothing.
    const std::string listFile = source + ".json";
    const Expected<std::string> text = readFile(listFile);
    const Expected<Value> parsed = text ? valueFromJsonText(*text) : Expected<Value>(Value());
    Value list = parsed.valueOr(Value());
    if (!text || !list.isArray()) {
        // The parser's reason when there is one; a file that cannot be read says none.
        const std::string error = parsed ? std::string() : parsed.error().reason();
        std::cerr << "quillet: " << listFile << ": not a template list " << error << "\n";
        list = Value::Array{};
    }
    Value::Array records;
    for (const Value& entry : *list.asArray()) {
        const Value::Dictionary* fields = entry.asDictionary();
        if (fields == nullptr) {
            continue;
        }
        Value::Dictionary record;
        for (const char* key :
             {keys::kEnabled, keys::kTitle, keys::kPrefix, keys::kSuffix, keys::kExecutable}) {
            if (auto it = fields->find(key); it != fields->end()) {
                record[key] = it->second;
            }
        }
        // The titles are stored in the language of the first run, once: from
        // then on they are the user's, edited in the Templates pane and read
        // as they are by the helper, the modules and the share dialog, none of
        // which could tell a shipped title from one the user typed.
        if (auto it = record.find(keys::kTitle); it != record.end() && it->second.isString()) {
            it->second = Value(services_.translate(*it->second.asString()));
        }
        if (auto it = fields->find("filename"); it != fields->end() && it->second.isString()) {
            record[keys::kFilePath] = paths::appendingPathComponent(target, *it->second.asString());
        }
        records.emplace_back(std::move(record));
    }
    // The templates users already keep for their file managers join after
    // the shipped ones, where they are.
    if (const std::string desktopTemplates = paths::templatesUserDir(); !desktopTemplates.empty()) {
        const auto listed = [&records](const std::string& path) {
            return std::any_of(records.begin(), records.end(), [&path](const Value& record) {
                const Value* file = record.find(keys::kFilePath);
                return file != nullptr && file->asString() != nullptr && *file->asString() == path;
            });
        };
        for (Value& record : templatesFolderRecords(desktopTemplates, listed)) {
            records.push_back(std::move(record));
        }
    }
    if (const Status stored = sharedDefaults().setObject(keys::kFileTemplates, records); !stored) {
        std::cerr << "quillet: cannot store the templates: " << stored.error().logText() << "\n";
        return;
    }
    sharedDefaults().synchronize();
}

void AppDelegate::confirmExtension() {
    const bool setUp = extensionAlertOpensSetUp();
    // The program may have been told to end while the alert was open.
    if (terminated_) {
        return;
    }
    if (setUp && setUpExtension(services_, [this](const AlertRequest& r) {
                     return shell_.runAlert(r);
                 }).ok()) {
        markExtensionConfirmed();
    }
    launchHelperOncePerSystemVersion();
}

bool AppDelegate::extensionAlertOpensSetUp() {
    AlertRequest request{
        .message = services_.translate("Quillet Extension"),
        .informative = services_.translate(
            "Would you like to enable the file manager extension? Quillet's menu appears once "
            "the extension is installed in your file manager and the file manager has been "
            "restarted."),
        .buttons = {services_.translate("Set Up Extension…"), services_.translate("Later"),
                    services_.translate("Do not show again")},
        .escapeButton = 1, // closing the alert is "Later": nothing is settled
    };
    switch (shell_.runAlert(request)) {
    case kAlertFirstButton:
        return true;
    case kAlertSecondButton:
        return false; // asked again at the next start
    default:
        markExtensionConfirmed();
        return false;
    }
}

void AppDelegate::markExtensionConfirmed() {
    if (const Status stored = services_.privateDefaults.setBool(kExtensionConfirmedKey, true);
        !stored) {
        std::cerr << "quillet: cannot store the settled extension question: "
                  << stored.error().logText() << "\n";
    }
    services_.privateDefaults.synchronize();
}

void AppDelegate::launchHelperOncePerSystemVersion() {
    const std::string& current = services_.osVersion;
    if (services_.privateDefaults.stringForKey(kLastOSVersionKey) == current) {
        return;
    }
    // Launched whether or not it runs: a running helper just takes the call.
    if (!services_.workspace.launchProgram(services_.helperPath, {})) {
        return; // tried again at the next start
    }
    if (const Status stored = services_.privateDefaults.setString(kLastOSVersionKey, current);
        !stored) {
        std::cerr << "quillet: cannot store the system version: " << stored.error().logText()
                  << "\n";
    }
    services_.privateDefaults.synchronize();
}

void AppDelegate::launchHelper() {
    // The bus query is brief; it runs after the current event, not inside it.
    services_.mainQueue.post(self_.guard([](AppDelegate& self) {
        AppServices& services = self.services_;
        if (!services.workspace.isProgramRunning(ids::kHelper)) {
            (void)services.workspace.launchProgram(services.helperPath, {});
        }
    }));
}

void AppDelegate::applicationWillTerminate() {
    if (terminated_) {
        return;
    }
    terminated_ = true;
    removeStagedDrags(dragStagingRoot());
    if (templatesObserver_) {
        services_.notifications.removeObserver(*templatesObserver_);
        templatesObserver_.reset();
    }
    if (statusObserver_) {
        services_.localNotifications.removeObserver(*statusObserver_);
        statusObserver_.reset();
    }
    removeStatusMenu();
    SettingsStore& store = sharedDefaults();
    // At quit nobody is left to tell: a refused change leaves the login item
    // as it was, and the next quit tries again.
    (void)setStartAtLogin(loginItemWanted(store));
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows) {
    if (!hasVisibleWindows) {
        openPreferences();
    }
    return true;
}

bool AppDelegate::isLauncherRunning() const {
    return app::isLauncherRunning(services_.workspace);
}

Status AppDelegate::setStartAtLogin(bool enabled) {
    return app::setStartAtLogin(services_.loginItems, services_.launcherPath, enabled);
}

void AppDelegate::openPreferences() {
    shell_.showPreferencesWindow();
    shell_.setActivationPolicy(ActivationPolicy::Regular);
}

void AppDelegate::showAboutPanel() {
    shell_.showAboutPanel();
}

void AppDelegate::windowWillClose() {
    if (sharedDefaults().boolForKey(keys::kShowInMenuBar)) {
        shell_.setActivationPolicy(ActivationPolicy::Accessory);
    }
}

void AppDelegate::windowDidBecomeMain() {
    if (sharedDefaults().boolForKey(keys::kShowInMenuBar)) {
        shell_.setActivationPolicy(ActivationPolicy::Regular);
    }
}

} // namespace quillet::app
