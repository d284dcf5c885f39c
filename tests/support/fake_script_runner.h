// A script runner that runs nothing: each run is recorded and answered with
// the outcome the test set, from a thread of its own (as the real runner
// does), which has ended by the time run() returns.
#pragma once

#include "shared/ports/script_runner.h"

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quillet::test {

class FakeScriptRunner final : public ScriptRunner {
public:
    struct Run {
        std::string scriptPath;
        std::vector<std::string> arguments;
    };

    Status run(const std::string& scriptPath, const std::vector<std::string>& arguments,
               Completion completion) override {
        runs.push_back({scriptPath, arguments});
        if (startError) {
            return *startError;
        }
        std::thread worker([&, completion] { completion(outcome); });
        worker.join();
        return {};
    }

    std::vector<Run> runs;
    std::optional<Error> startError;               // the script cannot be started
    Expected<std::string> outcome = std::string(); // what a run that started reports
};

} // namespace quillet::test
