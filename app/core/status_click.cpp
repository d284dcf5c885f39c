#include "app/core/status_click.h"

namespace quillet::app {

StatusClickAction routeStatusClick(const StatusClick& click) {
    if (click.secondaryButton || click.modifiers == kAltModifier) {
        return StatusClickAction::ShowMenu;
    }
    return StatusClickAction::TogglePopover;
}

} // namespace quillet::app
