// Whole reads and writes on a file descriptor, retried across interruptions
// and short transfers.
#pragma once

#include "error.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace quillet {

// Everything up to the end of the file.
[[nodiscard]] Expected<std::string> readAll(int fd);
[[nodiscard]] Status writeAll(int fd, std::string_view data);

// The whole content of the file at the path.
[[nodiscard]] Expected<std::string> readFile(const std::string& path);

// Why an item of this type is not taken where a regular file is wanted, as
// one whole text for the catalogs: "not a regular file but a folder".
const char* notARegularFileReason(mode_t mode);

// Opens the file at `path` (links followed) for reading, only when it is a
// regular file, and returns its descriptor for the caller to close. A named
// pipe would block the reader until a writer comes, a device may never end:
// the type is looked at before the open and again on what was opened, and
// the open never waits. Anything else fails with `action`, the path and a
// detail that names its type.
[[nodiscard]] Expected<int> openRegularFile(const std::string& path, const std::string& action);

// The failure `openRegularFile` reports for an item of another type.
Error notARegularFile(const std::string& action, const std::string& path, mode_t mode);

} // namespace quillet
