// The one copy of an item to a name that is still free: files, and folders
// with everything in them. It never replaces anything (a name
// that is taken fails with "File exists"); placing the copy under its final
// name, replacing or not, is the safe creation's (safe_create.h).
#pragma once

#include "shared/error.h"

#include <string>

namespace quillet {

// The action of the Error when a step of a copy fails.
inline constexpr const char* kCopyAction = "copy";

// Copies the item at `source` to `destination`, which does not exist yet.
// `source` is what its path leads to: a link is followed, so that a template
// kept as a link (in a dotfiles repository, say) is copied, not linked to.
// It must be a regular file or a folder; a named pipe, a device or a socket
// is refused without being opened for long or waited on. Files keep their
// holes (a sparse file stays sparse) and share their blocks where the file
// system can; permission bits are kept. Inside a folder, a link that leads
// out of the folder stays a link, and what a link inside it points to is
// copied, so that nothing in the copy leads back into the original. A folder
// is never copied into itself, which would never end. Each failure names the
// path it was about.
Status copyNewItem(const std::string& source, const std::string& destination);

} // namespace quillet
