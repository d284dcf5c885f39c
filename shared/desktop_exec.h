// The Exec line of desktop entries: arguments quoted so that the desktop's
// launcher hands them over unchanged, whatever characters a path holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// One argument as the desktop entry rules want it: in double quotes, with
// ", `, $ and \ escaped, when it holds a reserved character; "%" doubled so
// it is never read as a field code. The result is the unescaped value: the
// key-file writer adds its own escaping level on top.
std::string desktopExecArgument(std::string_view argument);

// The arguments joined by spaces, each quoted as above.
std::string desktopExecLine(const std::vector<std::string>& arguments);

// The Exec value of an entry that runs the program at the absolute path
// `program`. GIO looks the program up before it turns "%%" back into "%",
// so it refuses an entry whose program path holds one (and a GLib session
// then never runs it): such a path is handed to /bin/sh as an argument,
// where "%%" is undone like any other, and the shell runs it.
std::string desktopExecForProgram(std::string_view program);

// The same for a POSIX shell: always in single quotes.
std::string shellQuoted(std::string_view argument);

} // namespace quillet
