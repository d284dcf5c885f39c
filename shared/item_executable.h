// The execute bits of a newly made item.
#pragma once

#include "error.h"

#include <string>

namespace quillet {

// Sets (true) or clears (false) the three execute bits of a file, keeping
// every other permission bit. An error for a folder, a missing item, or a
// symbolic link: a link has no mode of its own on Linux, and changing the file
// it points to would reach outside the item.
[[nodiscard]] Status setItemExecutable(const std::string& path, bool executable);

} // namespace quillet
