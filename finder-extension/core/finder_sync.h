// The extension's logic: which folders get the "New File" menu, what the menu
// holds, and the creation request a chosen entry sends to the helper. The
// file-manager module only translates its callbacks into these calls.
#pragma once

#include "drive_scan.h"
#include "icon_cache.h"
#include "menu_model.h"
#include "monitored_set.h"
#include "shared/error.h"
#include "shared/localized_strings.h"
#include "shared/ports/file_types.h"
#include "shared/ports/main_queue.h"
#include "shared/ports/notification_center.h"
#include "shared/ports/request_sender.h"
#include "shared/ports/volume_monitor.h"
#include "shared/settings_store.h"
#include "shared/while_alive.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

struct FinderSyncPorts {
    NotificationCenter& notifications;
    VolumeMonitor& volumes;
    MainQueue& mainQueue;
    const FileTypes& fileTypes;
    CreationRequestSender& requests;
    // The extension's own translation of an English text; empty: the text itself.
    Translator translate;
};

struct FinderSyncOptions {
    // The registered defaults (a settings file); missing or unreadable: none.
    std::string defaultsFile;
    // Folders whose subfolders are the external drives; empty: the desktop's
    // removable-media roots.
    std::function<std::vector<std::string>()> mediaRoots;
};

// What the user acted on, as local paths.
struct FinderSelection {
    // The folder shown or containing the selection; nothing when not known.
    std::optional<std::string> targetedURL;
    std::vector<std::string> selectedItemURLs;
    // Whether each selected item is a folder, in the same order, as the file
    // manager already knows it. Empty: the extension looks at the disk, which
    // on a hung mount would freeze the file manager's main thread.
    std::vector<bool> selectedItemIsFolder = {};
};

class FinderSync {
public:
    // Opens the shared store, registers the defaults, computes the served
    // folders, starts the icon cache and begins observing, in that order.
    FinderSync(FinderSyncPorts ports, FinderSyncOptions options = {});
    ~FinderSync();

    FinderSync(const FinderSync&) = delete;
    FinderSync& operator=(const FinderSync&) = delete;

    // Recomputes the served folders from the settings at once; the mounted
    // drives are listed off the main thread and join the set when found.
    void loadMonitoredPaths();
    // A refresh notification; the object names the changed key.
    void userDefaultsDidChange(const std::string& object);
    void workspaceDidMount(const std::string& mountPath);
    // Drops the served folders below the unmounting volume (a plain string
    // prefix ending in "/"); the settings are not read again here.
    void workspaceWillUnmount(const std::optional<std::string>& devicePath);

    // The menu for a kind, or nothing when none is to be shown.
    std::optional<Menu> menuForMenuKind(MenuKind kind, const FinderSelection& selection) const;
    // The same, but only where the extension serves the folder acted in.
    std::optional<Menu> menuForServedFolder(MenuKind kind, const FinderSelection& selection) const;
    // What a right click shows: menuForServedFolder, shared rather than
    // copied. The menu of a kind is built once and kept until the settings
    // or the icon cache change, so a click with nothing changed costs a look
    // at the store's watch; null for no menu.
    std::shared_ptr<const Menu> menuForClick(MenuKind kind, const FinderSelection& selection) const;

    // A chosen entry: sends the creation request for the selected folder or
    // the targeted one. Returns the URL sent; fails, sending nothing, when no
    // local folder is known or the name carries no index.
    [[nodiscard]] Expected<std::string> menuItemAction(const std::string& actionName,
                                                       const FinderSelection& selection);

    // The user's override when non-empty, else the extension's own text.
    std::string localizedStringForKey(const std::string& key) const;
    std::string toolbarItemName() const;
    std::string toolbarItemToolTip() const;

    // Rebuilds the icon cache in the background; returns at once.
    void cacheFileIcons();

    // There are no packages on this platform: a folder is a folder.
    static bool isDir(const std::string& path);

    const MonitoredSet& directoryURLs() const { return directoryURLs_; }
    const SettingsStore& sharedDefaults() const { return *sharedDefaults_; }
    const IconCache& fileIcons() const { return *fileIcons_; }
    bool shouldCascadeMenu() const { return shouldCascadeMenu_; }

private:
    void drivesScanned(std::vector<std::string> drives);
    // The single selected item is a folder (the file manager's word first).
    bool selectionIsOneFolder(const FinderSelection& selection) const;
    // The kind's menu for the settings as they are; nothing for a kind the
    // platform does not have.
    // With templates kept for some folders, the menu for the selection's
    // creation folder is built for the click instead (the folder unknown:
    // all templates).
    std::shared_ptr<const Menu> cachedMenu(MenuKind kind, const FinderSelection& selection,
                                           bool& hideMenuForFiles) const;
    // The kind's menu after the hide-for-files rule; null for no menu.
    std::shared_ptr<const Menu> sharedMenu(MenuKind kind, const FinderSelection& selection) const;
    // The entries of the templates offered in `folder`; `anyLimited` tells
    // whether some template is kept for some folders only.
    Menu buildMenu(MenuKind kind, const std::optional<std::string>& folder, bool& anyLimited) const;
    // The folder an entry creates in: the one selected folder, else the
    // folder acted in; nothing when that is not a local folder.
    std::optional<std::string> creationFolder(const FinderSelection& selection) const;

    // What a menu was built from, and the menu.
    struct MenuCacheEntry {
        std::uint64_t storeGeneration = 0;
        std::shared_ptr<const IconCache::Table> icons;
        bool hideMenuForFiles = false;
        bool anyLimited = false;
        std::shared_ptr<const Menu> menu;
    };
    mutable std::array<MenuCacheEntry, 4> menuCache_;

    FinderSyncPorts ports_;
    FinderSyncOptions options_;
    std::unique_ptr<SettingsStore> sharedDefaults_;
    bool shouldCascadeMenu_ = true;
    MonitoredSet directoryURLs_;
    // The settings' part of the set, kept to add the drives to when found.
    std::vector<std::string> configuredFolders_;
    bool includeDrives_ = false;
    std::unique_ptr<DriveScan> driveScan_;
    std::unique_ptr<IconCache> fileIcons_;
    NotificationCenter::Token refreshObserver_ = 0;
    // Work handed to the main queue checks this before touching the object.
    LifeToken<FinderSync> alive_{*this};
};

} // namespace quillet
