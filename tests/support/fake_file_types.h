// A file-type table filled by the test.
#pragma once

#include "shared/ports/file_types.h"

#include <map>
#include <optional>
#include <string>

namespace quillet::test {

class FakeFileTypes final : public FileTypes {
public:
    // Either part may be left out; an extension not added is unknown.
    void add(const std::string& ext, std::optional<std::string> description,
             std::optional<std::string> iconName = std::nullopt);

    std::optional<std::string> descriptionForExtension(const std::string& ext) const override;
    std::optional<std::string> iconNameForExtension(const std::string& ext) const override;

    // How often each lookup was made, for tests of caches.
    mutable int descriptionLookups = 0;
    mutable int iconLookups = 0;

private:
    struct Entry {
        std::optional<std::string> description;
        std::optional<std::string> iconName;
    };
    std::map<std::string, Entry> types_;
};

} // namespace quillet::test
