// Any bytes as a "file:" URI, as X clients (the Direct Save property), the
// drop-folder call and share arguments hand them over: never a crash, and an
// accepted URI is an absolute path that names this machine's host only.
// The first byte picks the host name the caller knows this machine by.
#include "shared/file_uri.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view hostName = (data[0] & 1) != 0 ? "box" : "";
    const std::string_view uri(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto path = quillet::localPathFromFileURI(uri, hostName);
    if (path && !path->starts_with('/')) {
        __builtin_trap();
    }
    const auto location = quillet::pathFromLocation(uri);
    if (location && uri.starts_with("file://") && !location->starts_with('/')) {
        __builtin_trap();
    }
    (void)quillet::hasURIScheme(uri);
    return 0;
}
