// The helper's global shortcuts: one hot key per template that has one,
// named after the template's position in the whole list.
#pragma once

#include "shared/ports/hot_key_center.h"
#include "shared/value.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quillet::helper {

// "shortcut" + index.
std::string hotKeyIdentifier(std::int64_t index);
// The index a hot key's identifier names; nothing for any other identifier.
std::optional<std::int64_t> indexFromHotKeyIdentifier(const std::string& identifier);

// Removes every hot key the centre holds, then registers one for each
// template with a shortcut dictionary (enabled or not), the dictionary taken
// unchanged. A press calls `pressed` with the index read back from the hot
// key's identifier.
void bindHotKeys(HotKeyCenter& center, const Value::Array& templates,
                 const std::function<void(std::int64_t index)>& pressed);

} // namespace quillet::helper
