#include "unique_name.h"

#include "item_lookup.h"
#include "shared/xdg_paths.h"

namespace quillet {

std::string uniqueNameCandidate(const std::string& wantedPath, std::uint64_t n) {
    if (n == 0) {
        return wantedPath;
    }
    const std::string folder = paths::deletingLastPathComponent(wantedPath);
    const std::string name = paths::lastPathComponent(wantedPath);
    const std::string extension = paths::pathExtension(name);
    const std::string base = paths::deletingPathExtension(name);
    std::string candidate = base + "-" + std::to_string(n);
    if (!extension.empty()) {
        candidate += "." + extension;
    }
    return paths::appendingPathComponent(folder, candidate);
}

Expected<std::string> firstFreeName(const std::string& wantedPath) {
    // No upper bound: a folder cannot hold more names than the counter reaches.
    for (std::uint64_t n = 0;; ++n) {
        std::string candidate = uniqueNameCandidate(wantedPath, n);
        const Expected<bool> taken = isNameTaken(candidate);
        if (!taken) {
            return taken.error().during("find a free name for");
        }
        if (!*taken) {
            return candidate;
        }
    }
}

} // namespace quillet
