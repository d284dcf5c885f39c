// For a program that only ever deals with local files (the helper): GIO's
// file layer without the desktop's virtual file system, whose module and
// daemon connection would otherwise be set up at start, for instance by the
// mount monitor watching /etc/fstab.
#pragma once

namespace quillet::platform {

// Call first in main(), before any other thread runs. Programs this process
// launches still get the desktop's file layer.
void useLocalFilesOnly();

} // namespace quillet::platform
