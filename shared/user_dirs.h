// The user's folders as user-dirs.dirs names them (the file xdg-user-dirs
// writes, which any program may change).
#pragma once

#include <string>
#include <string_view>

namespace quillet::paths {

// The desktop folder the text of a user-dirs.dirs file names, "$HOME" read as
// `homeDir`; empty when it names none (no such line, or not a path).
std::string desktopDirFromUserDirs(std::string_view text, const std::string& homeDir);

} // namespace quillet::paths
