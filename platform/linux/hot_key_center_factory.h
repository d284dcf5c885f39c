// The one hot-key centre of a program, chosen once at start-up for the
// session it runs in: X11 key grabs, the desktop's global-shortcuts portal on
// Wayland where offered, and otherwise a centre that says why there are none.
#pragma once

#include "shared/ports/hot_key_center.h"
#include "shared/ports/main_queue.h"
#include "shared/ports/shortcut_registry.h"

#include <memory>
#include <string>
#include <vector>

namespace quillet::platform {

std::unique_ptr<HotKeyCenter> makeHotKeyCenter(MainQueue& mainQueue, const std::string& appId);

// How a program's shortcuts reach the desktop. Where the desktop
// (XDG_CURRENT_DESKTOP) keeps a list of custom shortcuts, `registry` is that
// list and `hotKeys` only answers whether a combination is free; elsewhere
// there is no registry and `hotKeys` is the centre above.
struct ShortcutMechanism {
    std::unique_ptr<ShortcutRegistry> registry;
    std::unique_ptr<HotKeyCenter> hotKeys;
    // For the Templates pane, in English: which mechanism is in use, or why
    // there is none.
    std::string description;
};

ShortcutMechanism makeShortcutMechanism(MainQueue& mainQueue, const std::string& appId);

// Every desktop's list that may hold entries of ours, whichever desktop runs
// now (a user may have used several): those whose settings are installed;
// KDE's only when we registered there, so that its daemon is not started
// (and its keys grabbed) in another desktop's session.
std::vector<std::unique_ptr<ShortcutRegistry>> openRegistriesHoldingOurEntries();

} // namespace quillet::platform
