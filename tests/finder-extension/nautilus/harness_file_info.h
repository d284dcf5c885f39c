// A file as the file manager describes it to extensions: a GObject that
// implements NautilusFileInfo over a real location.
#pragma once

#include <nautilus-extension.h>

#include <string>

namespace quillet::test {

// A new reference; the directory flag is read from the file system as the
// file manager would have it.
NautilusFileInfo* newFileInfoForPath(const std::string& path);
// The file manager's own knowledge of the item, as it has it for an item on a
// mount that no longer answers: the file system is never asked.
NautilusFileInfo* newFileInfoForPath(const std::string& path, bool isDirectory);
// Any URI, for locations that are not local files.
NautilusFileInfo* newFileInfoForUri(const std::string& uri);

} // namespace quillet::test
