// The templates the panel's format chooser offers.
#pragma once

#include "shared/records.h"
#include "shared/value.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace quillet::helper {

struct FormatChoice {
    Value record; // the dictionary as stored in `fileTemplates`
    FileTemplate fileTemplate;
};

class FormatChooserModel {
public:
    // The enabled records of `fileTemplates`, in stored order, plus the
    // requested record even when it is disabled (found by record equality).
    // A requested record that the array no longer holds (the templates were
    // edited while the request travelled) is appended, so that what is
    // selected is always what the panel was opened for.
    // `requested` must read as a template record.
    FormatChooserModel(const std::optional<Value::Array>& fileTemplates, const Value& requested);

    const std::vector<FormatChoice>& choices() const { return choices_; }
    // Never empty: the requested template is always among the choices.
    std::size_t requestedIndex() const { return requestedIndex_; }

private:
    std::vector<FormatChoice> choices_;
    std::size_t requestedIndex_ = 0;
};

} // namespace quillet::helper
