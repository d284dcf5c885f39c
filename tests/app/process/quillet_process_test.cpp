// The real quillet on a private bus, drawing offscreen: first-run set-up,
// one instance only, and an orderly end on SIGTERM even with an alert open.
#include "helper_sandbox.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/xdg_paths.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

bool nameOwned(HelperSandbox& sandbox, const char* name) {
    std::string out = sandbox.run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                                   "--object-path", "/org/freedesktop/DBus", "--method",
                                   "org.freedesktop.DBus.NameHasOwner", name});
    return out.find("true") != std::string::npos;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return done();
}

TEST(QuilletProcessTest, FirstRunSecondStartAndSigtermEndItInOrder) {
    HelperSandbox sandbox;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    Child app = sandbox.spawn({QUILLET_APP_EXE});
    ASSERT_TRUE(waitUntil([&] { return nameOwned(sandbox, ids::kMainApp); }, 20s))
        << HelperSandbox::readFile(app.stderrPath);
    // The name is taken first; the set-up follows.
    EXPECT_TRUE(waitUntil(
        [&] { return sandbox.store().arrayForKey(keys::kFileTemplates).has_value(); }, 20s));
    EXPECT_TRUE(std::filesystem::is_directory(paths::templatesDir()));
    EXPECT_EQ(sandbox.store().arrayForKey(keys::kMonitoredPaths).value_or(Value::Array{}).size(),
              1u);

    // A second start hands over to the first and ends.
    Child second = sandbox.spawn({QUILLET_APP_EXE});
    EXPECT_EQ(sandbox.waitExit(second, 20s), 0);
    EXPECT_FALSE(sandbox.waitExit(app, 0ms).has_value());

    // Half a second after start the extension question is open; the signal
    // ends the program all the same.
    std::this_thread::sleep_for(1s);
    ASSERT_EQ(::kill(app.pid, SIGTERM), 0);
    EXPECT_EQ(sandbox.waitExit(app, 20s), 0) << HelperSandbox::readFile(app.stderrPath);
    EXPECT_FALSE(nameOwned(sandbox, ids::kMainApp));
}

} // namespace
} // namespace quillet::test
