// Whether a file could be made at a path: the path itself answers when it
// exists, else its nearest existing ancestor (where the missing folders would
// be created).
#pragma once

#include "error.h"

#include <string>

namespace quillet {

// Success when writable; else an error whose path is the item that answered
// (a folder with a trailing slash) and whose reason is the system's
// ("Permission denied", "Read-only file system").
[[nodiscard]] Status checkWritableOrCreatable(const std::string& path);

inline bool isWritableOrCreatable(const std::string& path) {
    return static_cast<bool>(checkWritableOrCreatable(path));
}

} // namespace quillet
