#include "locations_model.h"

#include "shared/files/item_lookup.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/refresh_notification.h"

namespace quillet::app {

const std::vector<LocationColumn>& LocationsModel::columns() {
    static const std::vector<LocationColumn> all{LocationColumn::Enabled, LocationColumn::Path};
    return all;
}

std::string LocationsModel::identifier(LocationColumn column) {
    return column == LocationColumn::Enabled ? keys::kEnabled : keys::kPath;
}

LocationsModel::LocationsModel(StoreFactory openStore, NotificationCenter& notifications,
                               Translator translate)
    : RecordListModel(notifications, keys::kMonitoredPaths, keys::kPath),
      openStore_(std::move(openStore)), store_(openStore_()), notifications_(notifications),
      translate_(std::move(translate)) {
    if (!translate_) {
        translate_ = [](const std::string& text) { return text; };
    }
    startObserving();
}

std::vector<Value> LocationsModel::readStored() const {
    store_.synchronize();
    auto array = store_.arrayForKey(keys::kMonitoredPaths);
    return array ? *array : std::vector<Value>{};
}

Value LocationsModel::valueAt(std::size_t row, LocationColumn column) const {
    if (column == LocationColumn::Enabled) {
        return boolAt(row, keys::kEnabled);
    }
    return stringAt(row, keys::kPath);
}

std::string LocationsModel::toolTip(std::size_t row, LocationColumn column) const {
    if (column == LocationColumn::Enabled) {
        return translate_("Whether to add context menu for this item");
    }
    return stringAt(row, keys::kPath);
}

bool LocationsModel::setValue(std::size_t row, LocationColumn column, const Value& value) {
    if (const std::string* s = value.asString();
        column == LocationColumn::Path && s != nullptr && s->empty()) {
        return false;
    }
    return replaceField(row, identifier(column), value);
}

std::size_t LocationsModel::addFolders(const std::vector<std::string>& paths) {
    const std::size_t before = records_.size();
    for (const auto& path : paths) {
        if (isFolder(path)) {
            Value::Dictionary record;
            record[keys::kEnabled] = true;
            record[keys::kPath] = path;
            records_.emplace_back(std::move(record));
        }
    }
    saveReportingToHandler();
    return records_.size() - before;
}

bool LocationsModel::includeExternalDrives() const {
    store_.synchronize();
    return store_.boolForKey(keys::kIncludeExternalDrives);
}

void LocationsModel::setIncludeExternalDrives(bool include) {
    if (store_.setBool(keys::kIncludeExternalDrives, include)) {
        notifications_.post(ids::kSuiteName, keys::kIncludeExternalDrives);
    }
}

Status LocationsModel::write() {
    // A fresh handle: whatever another program wrote meanwhile is kept.
    SettingsStore store = openStore_();
    if (Status stored = store.setObject(keys::kMonitoredPaths, Value(records_)); !stored) {
        return stored.error().during("save the locations");
    }
    store.synchronize();
    postRefreshNotification(notifications_, keys::kMonitoredPaths);
    return {};
}

} // namespace quillet::app
