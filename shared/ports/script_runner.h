// Runs a user script in its own process and hands back what it printed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

struct ScriptOutcome {
    // Nothing when the script ran and ended with status 0; otherwise why not
    // ("... ended with status 3", "... was ended by signal 9").
    std::optional<std::string> error;
    std::string standardOutput; // the bytes it wrote, read to the end
};

class ScriptRunner {
public:
    // Runs on a worker thread, never on the caller's.
    using Completion = std::function<void(ScriptOutcome outcome)>;

    virtual ~ScriptRunner() = default;

    // Starts the script with these arguments, standard output on a pipe,
    // standard input empty. Answers why it could not be started (missing, not
    // executable), in which case the completion never runs; otherwise nothing,
    // and the completion runs once the script has ended.
    [[nodiscard]] virtual std::optional<std::string> run(const std::string& scriptPath,
                                                         const std::vector<std::string>& arguments,
                                                         Completion completion) = 0;
};

} // namespace quillet
