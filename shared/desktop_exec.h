// The Exec line of desktop entries: arguments quoted so that the desktop's
// launcher hands them over unchanged, whatever characters a path holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// One argument as the desktop entry rules want it: in double quotes, with
// ", `, $ and \ escaped, when it holds a reserved character; "%" doubled so
// it is never read as a field code. The result is the unescaped value: the
// key-file writer adds its own escaping level on top.
std::string desktopExecArgument(std::string_view argument);

// The arguments joined by spaces, each quoted as above.
std::string desktopExecLine(const std::vector<std::string>& arguments);

// The same for a POSIX shell: always in single quotes.
std::string shellQuoted(std::string_view argument);

} // namespace quillet
