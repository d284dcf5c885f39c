// The user script as the helper judges it before running it, and the copy of
// the shipped script that the manual window stages for a drag.
#include "helper/core/shortcuts/script_installer.h"
#include "helper/core/shortcuts/user_script_check.h"
#include "helper_fixture.h"
#include "shared/xdg_paths.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using helper::UserScriptPresence;

class UserScriptCheckTest : public HelperFixture {};

TEST_F(UserScriptCheckTest, RunnableAbsentUnsafeOrBroken) {
    enum class Verdict { Runnable, Absent, Unsafe, CannotRun };
    const std::string dir = xdg.makeDir("check");
    const std::string good = dir + "/good.sh";
    writeFile(good, "#!/bin/sh\n", 0755);
    // Someone else: as root, a file given to "nobody"; otherwise the check is
    // asked for another user than the file's owner.
    const bool root = ::geteuid() == 0;
    const uid_t me = ::getuid();
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> make;
        uid_t userId;
        Verdict verdict;
    };
    const Case cases[] = {
        {"nothing", [](const std::string&) {}, me, Verdict::Absent},
        {"the user's own 0755 script", [](auto& p) { writeFile(p, "#!/bin/sh\n", 0755); }, me,
         Verdict::Runnable},
        {"0700 is enough", [](auto& p) { writeFile(p, "#!/bin/sh\n", 0700); }, me,
         Verdict::Runnable},
        {"a link to a good script", [&](auto& p) { fs::create_symlink(good, p); }, me,
         Verdict::Runnable},
        {"group-writable", [](auto& p) { writeFile(p, "#!/bin/sh\n", 0775); }, me, Verdict::Unsafe},
        {"world-writable", [](auto& p) { writeFile(p, "#!/bin/sh\n", 0757); }, me, Verdict::Unsafe},
        {"a link to a world-writable script",
         [&](auto& p) {
             writeFile(p + ".target", "#!/bin/sh\n", 0777);
             fs::create_symlink(p + ".target", p);
         },
         me, Verdict::Unsafe},
        {"another user's",
         [&](auto& p) {
             writeFile(p, "#!/bin/sh\n", 0755);
             if (root) {
                 ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
             }
         },
         root ? me : me + 1, Verdict::Unsafe},
        {"mode 000", [](auto& p) { writeFile(p, "#!/bin/sh\n", 0); }, me, Verdict::CannotRun},
        {"not executable", [](auto& p) { writeFile(p, "#!/bin/sh\n", 0644); }, me,
         Verdict::CannotRun},
        {"a link to nothing", [&](auto& p) { fs::create_symlink(dir + "/gone", p); }, me,
         Verdict::CannotRun},
        {"a folder", [](auto& p) { fs::create_directories(p); }, me, Verdict::CannotRun},
        {"a FIFO", [](auto& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0755), 0); }, me,
         Verdict::CannotRun},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/case" + std::to_string(n++) + "/QuilletHelper.sh";
        fs::create_directories(fs::path(path).parent_path());
        c.make(path);
        const auto presence = helper::checkUserScript(path, c.userId);
        Verdict verdict = Verdict::CannotRun;
        if (presence) {
            verdict =
                *presence == UserScriptPresence::Runnable ? Verdict::Runnable : Verdict::Absent;
        } else {
            if (helper::isUnsafeUserScript(presence.error())) {
                verdict = Verdict::Unsafe;
            }
            // The reason names what is wrong, for the alert.
            EXPECT_FALSE(presence.error().reason().empty());
            EXPECT_EQ(presence.error().path(), path);
        }
        EXPECT_EQ(verdict, c.verdict);
    }
}

TEST_F(UserScriptCheckTest, InstallingNeverReplacesAndGivesMode0755) {
    const std::string dir = xdg.makeDir("install");
    const std::string shipped = dir + "/shipped.sh";
    writeFile(shipped, "#!/bin/sh\necho shipped\n", 0644); // a package may ship it 0644
    const mode_t oldMask = ::umask(077);                   // and the user's umask is strict
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> make;
        bool installs;
    };
    const Case cases[] = {
        {"free name", [](const std::string&) {}, true},
        {"a link to nothing is left alone",
         [&](auto& p) { fs::create_symlink(dir + "/elsewhere.sh", p); }, false},
        {"a foreign file is left alone", [](auto& p) { writeFile(p, "theirs\n", 0755); }, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path =
            xdg.makeDir("install/" + std::to_string(n++)) + "/QuilletHelper.sh";
        c.make(path);
        const Status installed = helper::installUserScript(shipped, path);
        EXPECT_EQ(installed.ok(), c.installs);
        if (c.installs) {
            EXPECT_EQ(modeOf(path), 0755);
            EXPECT_EQ(readFile(path), readFile(shipped));
        } else {
            EXPECT_EQ(installed.error().code(), std::errc::file_exists);
            EXPECT_FALSE(exists(dir + "/elsewhere.sh")); // nothing written through the link
        }
    }
    ::umask(oldMask);
}

TEST_F(UserScriptCheckTest, TheDraggedCopyIsStagedInAFreshPrivateFolder) {
    // Another user made the old shared folder first, open to all, with their
    // own script in it.
    const std::string runtime = xdg.makeDir("runtime");
    const std::string sharedPath = runtime + "/quillet-helper-drag";
    fs::create_directories(sharedPath);
    ::chmod(sharedPath.c_str(), 0777);
    writeFile(sharedPath + "/QuilletHelper.sh", "#!/bin/sh\nrm -rf ~\n", 0777);

    auto first = helper::ScriptInstaller::stageForDrag(scriptResource, runtime);
    auto second = helper::ScriptInstaller::stageForDrag(scriptResource, runtime);
    ASSERT_TRUE(first) << first.error().logText();
    ASSERT_TRUE(second) << second.error().logText();
    for (const auto& staged : {*first, *second}) {
        SCOPED_TRACE(staged);
        const std::string folder = fs::path(staged).parent_path();
        EXPECT_NE(folder, sharedPath);
        EXPECT_EQ(fs::path(folder).parent_path(), runtime);
        EXPECT_EQ(fs::path(staged).filename(), "QuilletHelper.sh");
        struct stat st {};
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(st.st_uid, ::geteuid());
        EXPECT_EQ(modeOf(staged), 0755);
        EXPECT_EQ(readFile(staged), readFile(scriptResource));
    }
    EXPECT_NE(*first, *second); // never a path used before
    EXPECT_EQ(readFile(sharedPath + "/QuilletHelper.sh"), "#!/bin/sh\nrm -rf ~\n");

    // A parent that is not there or not a folder is an error, not a fallback.
    writeFile(runtime + "/file", "x", 0644);
    EXPECT_FALSE(helper::ScriptInstaller::stageForDrag(scriptResource, runtime + "/file"));
}

TEST_F(UserScriptCheckTest, WithoutARuntimeFolderStagingGoesToTheCacheNotTmp) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string old = saved ? saved : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(quillet::paths::runtimeDir(), xdg.cacheHome());
    ::setenv("XDG_RUNTIME_DIR", "relative/ignored", 1);
    EXPECT_EQ(quillet::paths::runtimeDir(), xdg.cacheHome());
    if (saved) {
        ::setenv("XDG_RUNTIME_DIR", old.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
}

} // namespace
} // namespace quillet::test
