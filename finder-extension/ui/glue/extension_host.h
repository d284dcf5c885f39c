// Everything a file-manager module keeps while the file manager has it
// loaded: the platform adapters, the extension's logic and its name on the
// session bus. Every module (one per file manager) runs the same host.
#pragma once

#include "active_location_service.h"
#include "finder-extension/core/finder_sync.h"
#include "platform/linux/dbus_creation_request_sender.h"
#include "platform/linux/dbus_notification_center.h"
#include "platform/linux/gettext_translator.h"
#include "platform/linux/gio_file_types.h"
#include "platform/linux/gio_volume_monitor.h"
#include "platform/linux/glib_main_queue.h"
#include "window_tracker.h"

#include <memory>
#include <string>

namespace quillet::module {

// What tells one module from another.
struct ModuleIdentity {
    // The well-known name owned while loaded: the rest of the suite asks
    // whether any name of the extension's family has an owner.
    const char* busName;
    // From the folder the file manager loads the module from to the
    // install's data folder, for a prefix install and the build tree.
    const char* moduleToDatadir;
    // Which file manager this is, as creation requests name it for the
    // helper ("nautilus", "nemo", "caja", "thunar", "dolphin").
    const char* fileManager;
    // How the module follows the windows, for the folder of the active one;
    // null where it cannot.
    const WindowFolders* windows = nullptr;
};

class ExtensionHost {
public:
    // Main thread only: the adapters attach to the default main context.
    explicit ExtensionHost(const ModuleIdentity& identity);
    ~ExtensionHost();

    ExtensionHost(const ExtensionHost&) = delete;
    ExtensionHost& operator=(const ExtensionHost&) = delete;

    FinderSync& finderSync() { return *finderSync_; }
    // Null where the module does not follow the windows.
    WindowTracker* windowTracker() { return windowTracker_.get(); }
    // For a module that follows its windows itself (Dolphin's): what the
    // bus object publishes from now on.
    void publishActiveLocation(const ActiveLocation& location) {
        activeLocation_.publish(location);
    }
    // The module's own texts in the user's language.
    std::string translate(const std::string& text) const { return translator_(text); }

    // The host of the loaded module, or null before initialisation, after
    // shutdown, or when start-up failed.
    static ExtensionHost* current();
    static void start(const ModuleIdentity& identity);
    static void stop();

private:
    platform::GLibMainQueue mainQueue_;
    platform::DBusNotificationCenter notifications_;
    platform::GioVolumeMonitor volumes_;
    platform::GioFileTypes fileTypes_;
    platform::DBusCreationRequestSender requests_;
    platform::GettextTranslator translator_;
    std::unique_ptr<FinderSync> finderSync_;
    ActiveLocationService activeLocation_;
    std::unique_ptr<WindowTracker> windowTracker_;
    std::string busName_;
    unsigned busNameOwner_ = 0;
    // Where another process of the file manager holds busName_.
    unsigned instanceNameOwner_ = 0;
};

// A window of the file manager shows this location (a URI): for the folder
// of the active window. Does nothing without a host that follows windows.
void windowShowsLocation(GObject* window, const char* uri) noexcept;

// Where the module's resources are: <prefix>/share/quillet/finder-extension,
// found from the module's own location so that a prefix install and the
// build tree work as well as a system install.
std::string moduleResourcesDir(const char* moduleToDatadir);

} // namespace quillet::module
