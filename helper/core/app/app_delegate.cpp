// Start-up, notifications, quit rules and the executable watch.
#include "helper/core/app/app_delegate.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/plist_json.h"

#include <cstdio>
#include <sys/stat.h>

namespace quillet::helper {

AppDelegate::AppDelegate(HelperPorts ports, HelperPaths paths)
    : ports_(std::move(ports)), paths_(std::move(paths)), journal_(paths_.journalDir),
      executableAtStart_(FileIdentity::of(paths_.executablePath)), self_(*this) {
    panelCount_ = 0;
    registerDefaults();

    // The quit notification comes under the helper's id, the refresh
    // notification under the suite name; one handler tells them apart by object.
    for (const char* name : {ids::kHelper, ids::kSuiteName}) {
        observers_.push_back(ports_.notifications.addObserver(
            name, self_.guard(&AppDelegate::userDefaultsDidChange)));
    }
}

AppDelegate::~AppDelegate() {
    for (auto& copy : copies_) {
        copy.join();
    }
    stopAccessingURLs();
    for (auto token : observers_) {
        ports_.notifications.removeObserver(token);
    }
    observers_.clear();
    ports_.volumes.setHandlers(nullptr, nullptr);
    fileWatcher_.reset();
    self_.revoke();
}

void AppDelegate::registerDefaults() {
    const auto parsed = readSettingsFile(paths_.defaultsFile);
    if (!parsed) {
        // Without the resource every option reads as false.
        std::fprintf(stderr, "quillet-helper: %s: %s\n", parsed.error().path().c_str(),
                     parsed.error().reason().c_str());
        return;
    }
    ports_.sharedDefaults.registerDefaults(*parsed);
}

void AppDelegate::applicationDidFinishLaunching() {
    // Requests served before launch may already have ended the helper.
    if (terminating_ || launched_) {
        return;
    }
    launched_ = true;
    auto restart =
        self_.guard([](AppDelegate& self, const std::string&) { self.restartAccessingURLs(); });
    ports_.volumes.setHandlers(restart, restart);
    startAccessingURLs();
    // Copies interrupted by a crash left hidden items behind; they are ours
    // to remove, and only they (this process's own copies are left alone).
    journal_.cleanLeftovers();

    bindHotKeys();
    checkAndTerminate();
    fileWatcher_ = VDKQueue::create(
        ports_.makeFileEventSource ? ports_.makeFileEventSource() : nullptr, ports_.mainQueue);
    std::string refused = std::make_error_code(std::errc::function_not_supported).message();
    if (fileWatcher_) {
        fileWatcher_->setDelegate(this);
        auto watched = fileWatcher_->addPathToQueue(
            paths_.executablePath, vnode::kDelete | vnode::kWrite | vnode::kRename);
        if (watched) {
            // The watch sees changes from now on; one made since the start
            // ends the helper as the watch would have.
            if (FileIdentity::of(paths_.executablePath) != executableAtStart_) {
                terminate();
            }
            return;
        }
        refused = watched.error().reason();
    }
    // Without the kernel's watch (inotify's watches used up, say) the helper
    // must not believe it has one: it compares the file at each request.
    executableUnwatched_ = true;
    std::fprintf(stderr,
                 "quillet-helper: cannot watch %s (%s); it is checked at each request instead\n",
                 paths_.executablePath.c_str(), refused.c_str());
}

AppDelegate::FileIdentity AppDelegate::FileIdentity::of(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

bool AppDelegate::executableChangedUnwatched() const {
    return executableUnwatched_ && FileIdentity::of(paths_.executablePath) != executableAtStart_;
}

void AppDelegate::applicationWillTerminate() {
    if (tornDown_) {
        return;
    }
    tornDown_ = true;
    if (fileWatcher_) {
        fileWatcher_->setDelegate(nullptr);
        fileWatcher_->removeAllPaths();
    }
    for (auto token : observers_) {
        ports_.notifications.removeObserver(token);
    }
    observers_.clear();
}

void AppDelegate::terminate() {
    if (terminating_) {
        return;
    }
    terminating_ = true;
    applicationWillTerminate();
    if (ports_.terminate) {
        ports_.terminate();
    }
}

void AppDelegate::userDefaultsDidChange(const std::string&, const std::string& object) {
    if (object == ids::kQuitObject) {
        terminate();
    } else if (object == keys::kFileTemplates && launched_) {
        // Before launch there is nothing bound yet: launch binds the list as it is then.
        bindHotKeys();
        checkAndTerminate();
    }
}

void AppDelegate::checkAndTerminate() {
    // Read now: switching runInBackground on later does not cancel this check.
    if (ports_.sharedDefaults.boolForKey(keys::kRunInBackground)) {
        return;
    }
    ports_.mainQueue.postAfter(kQuitCheckDelay, self_.guard([](AppDelegate& delegate) {
        if (delegate.shouldHandleURL_) {
            return; // from the first request on, only the post-request check ends us
        }
        if (delegate.shortcuts().hotKeys.allHotKeys().empty()) {
            delegate.terminate();
        }
    }));
}

void AppDelegate::schedulePostRequestCheck() {
    if (ports_.sharedDefaults.boolForKey(keys::kRunInBackground)) {
        return;
    }
    ports_.mainQueue.postAfter(kQuitCheckDelay, self_.guard([](AppDelegate& self) {
        if (self.panelCount_ < 1) {
            self.terminate();
        }
    }));
}

void AppDelegate::recheckAfterCountedWindow() {
    // Before any request the idle check alone decides (shortcuts keep us).
    if (shouldHandleURL_) {
        schedulePostRequestCheck();
    }
}

void AppDelegate::VDKQueueReceivedNotification(VDKQueue&, const std::string&, const std::string&) {
    terminate();
}

void AppDelegate::showAlert(const std::optional<std::string>& title,
                            const std::optional<std::string>& message, AlertStyle style) {
    ports_.alerts.showAlert(title, message, style);
}

std::string AppDelegate::localizedStringForKey(const std::string& key) {
    return quillet::localizedStringForKey(ports_.sharedDefaults, key, ports_.translate);
}

std::string AppDelegate::translate(const std::string& text) {
    return ports_.translate ? ports_.translate(text) : text;
}

void AppDelegate::showCountedAlertLater(const std::string& title, const std::string& message) {
    ports_.mainQueue.postAfter(kAlertDelay, self_.guard([title, message](AppDelegate& self) {
        // The alert's own event loop may end us: what follows it checks again.
        auto afterAlert = self.self_.guard(&AppDelegate::lowerPanelCount);
        self.showAlert(title, message, AlertStyle::Critical);
        afterAlert();
    }));
}

void AppDelegate::showAlertLaterThenRecheck(const std::string& title, const std::string& message) {
    ports_.mainQueue.postAfter(kAlertDelay, self_.guard([title, message](AppDelegate& self) {
        self.raisePanelCount();
        // The alert's own event loop may end us: what follows it checks again.
        auto afterAlert = self.self_.guard([](AppDelegate& later) {
            later.lowerPanelCount();
            later.recheckAfterCountedWindow();
        });
        self.showAlert(title, message, AlertStyle::Critical);
        afterAlert();
    }));
}

} // namespace quillet::helper
