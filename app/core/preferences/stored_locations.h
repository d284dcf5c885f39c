// Opening and revealing what the rows of a list pane point at. A stored
// location is a path, or a "file://" URL that a user or an older version
// wrote; the panes hand over what the selected rows hold, in row order.
#pragma once

#include "shared/ports/workspace.h"

#include <string>
#include <vector>

namespace quillet::app {

// Opens the first non-empty location: a "file://" text as a URL, anything
// else as a file with its default application. The desktop's failure, if any.
[[nodiscard]] Status openFirstStoredLocation(Workspace& workspace,
                                             const std::vector<std::string>& stored);

// Shows the non-empty paths selected in a file-manager window.
[[nodiscard]] Status revealPaths(Workspace& workspace, std::vector<std::string> paths);

} // namespace quillet::app
