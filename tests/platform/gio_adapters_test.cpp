// The GIO adapters against the real desktop services of the test machine.
#include "platform/linux/canberra_sound_player.h"
#include "platform/linux/gettext_translator.h"
#include "platform/linux/gio_file_types.h"
#include "platform/linux/gio_volume_monitor.h"
#include "platform/linux/gio_workspace.h"
#include "platform/linux/glib_main_queue.h"
#include "support/spin_main_context.h"
#include "support/temp_xdg.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using quillet::test::spinUntil;

TEST(GioFileTypes, KnownExtensionsHaveADescriptionAndAnIcon) {
    quillet::platform::GioFileTypes types;
    auto text = types.descriptionForExtension("txt");
    ASSERT_TRUE(text) << "shared-mime-info knows plain text";
    EXPECT_FALSE(text->empty());
    EXPECT_EQ(quillet::platform::GioFileTypes::contentTypeForExtension("txt"), "text/plain");
    EXPECT_EQ(types.iconNameForExtension("txt"), "text-plain");
    EXPECT_TRUE(types.descriptionForExtension("html"));
}

TEST(GioFileTypes, UnknownExtensionsHaveNoDescription) {
    quillet::platform::GioFileTypes types;
    EXPECT_FALSE(types.descriptionForExtension("qlt-no-such-type"));
    EXPECT_FALSE(types.descriptionForExtension(""));
    EXPECT_TRUE(types.iconNameForExtension("qlt-no-such-type")) << "a generic icon still";
}

TEST(GLibMainQueue, NeverRunsInsideTheCallAndKeepsOrder) {
    quillet::platform::GLibMainQueue queue;
    std::vector<int> ran;
    queue.postAfter(30ms, [&] { ran.push_back(3); });
    queue.post([&] { ran.push_back(1); });
    queue.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty());
    ASSERT_TRUE(spinUntil([&] { return ran.size() == 3; }, 2s));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(GLibMainQueue, WorkFromAnotherThreadRunsOnTheMainThread) {
    quillet::platform::GLibMainQueue queue;
    std::thread::id ranOn;
    std::thread worker([&] { queue.post([&] { ranOn = std::this_thread::get_id(); }); });
    worker.join();
    ASSERT_TRUE(spinUntil([&] { return ranOn != std::thread::id(); }, 2s));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(GioWorkspace, BusNameOwnershipIsProgramRunning) {
    if (g_getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        GTEST_SKIP() << "no session bus";
    }
    quillet::platform::GioWorkspace workspace;
    const char* name = "org.quillet.TestProgram";
    EXPECT_FALSE(workspace.isProgramRunning(name));
    guint owner = g_bus_own_name(G_BUS_TYPE_SESSION, name, G_BUS_NAME_OWNER_FLAGS_NONE, nullptr,
                                 nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(spinUntil([&] { return workspace.isProgramRunning(name); }, 5s));
    g_bus_unown_name(owner);
    EXPECT_TRUE(spinUntil([&] { return !workspace.isProgramRunning(name); }, 5s));
    EXPECT_FALSE(workspace.isProgramRunning("not a bus name"));
}

TEST(GioWorkspace, LaunchedProgramsRunDetached) {
    quillet::test::TempXdg xdg;
    quillet::platform::GioWorkspace workspace;
    const std::string marker = xdg.root() + "/launched";
    ASSERT_TRUE(workspace.launchProgram("/bin/sh", {"-c", "echo started > \"$0\"", marker}));
    EXPECT_TRUE(spinUntil([&] { return fs::exists(marker); }, 5s));
    EXPECT_FALSE(workspace.launchProgram(xdg.root() + "/no-such-program", {}));
    // No child of ours is left to reap: the launch went through a double fork.
    int status = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
}

TEST(GioVolumeMonitor, ReportsAMountAndItsUnmount) {
    quillet::test::TempXdg xdg;
    const std::string point = xdg.makeDir("volume");
    // The mount is made in a child that shares our mount table, so that the
    // monitor of this process sees it; skipped where mounting is not allowed.
    auto mountOp = [&](bool mountIt) {
        pid_t pid = ::fork();
        if (pid == 0) {
            int rc = mountIt ? ::mount("tmpfs", point.c_str(), "tmpfs", 0, "size=16k")
                             : ::umount(point.c_str());
            ::_exit(rc == 0 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    quillet::platform::GioVolumeMonitor monitor;
    std::vector<std::string> mounted;
    std::vector<std::string> unmounted;
    monitor.setHandlers([&](const std::string& p) { mounted.push_back(p); },
                        [&](const std::string& p) { unmounted.push_back(p); });
    EXPECT_FALSE(monitor.mountPaths().empty()) << "the root file system at least";
    if (!mountOp(true)) {
        GTEST_SKIP() << "cannot mount here (needs root)";
    }
    bool seen = spinUntil(
        [&] { return std::find(mounted.begin(), mounted.end(), point) != mounted.end(); }, 5s);
    EXPECT_TRUE(mountOp(false));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(spinUntil(
        [&] { return std::find(unmounted.begin(), unmounted.end(), point) != unmounted.end(); },
        5s));
}

TEST(GettextTranslator, UntranslatedTextComesBackUnchanged) {
    quillet::platform::GettextTranslator translate("quillet-test-domain", "/nonexistent/locale");
    EXPECT_EQ(translate("New File"), "New File");
    EXPECT_EQ(translate(""), "") << "not the catalog header";
    std::function<std::string(const std::string&)> asTranslator = translate;
    EXPECT_EQ(asTranslator("Quillet"), "Quillet");
}

// A catalog compiled as the build compiles the shipped ones, read through
// libintl with the user's language: Russian has three plural forms.
TEST(GettextTranslator, TranslatesAndPicksThePluralFormOfTheUsersLanguage) {
    quillet::test::TempXdg xdg;
    const std::string po = xdg.root() + "/ru.po";
    const std::string mo = xdg.makeDir("locale/ru/LC_MESSAGES") + "/quillet-test.mo";
    std::ofstream(po) << R"(msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"
"Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);\n"

msgid "Cancel"
msgstr "Отмена"

msgid "%d template"
msgid_plural "%d templates"
msgstr[0] "%d шаблон"
msgstr[1] "%d шаблона"
msgstr[2] "%d шаблонов"
)";
    ASSERT_EQ(std::system(("msgfmt -o '" + mo + "' '" + po + "'").c_str()), 0);
    // gettext follows LANGUAGE only under a locale other than "C".
    ::setenv("LANGUAGE", "ru", 1);
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    quillet::platform::GettextTranslator translate("quillet-test", xdg.root() + "/locale");
    EXPECT_EQ(translate("Cancel"), "Отмена");
    EXPECT_EQ(translate("Not in the catalog"), "Not in the catalog");
    const struct {
        unsigned long count;
        const char* form;
    } cases[] = {{1, "%d шаблон"},  {2, "%d шаблона"},  {5, "%d шаблонов"}, {11, "%d шаблонов"},
                 {21, "%d шаблон"}, {22, "%d шаблона"}, {0, "%d шаблонов"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(translate.plural("%d template", "%d templates", c.count), c.form);
    }
    // The shipped catalogs beside the build tree's programs, found even from a
    // program without a resources folder of its own (the share program).
    const auto shipped = quillet::platform::GettextTranslator::forProgram(
        "quillet-share", "a-program-without-resources");
    EXPECT_EQ(shipped("Cancel"), "Отмена");
    ::unsetenv("LANGUAGE");
    std::setlocale(LC_ALL, "C");
}

TEST(CanberraSoundPlayer, FailuresAreSilent) {
    quillet::platform::CanberraSoundPlayer player;
    player.play("/nonexistent/sound.oga");
    player.play("");
    SUCCEED();
}
