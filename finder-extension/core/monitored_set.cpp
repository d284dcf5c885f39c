#include "monitored_set.h"

#include <algorithm>

namespace quillet {

namespace {

// What normalizedFolderPath would return unchanged.
bool isNormalizedFolderPath(std::string_view path) {
    return !path.empty() && path.front() == '/' && path.find("//") == std::string_view::npos &&
           (path.size() == 1 || path.back() != '/');
}

} // namespace

std::optional<std::string> normalizedFolderPath(std::string_view path) {
    if (isNormalizedFolderPath(path)) {
        return std::string(path);
    }
    if (path.empty() || path.front() != '/') {
        return std::nullopt;
    }
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/') {
            continue;
        }
        out.push_back(c);
    }
    while (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    return out;
}

bool isAtOrBelow(std::string_view path, std::string_view folder) {
    if (folder == "/") {
        return !path.empty() && path.front() == '/';
    }
    if (!path.starts_with(folder)) {
        return false;
    }
    return path.size() == folder.size() || path[folder.size()] == '/';
}

MonitoredSet::MonitoredSet(const std::vector<std::string>& folders)
    : folders_(std::vector<std::string>{}) {
    for (const auto& folder : folders) {
        if (std::find(folders_->begin(), folders_->end(), folder) == folders_->end()) {
            folders_->push_back(folder);
        }
    }
}

const std::vector<std::string>& MonitoredSet::folders() const {
    static const std::vector<std::string> kNone;
    return folders_ ? *folders_ : kNone;
}

bool MonitoredSet::serves(std::string_view folder) const {
    if (!folders_) {
        return false;
    }
    // The file manager's paths are normal already: no copy for them.
    std::optional<std::string> normalized;
    if (!isNormalizedFolderPath(folder)) {
        normalized = normalizedFolderPath(folder);
        if (!normalized) {
            return false;
        }
        folder = *normalized;
    }
    return std::any_of(folders_->begin(), folders_->end(),
                       [&](const std::string& served) { return isAtOrBelow(folder, served); });
}

} // namespace quillet
