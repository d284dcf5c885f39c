// The rules of the Locations pane: the working copy of `monitoredPaths`, the
// external-drives option, and how it differs from the Templates pane: folders
// only, taken as they are (no copy, no duplicate check), nothing on disk
// touched by removal, a fresh store handle for every save.
#pragma once

#include "record_list_model.h"

#include "shared/localized_strings.h"
#include "shared/settings_store.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace quillet::app {

enum class LocationColumn { Enabled, Path };

class LocationsModel final : public RecordListModel {
public:
    using StoreFactory = std::function<SettingsStore()>;

    static const std::vector<LocationColumn>& columns();
    static std::string identifier(LocationColumn column); // the record key

    LocationsModel(StoreFactory openStore, NotificationCenter& notifications, Translator translate);

    Value valueAt(std::size_t row, LocationColumn column) const;
    std::string toolTip(std::size_t row, LocationColumn column) const;

    // An empty path is refused; any other path is stored unchecked.
    bool setValue(std::size_t row, LocationColumn column, const Value& value);

    // Appends the folders among the paths (anything else is skipped) and
    // saves, also when nothing was added. Returns how many were added.
    std::size_t addFolders(const std::vector<std::string>& paths);

    bool includeExternalDrives() const;
    // Stores the option and tells the extension.
    void setIncludeExternalDrives(bool include);

private:
    std::vector<Value> readStored() const override;
    // Writes `monitoredPaths` through a fresh handle and posts its refresh
    // notification.
    [[nodiscard]] Status write() override;

    StoreFactory openStore_;
    mutable SettingsStore store_;
    NotificationCenter& notifications_;
    Translator translate_;
};

} // namespace quillet::app
