#include "finder_sync.h"

#include "monitored_paths.h"
#include "shared/fd_io.h"
#include "shared/files/item_lookup.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/plist_json.h"
#include "shared/records.h"
#include "shared/request_url.h"
#include "shared/xdg_paths.h"

namespace quillet {

namespace {

Value::Dictionary readDefaults(const std::string& file) {
    if (file.empty()) {
        return {};
    }
    Expected<std::string> text = readFile(file);
    if (!text) {
        return {};
    }
    return parseSettingsText(*text).valueOr(Value::Dictionary{});
}

} // namespace

FinderSync::FinderSync(FinderSyncPorts ports, FinderSyncOptions options)
    : ports_(std::move(ports)), options_(std::move(options)) {
    if (!ports_.translate) {
        ports_.translate = [](const std::string& text) { return text; };
    }
    if (!options_.mediaRoots) {
        options_.mediaRoots = [] { return paths::removableMediaRoots(); };
    }

    sharedDefaults_ = std::make_unique<SettingsStore>(ids::kSuiteName);
    sharedDefaults_->registerDefaults(readDefaults(options_.defaultsFile));
    // Submenus are always available here; the flag stays for the menu rules.
    shouldCascadeMenu_ = true;
    driveScan_ = std::make_unique<DriveScan>(
        ports_.mainQueue, [roots = options_.mediaRoots] { return externalDriveFolders(roots()); },
        [this](std::vector<std::string> drives) { drivesScanned(std::move(drives)); });
    loadMonitoredPaths();

    const SettingsStore* store = sharedDefaults_.get();
    fileIcons_ = std::make_unique<IconCache>(
        ports_.fileTypes, [store] { return store->objectForKey(keys::kFileTemplates); });
    cacheFileIcons();

    refreshObserver_ = ports_.notifications.addObserver(
        ids::kSuiteName,
        [this](const std::string&, const std::string& object) { userDefaultsDidChange(object); });
    ports_.volumes.setHandlers([this](const std::string& path) { workspaceDidMount(path); },
                               [this](const std::string& path) { workspaceWillUnmount(path); });
}

FinderSync::~FinderSync() {
    alive_.revoke();
    driveScan_.reset();
    ports_.notifications.removeObserver(refreshObserver_);
    ports_.volumes.setHandlers({}, {});
}

void FinderSync::loadMonitoredPaths() {
    Value records = sharedDefaults_->objectForKey(keys::kMonitoredPaths);
    directoryURLs_ = MonitoredSet();
    includeDrives_ = sharedDefaults_->boolForKey(keys::kIncludeExternalDrives);
    configuredFolders_ = monitoredFolders(records, false, {});
    directoryURLs_ = MonitoredSet(configuredFolders_);
    if (includeDrives_) {
        driveScan_->request();
    }
}

void FinderSync::drivesScanned(std::vector<std::string> drives) {
    if (!includeDrives_) {
        return; // switched off while the scan ran
    }
    std::vector<std::string> folders = configuredFolders_;
    folders.insert(folders.end(), drives.begin(), drives.end());
    directoryURLs_ = MonitoredSet(folders);
}

bool FinderSync::selectionIsOneFolder(const FinderSelection& selection) const {
    const auto& selected = selection.selectedItemURLs;
    if (selected.size() != 1) {
        return false;
    }
    if (selection.selectedItemIsFolder.size() == selected.size()) {
        return selection.selectedItemIsFolder.front();
    }
    return isDir(selected.front());
}

void FinderSync::userDefaultsDidChange(const std::string& object) {
    if (object == keys::kMonitoredPaths || object == keys::kIncludeExternalDrives) {
        loadMonitoredPaths();
    } else if (object == keys::kFileTemplates) {
        cacheFileIcons();
    }
}

void FinderSync::workspaceDidMount(const std::string&) {
    // Whether drives are served at all is decided by the recomputation.
    loadMonitoredPaths();
}

void FinderSync::workspaceWillUnmount(const std::optional<std::string>& devicePath) {
    if (!devicePath || devicePath->empty()) {
        return;
    }
    std::string prefix = *devicePath;
    if (prefix.back() != '/') {
        prefix.push_back('/');
    }
    if (directoryURLs_.isNull()) {
        return;
    }
    // The filter runs on the set as it is when the task runs, not on a copy
    // taken now: a mount reported in the same change may have recomputed the
    // set meanwhile, and a stale copy would drop the new drive again.
    ports_.mainQueue.post(alive_.guard([prefix = std::move(prefix)](FinderSync& self) {
        if (self.directoryURLs_.isNull()) {
            return;
        }
        std::vector<std::string> remaining;
        for (const auto& folder : self.directoryURLs_.folders()) {
            // The mount point itself does not begin with "<mount point>/" and
            // stays until the next recomputation, as the settings may name it.
            if (!std::string_view(folder).starts_with(prefix)) {
                remaining.push_back(folder);
            }
        }
        self.directoryURLs_ = MonitoredSet(remaining);
    }));
}

std::shared_ptr<const Menu> FinderSync::cachedMenu(MenuKind kind, const FinderSelection& selection,
                                                   bool& hideMenuForFiles) const {
    const auto slot = static_cast<std::size_t>(kind);
    if (slot >= menuCache_.size()) {
        return nullptr;
    }
    MenuCacheEntry& entry = menuCache_[slot];
    // Both are taken before the menu is built: a change made meanwhile then
    // leaves a stale key, and the next click builds again.
    const std::uint64_t generation = sharedDefaults_->generation();
    std::shared_ptr<const IconCache::Table> icons = fileIcons_->table();
    if (!entry.menu || entry.storeGeneration != generation || entry.icons != icons) {
        entry.storeGeneration = generation;
        entry.icons = std::move(icons);
        entry.hideMenuForFiles = sharedDefaults_->boolForKey(keys::kHideMenuForFiles);
        entry.menu = std::make_shared<const Menu>(buildMenu(kind, std::nullopt, entry.anyLimited));
    }
    hideMenuForFiles = entry.hideMenuForFiles;
    if (!entry.anyLimited) {
        return entry.menu;
    }
    const std::optional<std::string> folder = creationFolder(selection);
    if (!folder) {
        return entry.menu;
    }
    bool anyLimited = false;
    return std::make_shared<const Menu>(buildMenu(kind, folder, anyLimited));
}

Menu FinderSync::buildMenu(MenuKind kind, const std::optional<std::string>& folder,
                           bool& anyLimited) const {
    Menu root;
    bool cascade = shouldCascadeMenu_ && sharedDefaults_->boolForKey(keys::kCascadeMenu);
    bool submenu = cascade && kind != MenuKind::ToolbarItemMenu;
    std::string pattern = cascade ? "%@" : localizedStringForKey(keys::kNewFormatText);

    Menu entries;
    anyLimited = false;
    auto templates = fileTemplatesFrom(sharedDefaults_->objectForKey(keys::kFileTemplates));
    bool showIcons = sharedDefaults_->boolForKey(keys::kShowFileIcon);
    auto icons = fileIcons_->table();
    for (std::size_t index = 0; index < templates.size(); ++index) {
        const auto& record = templates[index];
        if (!record || !record->enabled) {
            continue;
        }
        anyLimited = anyLimited || !record->limitedToPaths.empty();
        if (!record->isOfferedIn(folder)) {
            continue;
        }
        MenuItem item;
        item.title = formatWithTitle(pattern, record->title);
        item.actionName = actionNameForIndex(index);
        item.identifier = std::string(kMenuItemIdentifierPrefix) + item.actionName;
        if (showIcons && !record->suffix.empty()) {
            if (auto it = icons->find(record->suffix); it != icons->end()) {
                item.iconName = it->second;
            }
        }
        entries.items.push_back(std::move(item));
    }

    if (submenu) {
        MenuItem newFile;
        newFile.title = localizedStringForKey(keys::kNewFileText);
        newFile.identifier = kSubmenuIdentifier;
        newFile.submenu = std::make_shared<const Menu>(std::move(entries));
        root.items.push_back(std::move(newFile));
    } else {
        root.items = std::move(entries.items);
    }
    return root;
}

std::shared_ptr<const Menu> FinderSync::sharedMenu(MenuKind kind,
                                                   const FinderSelection& selection) const {
    bool hideMenuForFiles = false;
    std::shared_ptr<const Menu> menu = cachedMenu(kind, selection, hideMenuForFiles);
    if (kind == MenuKind::ContextualMenuForItems && hideMenuForFiles &&
        selection.selectedItemURLs.size() == 1 && !selectionIsOneFolder(selection)) {
        return nullptr;
    }
    return menu;
}

std::shared_ptr<const Menu> FinderSync::menuForClick(MenuKind kind,
                                                     const FinderSelection& selection) const {
    if (!selection.targetedURL || !directoryURLs_.serves(*selection.targetedURL)) {
        return nullptr;
    }
    return sharedMenu(kind, selection);
}

std::optional<Menu> FinderSync::menuForMenuKind(MenuKind kind,
                                                const FinderSelection& selection) const {
    if (auto menu = sharedMenu(kind, selection)) {
        return *menu;
    }
    return std::nullopt;
}

std::optional<Menu> FinderSync::menuForServedFolder(MenuKind kind,
                                                    const FinderSelection& selection) const {
    if (auto menu = menuForClick(kind, selection)) {
        return *menu;
    }
    return std::nullopt;
}

Expected<std::string> FinderSync::menuItemAction(const std::string& actionName,
                                                 const FinderSelection& selection) {
    constexpr const char* kAction = "send the creation request";
    auto index = indexFromActionName(actionName);
    if (!index) {
        return Error::withDetail(kAction, {}, "the menu entry " + actionName + " has no index");
    }
    const std::optional<std::string>& folder = selectionIsOneFolder(selection)
                                                   ? selection.selectedItemURLs.front()
                                                   : selection.targetedURL;
    if (!folder) {
        return Error::withDetail(kAction, {}, "no folder is selected or shown");
    }
    auto path = creationFolder(selection);
    if (!path) {
        return Error::withDetail(kAction, *folder, "not a local folder");
    }
    std::string url = makeRequestURL(*path, *index);
    ports_.requests.send(url);
    return url;
}

std::optional<std::string> FinderSync::creationFolder(const FinderSelection& selection) const {
    if (selectionIsOneFolder(selection)) {
        return normalizedFolderPath(selection.selectedItemURLs.front());
    }
    if (!selection.targetedURL) {
        return std::nullopt;
    }
    return normalizedFolderPath(*selection.targetedURL);
}

std::string FinderSync::localizedStringForKey(const std::string& key) const {
    return quillet::localizedStringForKey(*sharedDefaults_, key, ports_.translate);
}

std::string FinderSync::toolbarItemName() const {
    return localizedStringForKey(keys::kAppNameText);
}

std::string FinderSync::toolbarItemToolTip() const {
    return localizedStringForKey(keys::kAppNameText);
}

void FinderSync::cacheFileIcons() {
    fileIcons_->rebuild();
}

bool FinderSync::isDir(const std::string& path) {
    return isFolder(path);
}

} // namespace quillet
