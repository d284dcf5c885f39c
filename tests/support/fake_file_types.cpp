#include "fake_file_types.h"

namespace quillet::test {

void FakeFileTypes::add(const std::string& ext, std::optional<std::string> description,
                        std::optional<std::string> iconName) {
    types_[ext] = Entry{std::move(description), std::move(iconName)};
}

std::optional<std::string> FakeFileTypes::descriptionForExtension(const std::string& ext) const {
    ++descriptionLookups;
    auto it = types_.find(ext);
    return it == types_.end() ? std::nullopt : it->second.description;
}

std::optional<std::string> FakeFileTypes::iconNameForExtension(const std::string& ext) const {
    ++iconLookups;
    auto it = types_.find(ext);
    return it == types_.end() ? std::nullopt : it->second.iconName;
}

} // namespace quillet::test
