// Any bytes as a user-dirs.dirs file: never a crash, and the folders it
// names, if any, are absolute paths.
#include "shared/user_dirs.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"XDG_DESKTOP_DIR", "XDG_TEMPLATES_DIR"}) {
        const std::string folder = quillet::paths::userDirectory(text, key, "/home/me");
        if (!folder.empty() && !folder.starts_with('/')) {
            __builtin_trap();
        }
    }
    return 0;
}
