#include "menu_model.h"

#include <charconv>

namespace quillet {

std::string actionNameForIndex(std::uint64_t index) {
    return std::string(kMenuItemActionPrefix) + std::to_string(index);
}

std::optional<std::uint64_t> indexFromActionName(std::string_view actionName) {
    if (actionName.size() <= kMenuItemActionPrefix.size()) {
        return std::nullopt;
    }
    std::string_view text = actionName.substr(kMenuItemActionPrefix.size());
    std::uint64_t index = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return index;
}

} // namespace quillet
