// Whole reads and writes on a file descriptor, retried across interruptions
// and short transfers. On failure errno tells why.
#pragma once

#include <string>
#include <string_view>

namespace quillet {

// Appends nothing on failure's behalf: `out` holds what was read so far.
bool readAll(int fd, std::string& out);
bool writeAll(int fd, std::string_view data);

// The whole content of the file at the path; false (errno set) when it
// cannot be opened or read.
bool readFile(const std::string& path, std::string& out);

} // namespace quillet
