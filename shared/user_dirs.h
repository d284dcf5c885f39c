// The user's folders as user-dirs.dirs names them (the file xdg-user-dirs
// writes, which any program may change).
#pragma once

#include <string>
#include <string_view>

namespace quillet::paths {

// The value of one XDG user directory (`key` such as "XDG_TEMPLATES_DIR") in
// the text of a user-dirs.dirs file, read as xdg-user-dirs writes it:
// `KEY="$HOME/Name"` or `KEY="/absolute"`, backslash escapes, "#" comments,
// the last line for a key winning. Empty when the key is absent or its value
// is neither absolute nor below "$HOME".
std::string userDirectory(std::string_view userDirsText, std::string_view key,
                          const std::string& home);

} // namespace quillet::paths
