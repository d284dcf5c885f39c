// A `fileTemplates` record as the programs store it, for tests that do not
// care about the title: it is the prefix.
#pragma once

#include "shared/records.h"

#include <string>

namespace quillet::test {

inline Value templateRecord(const std::string& prefix, const std::string& suffix,
                            const std::string& file, bool executable = false, bool enabled = true) {
    return FileTemplate{.enabled = enabled,
                        .title = prefix,
                        .filePath = file,
                        .prefix = prefix,
                        .suffix = suffix,
                        .executable = executable}
        .toValue();
}

} // namespace quillet::test
