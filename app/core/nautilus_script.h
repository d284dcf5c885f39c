// Nautilus offers no "send to" entries but runs the user's scripts from its
// context menu: "New File from Template" in the scripts folder hands the
// selection (or the open folder) to quillet-share.
#pragma once

#include "shared/error.h"

#include <string>

namespace quillet::app {

// $XDG_DATA_HOME/nautilus/scripts/New File from Template
std::string nautilusScriptPath();

std::string nautilusScriptText(const std::string& shareExecutable);

// Puts the script in place, or brings an earlier one of ours up to date. A
// file of that name that is not ours is left alone (and the call fails with
// EEXIST). Succeeds when our script is there afterwards.
[[nodiscard]] Status installNautilusScript(const std::string& shareExecutable);

// Removes our script; a file of that name that is not ours stays, and so
// does the folder.
[[nodiscard]] Status removeNautilusScript();

} // namespace quillet::app
