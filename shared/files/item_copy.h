// The one copy of an item to a name that is still free: files, folders with
// everything in them, and symbolic links. It never replaces anything (a name
// that is taken fails with "File exists"); placing the copy under its final
// name, replacing or not, is the safe creation's (safe_create.h).
#pragma once

#include "shared/error.h"

#include <string>

namespace quillet {

// The action of the Error when a step of a copy fails.
inline constexpr const char* kCopyAction = "copy";

// Copies the item at `source` to `destination`, which does not exist yet.
// Files keep their holes (a sparse file stays sparse) and share their blocks
// where the file system can; permission bits are kept; symbolic links are
// copied as links. A folder is never copied into itself, which would never
// end. Each failure names the path it was about.
Status copyNewItem(const std::string& source, const std::string& destination);

// The same, but when `source` is a symbolic link, what it points to is copied
// (links inside a copied folder stay links).
Status copyNewItemFollowingLinks(const std::string& source, const std::string& destination);

} // namespace quillet
