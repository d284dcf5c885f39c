// The folders the extension serves: a menu is offered in each of them and in
// everything below. The extension is the only keeper of this set.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// "/a//b/" -> "/a/b"; "/" stays "/". Nothing for a path that is not absolute.
std::optional<std::string> normalizedFolderPath(std::string_view path);

// Whether `path` is `folder` or lies below it, compared component by
// component, so /data/work2 is not below /data/work. Both must be normalized.
bool isAtOrBelow(std::string_view path, std::string_view folder);

class MonitoredSet {
public:
    // No set at all, as before the first computation.
    MonitoredSet() = default;
    // The folders in order, duplicates collapsed.
    explicit MonitoredSet(const std::vector<std::string>& folders);

    bool isNull() const { return !folders_.has_value(); }
    // The folders in insertion order; empty when there is no set.
    const std::vector<std::string>& folders() const;

    // Whether a menu belongs in this folder: it is served or lies below a
    // served folder. False for a path that is not absolute.
    bool serves(std::string_view folder) const;

private:
    std::optional<std::vector<std::string>> folders_;
};

} // namespace quillet
