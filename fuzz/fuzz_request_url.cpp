// Any bytes as a creation request URL: parsing must never crash, escaping
// must be undone exactly by decoding, and a request made from a parsed folder
// must parse back to the same folder and index.
#include "shared/request_url.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (quillet::percentDecode(quillet::percentEncodePath(text)) != text) {
        __builtin_trap();
    }
    auto request = quillet::parseRequestURL(text);
    if (!request) {
        return 0;
    }
    if (request->folderPath.starts_with("/") && request->index >= 0) {
        std::string url = quillet::makeRequestURL(request->folderPath,
                                                  static_cast<std::uint64_t>(request->index));
        auto again = quillet::parseRequestURL(url);
        if (!again || again->folderPath != request->folderPath || again->index != request->index) {
            __builtin_trap();
        }
    }
    return 0;
}
