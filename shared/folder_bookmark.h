// A bookmark names a folder by its path, device and inode; it resolves while
// that same folder is still at that path. Kept in the settings as the bytes of
// {"path": ..., "dev": ..., "ino": ...}.
#pragma once

#include "error.h"
#include "value.h"

#include <string>

namespace quillet {

// The bookmark of an existing folder, given by absolute path or file URL.
[[nodiscard]] Expected<Value::Data> bookmarkForFolder(const std::string& folder);

// The folder's path, while the folder the bookmark was made for is still
// there: a folder re-created under the same name is another folder.
[[nodiscard]] Expected<std::string> folderForBookmark(const Value::Data& bookmark);

} // namespace quillet
