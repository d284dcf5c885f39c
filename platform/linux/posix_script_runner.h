// User scripts started with posix_spawn; their standard output is read on a
// thread of their own, which also waits for the end and runs the completion.
#pragma once

#include "shared/ports/script_runner.h"

namespace quillet::platform {

class PosixScriptRunner final : public ScriptRunner {
public:
    Status run(const std::string& scriptPath, const std::vector<std::string>& arguments,
               Completion completion) override;
};

} // namespace quillet::platform
