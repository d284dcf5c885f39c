// Any bytes as a creation request, as the helper reads it: never a crash, and
// what it accepts is what the rules allow (an absolute folder path of at most
// PATH_MAX bytes without NUL, "." or "..", an index of digits) and reads back
// the same from the request the suite would send for it.
#include "helper/core/intake/creation_request.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const auto request = quillet::helper::readCreationRequest(url);
    if (!request) {
        if (request.error().detail().empty()) {
            __builtin_trap(); // a refusal says why
        }
        return 0;
    }
    const std::string& folder = request->folderPath;
    if (!folder.starts_with('/') || folder.size() > quillet::helper::kMaxFolderPathLength ||
        folder.find('\0') != std::string::npos || folder.find("/./") != std::string::npos ||
        folder.find("/../") != std::string::npos || folder.ends_with("/.") ||
        folder.ends_with("/..") || request->index < 0) {
        __builtin_trap();
    }
    const auto again = quillet::helper::readCreationRequest(
        quillet::makeRequestURL(folder, static_cast<std::uint64_t>(request->index)));
    if (!again || again->folderPath != folder || again->index != request->index) {
        __builtin_trap();
    }
    return 0;
}
