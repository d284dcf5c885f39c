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
        std::string outputOrFailure; // what was printed, else the failure's text
        bool fails;
    };
    const std::string script = xdg.root() + "/script.sh";
    const Case cases[] = {
        {"prints its argument", "#!/bin/sh\nprintf '%s\\n' \"$1\"\n", 0755, true, "/query\n",
         false},
        {"ends with a status", "#!/bin/sh\necho partial\nexit 3\n", 0755, true,
         script + " ended with status 3", true},
        {"killed", "#!/bin/sh\nkill -9 $$\n", 0755, true, script + " was ended by signal 9", true},
        {"not executable", "#!/bin/sh\necho no\n", 0644, false, script + ": Permission denied",
         false},
        {"missing", nullptr, 0, false, script + ": No such file or directory", false},
    };
    platform::PosixScriptRunner runner;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(script.c_str());
        if (c.body != nullptr) {
            std::ofstream(script) << c.body;
            ::chmod(script.c_str(), c.mode);
        }
        std::promise<std::pair<Expected<std::string>, std::thread::id>> done;
        Status started = runner.run(script, {"/query"}, [&](Expected<std::string> output) {
            done.set_value({std::move(output), std::this_thread::get_id()});
        });
        EXPECT_EQ(started.ok(), c.starts);
        if (!c.starts) {
            EXPECT_EQ(scriptFailureText(started.error()), c.outputOrFailure);
            continue;
        }
        auto future = done.get_future();
        ASSERT_EQ(future.wait_for(10s), std::future_status::ready);
        auto [output, thread] = future.get();
        EXPECT_NE(thread, std::this_thread::get_id());
        ASSERT_EQ(!output.ok(), c.fails);
        EXPECT_EQ(output ? *output : scriptFailureText(output.error()), c.outputOrFailure);
    }
}

} // namespace
} // namespace quillet::test
