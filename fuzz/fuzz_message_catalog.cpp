// Any bytes as a compiled message catalog (the Localization pane reads them
// from a locale folder that a per-user install leaves writable): the reader
// must never crash, never read outside the bytes, and whatever it accepts
// holds no more text than it was given.
#include "app/core/preferences/message_catalog.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto table = quillet::app::parseMessageCatalog(bytes, "fuzz.mo");
    if (!table) {
        if (table.error().reason().empty()) {
            __builtin_trap(); // a refusal carries a reason
        }
        return 0;
    }
    std::size_t total = 0;
    for (const auto& [id, text] : *table) {
        total += id.size() + text.size();
    }
    if (total > size) {
        __builtin_trap(); // linear: no string is copied twice
    }
    return 0;
}
