// The dates of a newly made item: it is dated "now", not when its template
// was made.
#pragma once

#include "error.h"

#include <chrono>
#include <string>

namespace quillet {

using FileClock = std::chrono::system_clock;

// Sets the modification and access dates of the item itself (a link's own
// dates, not those of the file it points to). Linux keeps a creation time but
// offers no call that sets it.
[[nodiscard]] Status updateDateForFile(FileClock::time_point date, const std::string& path);

// The same for the item and, for a folder, everything below it; every item is
// dated even when one fails, and the first failure is the answer.
[[nodiscard]] Status updateDateForPath(FileClock::time_point date, const std::string& path);

} // namespace quillet
