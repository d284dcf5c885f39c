// The helper's application delegate: request intake, creation, folder grants,
// notifications and the rules by which the helper ends. Toolkit-free: every
// platform service arrives as a port, and the program's glue only forwards
// the platform's events (URLs to open, start and end) to it.
#pragma once

#include "helper/core/new_file_panel_host.h"
#include "helper/core/shortcuts/finder_path.h"
#include "helper/core/shortcuts/script_installer.h"
#include "helper/core/watch/vdk_queue.h"
#include "shared/files/safe_create.h"
#include "shared/localized_strings.h"
#include "shared/ports/alerts.h"
#include "shared/ports/file_event_source.h"
#include "shared/ports/hot_key_center.h"
#include "shared/ports/main_queue.h"
#include "shared/ports/notification_center.h"
#include "shared/ports/panels.h"
#include "shared/ports/script_runner.h"
#include "shared/ports/shortcut_registry.h"
#include "shared/ports/sound_player.h"
#include "shared/ports/volume_monitor.h"
#include "shared/ports/workspace.h"
#include "shared/records.h"
#include "shared/settings_store.h"
#include "shared/while_alive.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace quillet::helper {

// Every delay of the helper's quit rules and deferred alerts.
inline constexpr std::chrono::milliseconds kQuitCheckDelay{11000};
inline constexpr std::chrono::milliseconds kAlertDelay{300};
// Templates holding at least this much data are copied off the main thread.
inline constexpr std::uint64_t kLargeCopyBytes = 16u << 20;

// The session's shortcut mechanism: the hot-key centre, and the desktop's
// list of custom shortcuts where it keeps one (null elsewhere).
struct ShortcutPorts {
    HotKeyCenter& hotKeys;
    ShortcutRegistry* registry = nullptr;
};

struct HelperPorts {
    SettingsStore& sharedDefaults;
    SettingsStore& privateDefaults; // the helper's own, for the panels' start folder
    NotificationCenter& notifications;
    MainQueue& mainQueue;
    Alerts& alerts;
    Panels& panels;
    Workspace& workspace;
    VolumeMonitor& volumes;
    SoundPlayer& sound;
    // A fresh kernel watch for the executable watcher; null when none can be had.
    std::function<std::unique_ptr<FileEventSource>()> makeFileEventSource;
    Translator translate;
    // Ends the program's event loop; the delegate has already run its own tear-down.
    std::function<void()> terminate;
    // Runs the new-file panel modally. Empty: requests that would ask for a
    // name are created at once under the default name.
    std::function<void(NewFilePanelHost&, const std::string& folder, const Value& record)>
        showNewFilePanel;
    // Runs the user script that reports the current folder; null: shortcuts
    // say that the script cannot run.
    ScriptRunner* scriptRunner = nullptr;
    // The manual script installation window, run modally. Empty: none is shown.
    std::function<void(const std::string& scriptPath, const std::string& destDir)>
        runManualScriptInstallation;
    // Opens the shortcut mechanism, once, when the shortcuts are first bound
    // (at launch): a cold request waits neither for the X display nor for the
    // desktop's settings. Where the desktop keeps a list of custom shortcuts,
    // that list is kept in step with the templates instead of grabbing keys.
    std::function<ShortcutPorts()> openShortcuts;
};

struct HelperPaths {
    std::string defaultsFile;   // the registered defaults, a settings file
    std::string soundFile;      // played after a creation when playSound is on
    std::string executablePath; // watched: a change ends the helper
    std::string desktopDir;     // items on it are not revealed
    std::string homeDir;        // the authorisation panel opens here for folders below it
    std::string journalDir;     // copies in progress, cleaned at the next start
    std::string scriptsDir;     // the user script's folder
    std::string scriptResource; // the shipped user script, copied there on demand
    std::string finderQuery;    // the user script's one argument
};

class AppDelegate final : public NewFilePanelHost, public VDKQueueDelegate {
public:
    // Start-up of the object: defaults registered, notifications observed.
    // Enough to serve requests: the rest waits for launch.
    AppDelegate(HelperPorts ports, HelperPaths paths);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Launch: grants opened, leftovers of interrupted copies removed,
    // shortcuts bound, the idle quit check armed, the executable watched. The
    // program runs it once the requests that started it are served, so that
    // a cold request waits for none of it. Runs once; not after terminate().
    void applicationDidFinishLaunching();
    // Watcher detached and emptied, observers removed. Runs once.
    void applicationWillTerminate();

    // One creation request URL. `fileManager` names the file manager it
    // came from ("" when unknown): the new item is shown in that one.
    void handleURLEvent(const std::string& url, const std::string& fileManager = {});

    std::optional<Value> findTemplateByIndex(std::int64_t index) const;
    void createFileAtDir(const std::string& folder, const Value& record,
                         const std::string& fileManager = {});
    void makeFileAtDir(const std::string& folder, const Value& record,
                       const std::string& fileManager = {});
    void showNewFilePanel(const std::string& folder, const Value& record,
                          const std::string& fileManager = {});
    bool isDesktopDir(const std::string& path) const;

    // Folder grants.
    void startAccessingURLs();
    void stopAccessingURLs();
    void restartAccessingURLs();
    // Remembers the grant; fails (saving nothing) when the settings file
    // cannot be read or written.
    [[nodiscard]] Status saveAuthorizedURL(const std::string& chosenPath);
    void showAuthorizationPanel(const std::string& folder, const Value& record,
                                const std::string& fileManager = {});
    // Whether a grant of `chosen` covers a request in `folder`.
    static bool grantCovers(const std::string& chosen, const std::string& folder);

    // Keyboard shortcuts: one hot key per template that has one, or the
    // desktop's entries brought in step with the templates.
    void bindHotKeys();
    // `quillet-helper --shortcut <index>`, run by the desktop's entry: what a
    // press of the template's hot key does, counted as a request.
    void handleShortcutActivation(std::int64_t index);
    // The user script in place (true), or installed now; answers through
    // `done`, possibly after panels.
    void checkAndInstallScripts(ScriptInstaller::Done done);
    [[nodiscard]] Status installScriptManually();
    // Runs the user script; the handler gets the folder it reports.
    void getFinderPathWithTemplate(const Value& record, FinderPath::Handler handler);

    // Notifications: "quit" ends the helper, "fileTemplates" rebinds and
    // re-checks once launched; every other object is ignored.
    void userDefaultsDidChange(const std::string& name, const std::string& object);
    void checkAndTerminate();
    // Ends the helper (tear-down, then the event loop). Later calls do nothing.
    void terminate();

    void showAlert(const std::optional<std::string>& title,
                   const std::optional<std::string>& message, AlertStyle style);

    // VDKQueueDelegate: any event on the executable ends the helper.
    void VDKQueueReceivedNotification(VDKQueue& queue, const std::string& name,
                                      const std::string& path) override;

    // NewFilePanelHost.
    void raisePanelCount() override { ++panelCount_; }
    void lowerPanelCount() override { --panelCount_; }
    void runFinishingSteps(const std::string& itemPath, const FileTemplate& fileTemplate) override {
        runFinishingSteps(itemPath, fileTemplate, {});
    }
    // The same, showing the item in the named file manager.
    void runFinishingSteps(const std::string& itemPath, const FileTemplate& fileTemplate,
                           const std::string& fileManager);
    void showCountedAlertLater(const std::string& title, const std::string& message) override;
    std::string localizedStringForKey(const std::string& key) override;
    std::string translate(const std::string& text) override;
    CreationJournal* creationJournal() override { return &journal_; }

    std::int64_t panelCount() const { return panelCount_; }
    bool shouldHandleURL() const { return shouldHandleURL_; }
    bool isTerminating() const { return terminating_; }
    const std::set<std::string>& openedURLs() const { return openedURLs_; }
    const Value::Array& templates() const { return templates_; }
    VDKQueue* fileWatcher() const { return fileWatcher_.get(); }
    CreationJournal& journal() { return journal_; }

private:
    void registerDefaults();
    void schedulePostRequestCheck();
    // A critical alert shown 0.3 s later and counted while open; once it is
    // dismissed the post-request check is armed again, so that the helper
    // neither quits under the user's eyes nor lingers after.
    void showAlertLaterThenRecheck(const std::string& title, const std::string& message);
    // Arms the post-request check once a counted window that outlived its
    // request has closed.
    void recheckAfterCountedWindow();
    void shortcutAction(std::int64_t index);
    // False (after telling the user) when the template is kept for other folders.
    bool isOfferedForShortcut(const std::string& folder, const Value& record);
    // Large files and folders: their copy would hold up the bus.
    static bool copiesBesideTheMainLoop(const std::string& path);
    void finishCopy(const Expected<std::string>& created, const FileTemplate& fileTemplate,
                    const std::string& fileManager);
    ShortcutPorts& shortcuts();
    ScriptInstaller& scriptInstaller();
    FinderPath& finderPath();

    // What the executable was at start: compared when the watch begins, and
    // at each request when the kernel would not watch it.
    struct FileIdentity {
        bool exists = false;
        std::uint64_t dev = 0, ino = 0;
        std::int64_t size = 0, mtimeSec = 0, mtimeNsec = 0;
        bool operator==(const FileIdentity&) const = default;
        static FileIdentity of(const std::string& path);
    };
    bool executableChangedUnwatched() const;

    HelperPorts ports_;
    HelperPaths paths_;
    CreationJournal journal_;

    std::int64_t panelCount_ = 0;
    bool shouldHandleURL_ = false;
    bool terminating_ = false;
    bool tornDown_ = false;
    std::set<std::string> openedURLs_;
    Value::Array templates_;
    std::unique_ptr<VDKQueue> fileWatcher_;
    // Copies of large files and folders in progress; joined before the delegate goes,
    // so that an ending helper still finishes what it accepted.
    std::vector<std::thread> copies_;
    FileIdentity executableAtStart_;
    bool executableUnwatched_ = false; // then compared at each request
    bool launched_ = false;
    std::vector<NotificationCenter::Token> observers_;
    std::optional<ShortcutPorts> shortcuts_;
    std::unique_ptr<ScriptInstaller> scriptInstaller_;
    std::unique_ptr<FinderPath> finderPath_;
    // Work scheduled on the main queue holds this weakly and does nothing once
    // the delegate is gone.
    LifeToken<AppDelegate> self_;
};

} // namespace quillet::helper
