// Whether the file manager extension runs: any module of its family owns its
// name on the session bus (Nautilus, and the modules of other file managers).
#pragma once

#include "shared/ports/workspace.h"

#include <string>
#include <vector>

namespace quillet::app {

// The extension's id and the ids of its siblings for other file managers.
std::vector<std::string> extensionFamilyIds();

bool isExtensionRunning(const Workspace& workspace);

} // namespace quillet::app
