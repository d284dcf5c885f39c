// User scripts in their own process: output, failures, and the thread the
// completion runs on.
#include "platform/linux/posix_script_runner.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <sys/stat.h>
#include <thread>

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

TEST(PosixScriptRunnerTest, OutputStatusAndStartFailures) {
    TempXdg xdg;
    struct Case {
        const char* name;
        const char* body; // nothing: no file
        mode_t mode;
        bool starts;
        std::string output;
        bool fails;
    };
    const Case cases[] = {
        {"prints its argument", "#!/bin/sh\nprintf '%s\\n' \"$1\"\n", 0755, true, "/query\n",
         false},
        {"ends with a status", "#!/bin/sh\necho partial\nexit 3\n", 0755, true, "partial\n", true},
        {"killed", "#!/bin/sh\nkill -9 $$\n", 0755, true, "", true},
        {"not executable", "#!/bin/sh\necho no\n", 0644, false, "", false},
        {"missing", nullptr, 0, false, "", false},
    };
    platform::PosixScriptRunner runner;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string script = xdg.root() + "/script.sh";
        std::remove(script.c_str());
        if (c.body != nullptr) {
            std::ofstream(script) << c.body;
            ::chmod(script.c_str(), c.mode);
        }
        std::promise<std::pair<ScriptOutcome, std::thread::id>> done;
        auto started = runner.run(script, {"/query"}, [&](ScriptOutcome outcome) {
            done.set_value({std::move(outcome), std::this_thread::get_id()});
        });
        EXPECT_EQ(!started.has_value(), c.starts);
        if (!c.starts) {
            continue;
        }
        auto future = done.get_future();
        ASSERT_EQ(future.wait_for(10s), std::future_status::ready);
        auto [outcome, thread] = future.get();
        EXPECT_NE(thread, std::this_thread::get_id());
        EXPECT_EQ(outcome.standardOutput, c.output);
        EXPECT_EQ(outcome.error.has_value(), c.fails);
    }
}

} // namespace
} // namespace quillet::test
