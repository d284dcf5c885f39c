// The Templates pane's per-template options (variables in the text, the
// folders a template is kept for) and the desktop's templates folder.
#include "templates_model.h"

#include "app/core/templates_folder.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/template_variables.h"

#include <algorithm>

namespace quillet::app {

std::vector<std::string> TemplatesModel::unknownVariablesAt(std::size_t row) const {
    return row < count() ? unknownVariables(stringAt(row, keys::kPrefix))
                         : std::vector<std::string>{};
}

bool TemplatesModel::setExpandsVariables(std::size_t row, bool expands) {
    return replaceField(row, keys::kExpandsVariables, expands);
}

std::vector<std::string> TemplatesModel::limitedToPathsAt(std::size_t row) const {
    if (row >= count()) {
        return {};
    }
    auto record = FileTemplate::fromValue(records_[row]);
    return record ? record->limitedToPaths : std::vector<std::string>{};
}

bool TemplatesModel::setLimitedToPaths(std::size_t row, const std::vector<std::string>& folders) {
    if (row >= count()) {
        return false;
    }
    if (!folders.empty()) {
        return replaceField(row, keys::kLimitedToPaths,
                            Value::Array(folders.begin(), folders.end()));
    }
    Value::Dictionary* record = records_[row].asDictionary();
    if (record == nullptr || record->erase(keys::kLimitedToPaths) == 0) {
        return false;
    }
    saveReportingToHandler();
    return true;
}

std::vector<std::string> TemplatesModel::folderChoicesFor(std::size_t row) const {
    std::vector<std::string> choices;
    for (const Value& value : store_.arrayForKey(keys::kMonitoredPaths).value_or(Value::Array{})) {
        auto location = MonitoredLocation::fromValue(value);
        if (location && location->path && !location->path->empty() &&
            std::find(choices.begin(), choices.end(), *location->path) == choices.end()) {
            choices.push_back(*location->path);
        }
    }
    for (const std::string& folder : limitedToPathsAt(row)) {
        if (std::find(choices.begin(), choices.end(), folder) == choices.end()) {
            choices.push_back(folder);
        }
    }
    return choices;
}

std::vector<Value> TemplatesModel::unlistedTemplatesFolderRecords(const std::string& folder) const {
    if (folder.empty()) {
        return {};
    }
    return templatesFolderRecords(folder,
                                  [this](const std::string& path) { return !isNewTemplate(path); });
}

std::size_t TemplatesModel::addReferencedTemplates(const std::vector<Value>& records) {
    records_.insert(records_.end(), records.begin(), records.end());
    saveReportingToHandler();
    return records.size();
}

} // namespace quillet::app
