// Whole reads and writes on a file descriptor, retried across interruptions
// and short transfers.
#pragma once

#include "error.h"

#include <string>
#include <string_view>

namespace quillet {

// Everything up to the end of the file.
[[nodiscard]] Expected<std::string> readAll(int fd);
[[nodiscard]] Status writeAll(int fd, std::string_view data);

// The whole content of the file at the path.
[[nodiscard]] Expected<std::string> readFile(const std::string& path);

} // namespace quillet
