// The autostart entry as the desktop reads it: written, validated by
// desktop-file-validate, switched off, and a system entry masked.
#include "platform/linux/xdg_login_items.h"

#include "file_text.h"
#include "shared/desktop_exec.h"
#include "shared/identifiers.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <gio/gdesktopappinfo.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quillet::platform {
namespace {

namespace fs = std::filesystem;

TEST(DesktopExecTest, QuotesWhatTheDesktopWouldSplitOrExpand) {
    struct Case {
        const char* argument;
        const char* expected;
    } cases[] = {
        {"/usr/bin/quillet-launcher", "/usr/bin/quillet-launcher"},
        {"/opt/My Apps/quillet-launcher", "\"/opt/My Apps/quillet-launcher\""},
        {"/a/$HOME/`x`", "\"/a/\\$HOME/\\`x\\`\""},
        {"/a/\"q\"\\b", "\"/a/\\\"q\\\"\\\\b\""},
        {"/a/100%", "/a/100%%"},
        {"/a/%u", "/a/%%u"},
        {"/a/it's", "\"/a/it's\""},
        {"", "\"\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_EQ(desktopExecArgument(c.argument), c.expected);
    }
    EXPECT_EQ(desktopExecLine({"/bin/x", "a b"}), "/bin/x \"a b\"");
    EXPECT_EQ(shellQuoted("it's"), "'it'\\''s'");
    EXPECT_EQ(desktopExecForProgram("/opt/q/bin/x"), "/opt/q/bin/x");
    EXPECT_EQ(desktopExecForProgram("/opt/100%/x"),
              "/bin/sh -c \"exec \\\"\\$0\\\"\" /opt/100%%/x");
}

class XdgLoginItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_CONFIG_DIRS");
        savedDirs = old ? old : "";
        hadDirs = old != nullptr;
        systemDir = xdg.makeDir("etc-xdg");
        ::setenv("XDG_CONFIG_DIRS", systemDir.c_str(), 1);
        launcher = xdg.makeDir("opt/Quillet $1 \"q\"") + "/quillet-launcher";
    }
    void TearDown() override {
        if (hadDirs) {
            ::setenv("XDG_CONFIG_DIRS", savedDirs.c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_DIRS");
        }
    }
    static int validate(const std::string& path) {
        return std::system(("desktop-file-validate '" + path + "' >&2").c_str());
    }

    test::TempXdg xdg;
    std::string systemDir, savedDirs, launcher;
    bool hadDirs = false;
};

TEST_F(XdgLoginItemsTest, WritesAValidEntryAndRemovesIt) {
    XdgLoginItems items(QUILLET_LAUNCHER_ENTRY);
    const std::string entry = XdgLoginItems::userEntryPath(ids::kLauncher);
    EXPECT_EQ(entry, xdg.configHome() + "/autostart/org.quillet.QuilletLauncher.desktop");
    EXPECT_FALSE(items.isRegistered(ids::kLauncher));

    ASSERT_TRUE(items.setRegistered(ids::kLauncher, launcher, true));
    EXPECT_TRUE(items.isRegistered(ids::kLauncher));
    EXPECT_EQ(validate(entry), 0);
    const std::string text = test::fileText(entry);
    // Quoted for the Exec rules, then escaped once more by the key-file writer.
    EXPECT_NE(
        text.find("Exec=\"" + xdg.root() + "/opt/Quillet \\\\$1 \\\\\"q\\\\\"/quillet-launcher\""),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("X-GNOME-Autostart-enabled=true"), std::string::npos);
    EXPECT_NE(text.find("Name=Quillet"), std::string::npos);

    // Registering again changes nothing; unregistering deletes the file.
    ASSERT_TRUE(items.setRegistered(ids::kLauncher, launcher, true));
    ASSERT_TRUE(items.setRegistered(ids::kLauncher, launcher, false));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(items.isRegistered(ids::kLauncher));
    ASSERT_TRUE(items.setRegistered(ids::kLauncher, launcher, false));
}

// The entry as GIO reads it, which is how a GLib session starts it: each
// prefix gives an entry GIO accepts and that runs the very program. A "%"
// in the path once gave an entry GIO refused, so Quillet never started.
TEST_F(XdgLoginItemsTest, GioRunsTheEntryWhateverThePrefixHolds) {
    XdgLoginItems items;
    const std::string entry = XdgLoginItems::userEntryPath(ids::kLauncher);
    const std::string ran = xdg.root() + "/ran";
    for (const char* prefix :
         {"opt/quillet", "opt/100%", "opt/%u %f %%", "opt/a b $HOME `x` \"q\" \\ it's"}) {
        SCOPED_TRACE(prefix);
        const std::string program = xdg.makeDir(prefix) + "/quillet-launcher";
        std::ofstream(program) << "#!/bin/sh\nprintf %s \"$0\" > '" << ran << "'\n";
        fs::permissions(program, fs::perms::owner_all);
        fs::remove(ran);
        ASSERT_TRUE(items.setRegistered(ids::kLauncher, program, true));
        EXPECT_EQ(validate(entry), 0);

        GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entry.c_str());
        ASSERT_NE(info, nullptr) << test::fileText(entry);
        GError* error = nullptr;
        EXPECT_TRUE(g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error))
            << (error != nullptr ? error->message : "");
        g_clear_error(&error);
        g_object_unref(info);
        for (int i = 0; i < 500 && test::fileText(ran).empty(); ++i) {
            g_usleep(10000);
        }
        EXPECT_EQ(test::fileText(ran), program);
    }
}

// GLib writes no value that is not UTF-8: the entry would have no Exec.
TEST_F(XdgLoginItemsTest, APrefixThatIsNotUtf8IsRefusedWithAReason) {
    XdgLoginItems items;
    const std::string program = xdg.root() + "/opt/caf\xe9/quillet-launcher";
    const Status registered = items.setRegistered(ids::kLauncher, program, true);
    ASSERT_FALSE(registered);
    EXPECT_EQ(registered.error().code(), std::errc::illegal_byte_sequence);
    EXPECT_NE(registered.error().reason().find("not valid UTF-8"), std::string::npos);
    EXPECT_FALSE(fs::exists(XdgLoginItems::userEntryPath(ids::kLauncher)));
}

TEST_F(XdgLoginItemsTest, EntriesSwitchedOffDoNotCount) {
    XdgLoginItems items;
    const std::string entry = XdgLoginItems::userEntryPath(ids::kLauncher);
    fs::create_directories(fs::path(entry).parent_path());
    struct Case {
        const char* body;
        bool registered;
    } cases[] = {
        {"Type=Application\nName=Q\nExec=q\n", true},
        {"Type=Application\nName=Q\nExec=q\nHidden=true\n", false},
        {"Type=Application\nName=Q\nExec=q\nX-GNOME-Autostart-enabled=false\n", false},
        {"Type=Application\nName=Q\nExec=q\nX-GNOME-Autostart-enabled=true\nHidden=false\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        std::ofstream(entry) << "[Desktop Entry]\n" << c.body;
        EXPECT_EQ(items.isRegistered(ids::kLauncher), c.registered);
    }
    // Registering over a switched-off entry switches it on.
    ASSERT_TRUE(items.setRegistered(ids::kLauncher, launcher, true));
    EXPECT_TRUE(items.isRegistered(ids::kLauncher));
    EXPECT_EQ(validate(entry), 0);
}

TEST_F(XdgLoginItemsTest, ASystemEntryIsMaskedNotLeftRunning) {
    XdgLoginItems items;
    fs::create_directories(systemDir + "/autostart");
    std::ofstream(systemDir + "/autostart/org.quillet.QuilletLauncher.desktop")
        << "[Desktop Entry]\nType=Application\nName=Quillet\nExec=quillet-launcher\n";
    EXPECT_TRUE(items.isRegistered(ids::kLauncher));

    ASSERT_TRUE(items.setRegistered(ids::kLauncher, launcher, false));
    const std::string entry = XdgLoginItems::userEntryPath(ids::kLauncher);
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_NE(test::fileText(entry).find("Hidden=true"), std::string::npos);
    EXPECT_FALSE(items.isRegistered(ids::kLauncher));
    EXPECT_EQ(validate(entry), 0);

    ASSERT_TRUE(items.setRegistered(ids::kLauncher, launcher, true));
    EXPECT_TRUE(items.isRegistered(ids::kLauncher));
}

TEST_F(XdgLoginItemsTest, AnUnwritableAutostartFolderIsReported) {
    XdgLoginItems items;
    fs::permissions(xdg.configHome(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(xdg.configHome().c_str(), W_OK) == 0) {
        GTEST_SKIP() << "running with rights that ignore permissions";
    }
    EXPECT_FALSE(items.setRegistered(ids::kLauncher, launcher, true));
    EXPECT_FALSE(items.isRegistered(ids::kLauncher));
}

} // namespace
} // namespace quillet::platform
