// Which of its two faces the tray item shows for a click: the status menu or
// the template popover.
#pragma once

#include <cstdint>

namespace quillet::app {

// Keyboard modifiers held at the moment of a click.
enum Modifier : std::uint32_t {
    kNoModifier = 0,
    kShiftModifier = 1u << 0,
    kControlModifier = 1u << 1,
    kAltModifier = 1u << 2,
    kMetaModifier = 1u << 3,
};

struct StatusClick {
    bool secondaryButton = false; // the right button (a context request)
    std::uint32_t modifiers = kNoModifier;
};

enum class StatusClickAction { ShowMenu, TogglePopover };

// The right button, or Alt held alone, opens the menu; any other click
// (Alt with Shift included) the popover.
StatusClickAction routeStatusClick(const StatusClick& click);

} // namespace quillet::app
