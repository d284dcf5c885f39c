// Runs a user script in its own process and hands back what it printed.
#pragma once

#include "shared/error.h"

#include <functional>
#include <string>
#include <vector>

namespace quillet {

class ScriptRunner {
public:
    // What the script wrote to its standard output, read to the end, when it
    // ran and ended with status 0; otherwise why not. Runs on a worker
    // thread, never on the caller's.
    using Completion = std::function<void(Expected<std::string> standardOutput)>;

    virtual ~ScriptRunner() = default;

    // Starts the script with these arguments, standard output on a pipe,
    // standard input empty. An error when it could not be started (missing,
    // not executable), in which case the completion never runs; otherwise the
    // completion runs once the script has ended.
    [[nodiscard]] virtual Status run(const std::string& scriptPath,
                                     const std::vector<std::string>& arguments,
                                     Completion completion) = 0;
};

// The actions of a script's errors: it could not be run (started, read,
// waited for), or it ran and did not finish well; the error's path is the
// script.
inline constexpr const char* kScriptRunAction = "run";
inline constexpr const char* kScriptFinishAction = "finish";

// A script's failure as a person reads it: "<script>: Permission denied" when
// it could not be run, "<script> ended with status 3" or "<script> was ended
// by signal 9" when it did not finish well.
inline std::string scriptFailureText(const Error& error) {
    const char* joint = error.action() == kScriptFinishAction ? " " : ": ";
    return error.path() + joint + error.reason();
}

} // namespace quillet
