// Any bytes as a user-dirs.dirs file: never a crash, and the desktop folder
// it names, if any, is an absolute path.
#include "shared/user_dirs.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string desktop = quillet::paths::desktopDirFromUserDirs(text, "/home/me");
    if (!desktop.empty() && !desktop.starts_with('/')) {
        __builtin_trap();
    }
    return 0;
}
