#include "helper/core/new_file_panel/format_chooser_model.h"

namespace quillet::helper {

FormatChooserModel::FormatChooserModel(const std::optional<Value::Array>& fileTemplates,
                                       const Value& requested) {
    std::optional<std::size_t> found;
    if (fileTemplates) {
        for (const Value& record : *fileTemplates) {
            auto fileTemplate = FileTemplate::fromValue(record);
            if (!fileTemplate) {
                continue;
            }
            const bool isRequested = record == requested;
            if (!fileTemplate->enabled && !isRequested) {
                continue;
            }
            if (isRequested && !found) {
                found = choices_.size();
            }
            choices_.push_back({record, std::move(*fileTemplate)});
        }
    }
    if (!found) {
        found = choices_.size();
        choices_.push_back(
            {requested, FileTemplate::fromValue(requested).value_or(FileTemplate{})});
    }
    requestedIndex_ = *found;
}

} // namespace quillet::helper
