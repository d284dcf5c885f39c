// Any bytes as a settings file: the parser must never crash, and whatever it
// accepts must survive being written and read back unchanged.
#include "shared/plist_json.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    quillet::ParseResult first = quillet::parseSettingsText(text);
    if (!first.ok) {
        if (!first.values.empty() || first.error.empty()) {
            __builtin_trap(); // a refusal carries a reason and no values
        }
        return 0;
    }
    quillet::ParseResult second =
        quillet::parseSettingsText(*quillet::serializeSettings(first.values));
    if (!second.ok || !(quillet::Value(second.values) == quillet::Value(first.values))) {
        __builtin_trap();
    }
    return 0;
}
