#include "record_list_model.h"

#include "shared/file_uri.h"
#include "shared/identifiers.h"

namespace quillet::app {

bool isRowActionEnabled(RowAction action, std::size_t selectedCount) {
    switch (action) {
    case RowAction::Remove:
    case RowAction::Reveal:
    case RowAction::EditShortcut:
        return selectedCount > 0;
    case RowAction::Open:
        return selectedCount == 1;
    case RowAction::Other:
        break;
    }
    return true;
}

RecordListModel::RecordListModel(NotificationCenter& notifications, std::string key,
                                 const char* locationField)
    : notifications_(notifications), key_(std::move(key)), locationField_(locationField) {}

RecordListModel::~RecordListModel() {
    if (observing_) {
        notifications_.removeObserver(token_);
    }
}

void RecordListModel::startObserving() {
    records_ = readStored();
    token_ = notifications_.addObserver(ids::kSuiteName,
                                        [this](const std::string&, const std::string& object) {
                                            if (object != key_ || (canReload_ && !canReload_())) {
                                                return;
                                            }
                                            // Our own saves come back too; they change nothing.
                                            if (reload() && didReload_) {
                                                didReload_();
                                            }
                                        });
    observing_ = true;
}

std::string RecordListModel::stringAt(std::size_t row, const char* field) const {
    const Value* v = records_.at(row).find(field);
    const std::string* s = v ? v->asString() : nullptr;
    return s ? *s : std::string();
}

bool RecordListModel::boolAt(std::size_t row, const char* field) const {
    const Value* v = records_.at(row).find(field);
    return v && v->asBool().value_or(false);
}

std::string RecordListModel::storedLocationAt(std::size_t row) const {
    return stringAt(row, locationField_);
}

std::string RecordListModel::pathAt(std::size_t row) const {
    // A location that is no local file URL names no path.
    return pathFromLocation(storedLocationAt(row)).valueOr(std::string());
}

RowMove RecordListModel::moveRows(const std::set<std::size_t>& rows, std::size_t dropRow) {
    RowMove move = app::moveRows(records_.size(), rows, dropRow);
    records_ = reordered(records_, move);
    saveReportingToHandler();
    return move;
}

void RecordListModel::removeRows(const std::set<std::size_t>& rows) {
    std::vector<Value> kept;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (rows.count(i) == 0) {
            kept.push_back(records_[i]);
        }
    }
    records_ = std::move(kept);
    saveReportingToHandler();
}

Status RecordListModel::save() {
    Status written = write();
    if (!written && saveFailed_) {
        saveFailed_(written.error());
    }
    return written;
}

void RecordListModel::saveReportingToHandler() {
    (void)save();
}

void RecordListModel::setSaveFailureHandler(std::function<void(const Error&)> handler) {
    saveFailed_ = std::move(handler);
}

bool RecordListModel::reload() {
    std::vector<Value> fresh = readStored();
    if (fresh == records_) {
        return false;
    }
    records_ = std::move(fresh);
    return true;
}

void RecordListModel::setExternalChangeHandlers(std::function<bool()> canReload,
                                                std::function<void()> didReload) {
    canReload_ = std::move(canReload);
    didReload_ = std::move(didReload);
}

bool RecordListModel::replaceField(std::size_t row, const std::string& field, const Value& value) {
    if (row >= records_.size()) {
        return false;
    }
    Value changed = records_[row].isDictionary() ? records_[row] : Value(Value::Dictionary{});
    if (const Value* current = changed.find(field); current != nullptr && *current == value) {
        return false;
    }
    (*changed.asDictionary())[field] = value;
    records_[row] = std::move(changed);
    saveReportingToHandler();
    return true;
}

} // namespace quillet::app
