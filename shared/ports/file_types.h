// File types as the desktop knows them (shared-mime-info and the icon theme).
#pragma once

#include <optional>
#include <string>

namespace quillet {

class FileTypes {
public:
    virtual ~FileTypes() = default;
    // The human-readable description of the type of files with this extension
    // (no dot), or nothing when the desktop knows none.
    virtual std::optional<std::string> descriptionForExtension(const std::string& ext) const = 0;
    // A themed icon name for the type ("text-x-generic"), or nothing.
    virtual std::optional<std::string> iconNameForExtension(const std::string& ext) const = 0;
};

} // namespace quillet
