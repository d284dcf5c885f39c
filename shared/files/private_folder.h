// A folder that only this user can enter, made fresh for one use. Files
// handed to another program through a path (a drag's staged copy) are put
// there: in a shared folder, another local user could swap them.
#pragma once

#include "shared/error.h"

#include <string>

namespace quillet {

// Makes "<parent>/<prefix>XXXXXX" with mkdtemp (never an existing folder) and
// checks what was made: a folder, not a link, owned by this user, entered by
// nobody else. Returns its path.
Expected<std::string> makePrivateFolder(const std::string& parent, const std::string& prefix);

// Whether the folder at `path` is as makePrivateFolder leaves it.
[[nodiscard]] Status checkPrivateFolder(const std::string& path);

} // namespace quillet
