// The one hot-key centre of a program, chosen once at start-up for the
// session it runs in: X11 key grabs, the desktop's global-shortcuts portal on
// Wayland where offered, and otherwise a centre that says why there are none.
#pragma once

#include "shared/ports/hot_key_center.h"
#include "shared/ports/main_queue.h"

#include <memory>
#include <string>

namespace quillet::platform {

std::unique_ptr<HotKeyCenter> makeHotKeyCenter(MainQueue& mainQueue, const std::string& appId);

} // namespace quillet::platform
