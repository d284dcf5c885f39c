// Any bytes as a stored folder bookmark: never a crash; one that resolves
// names an existing folder whose fresh bookmark resolves to it again.
#include "shared/folder_bookmark.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quillet::Value::Data bookmark(data, data + size);
    const auto folder = quillet::folderForBookmark(bookmark);
    if (!folder) {
        return 0;
    }
    const auto fresh = quillet::bookmarkForFolder(*folder);
    if (!fresh) {
        return 0; // gone meanwhile, or a name the store cannot hold
    }
    const auto again = quillet::folderForBookmark(*fresh);
    if (!again || *again != *folder) {
        __builtin_trap();
    }
    return 0;
}
