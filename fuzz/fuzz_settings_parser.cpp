// Any bytes as a settings file: the parser must never crash, and whatever it
// accepts must survive being written and read back unchanged.
#include "shared/plist_json.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto first = quillet::parseSettingsText(text);
    if (!first) {
        if (first.error().reason().empty()) {
            __builtin_trap(); // a refusal carries a reason
        }
        return 0;
    }
    const auto second = quillet::parseSettingsText(*quillet::serializeSettings(*first));
    if (!second || !(quillet::Value(*second) == quillet::Value(*first))) {
        __builtin_trap();
    }
    return 0;
}
