// What stands at the user script's name, judged before the helper runs it or
// puts a fresh copy there. The helper runs whatever is at that name at every
// shortcut press, so, as ssh does with keys, it refuses a script that anyone
// but the user could change; and one that cannot run at all is a broken
// installation to repair, not a failure to repeat at every press.
#pragma once

#include "shared/error.h"

#include <string>
#include <sys/types.h>

namespace quillet::helper {

enum class UserScriptPresence {
    Runnable, // a file (or a link to one) of the user's, executable, that only they can change
    Absent,   // nothing at the name, not even a link: the helper installs it
};

// The action of the Error when a script is there but cannot be used.
inline constexpr const char* kUserScriptCheckAction = "use the user script";

// Looks at `path` for a user whose id is `userId`. An Error means something is
// at the name that must not run: isUnsafeUserScript() tells whether others
// could change it (refused as it stands), otherwise it cannot run (a folder,
// a link to nothing, no execute permission) and a reinstall repairs it.
Expected<UserScriptPresence> checkUserScript(const std::string& path, uid_t userId);

bool isUnsafeUserScript(const Error& error);

// Installs the shipped script at `path` as a new item: mode 0755 whatever the
// shipped file's mode, and never over anything at the name, a link to
// nothing included (it fails with "File exists" and leaves it alone).
[[nodiscard]] Status installUserScript(const std::string& shippedScript, const std::string& path);

// Moves what is at `path` aside to the first free name of "<path>.old" so
// that a reinstall loses nothing the user had there; returns where it went.
Expected<std::string> moveUserScriptAside(const std::string& path);

} // namespace quillet::helper
