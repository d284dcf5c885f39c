// Taking Quillet off the user's desktop (`quillet --uninstall`): what the
// programs wrote outside their installed files goes, what the user made
// stays. Removed: our entries in the desktops' shortcut lists, the
// start-at-login entry, the helper's user script while it is the shipped one
// unchanged, and our Nautilus script. Kept: the templates, the settings, the
// user's own shortcuts and scripts.
#pragma once

#include "shared/error.h"
#include "shared/ports/login_items.h"
#include "shared/ports/shortcut_registry.h"

#include <string>
#include <vector>

namespace quillet::app {

struct UninstallTargets {
    // Every desktop list that may hold entries of ours.
    std::vector<ShortcutRegistry*> registries;
    LoginItems& loginItems;
    std::string launcherPath;
    std::string helperScriptsDir;  // the helper's scripts folder
    std::string shippedUserScript; // the helper's resource it installs from
};

// Does all it can; what could not be removed, each with its reason (none:
// everything of ours is gone).
[[nodiscard]] std::vector<Error> uninstall(const UninstallTargets& targets);

} // namespace quillet::app
