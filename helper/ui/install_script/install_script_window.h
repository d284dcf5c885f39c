// The manual installation of the user script: a window that shows the script
// as an icon to drag into the scripts folder of a file manager, with its file
// name, an instruction, "Copy path", "Open folder" and the shell command that
// copies it. A drop that puts the script into the folder closes the window.
#pragma once

#include "shared/localized_strings.h"
#include "shared/ports/workspace.h"

#include <string>

namespace quillet::helper {

// Runs the window modally; returns once it has closed. Without a display it
// returns at once.
void runInstallScriptWindow(const std::string& scriptPath, const std::string& destDir,
                            Workspace& workspace, const Translator& translate);

} // namespace quillet::helper
