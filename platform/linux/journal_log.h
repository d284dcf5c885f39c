// Diagnostic lines of programs that the desktop starts (the launcher at
// login, the share entry from a file manager) belong in the system journal,
// where nobody's terminal is; without a journal they go to standard error.
#pragma once

namespace quillet::platform {

// Sends this process's g_log output to the journal when one runs.
void logToJournal();

} // namespace quillet::platform
