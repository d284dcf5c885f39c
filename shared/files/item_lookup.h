// What is at a path, looked at without changing anything.
#pragma once

#include "shared/error.h"

#include <string>

namespace quillet {

// Whether something already has this name. A symbolic link takes its name
// even when it points nowhere, so the link itself is looked at. "No such
// file" means the name is free; any other failure to look (no permission to
// search the folder, say) is an Error: a name we cannot see is neither free
// nor taken.
Expected<bool> isNameTaken(const std::string& path);

// Whether the path is a folder, or a link to one. Nothing there, or nothing
// that can be looked at, is no folder.
bool isFolder(const std::string& path);

// Whether the item at the path is itself a folder: a link, even to a folder,
// is not one.
bool isFolderItself(const std::string& path);

} // namespace quillet
