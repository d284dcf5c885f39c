// The session-bus broadcast between two processes of the suite.
#include "platform/linux/dbus_notification_center.h"
#include "shared/identifiers.h"
#include "shared/refresh_notification.h"
#include "support/spin_main_context.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

using quillet::platform::DBusNotificationCenter;
using quillet::test::spinUntil;

namespace {

std::string self() {
    gchar* exe = g_file_read_link("/proc/self/exe", nullptr);
    std::string path = exe != nullptr ? exe : "";
    g_free(exe);
    return path;
}

class DBusNotificationCenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (g_getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
            GTEST_SKIP() << "no session bus; run under dbus-run-session";
        }
    }
};

} // namespace

TEST_F(DBusNotificationCenterTest, AnotherProgramsPostReachesOurObserver) {
    DBusNotificationCenter center;
    ASSERT_TRUE(center.isConnected());
    std::vector<std::pair<std::string, std::string>> got;
    center.addObserver(quillet::ids::kSuiteName,
                       [&](const std::string& n, const std::string& o) { got.emplace_back(n, o); });
    center.addObserver("unrelated", [&](const std::string&, const std::string&) {
        got.emplace_back("wrong", "observer");
    });
    // Let the match rules reach the bus before the other program posts.
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    GVariant* id = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                               "org.freedesktop.DBus", "GetId", nullptr, nullptr,
                                               G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (id != nullptr) {
        g_variant_unref(id);
    }
    g_object_unref(bus);

    std::string exe = self();
    const gchar* argv[] = {exe.c_str(), "--post", quillet::ids::kSuiteName, "fileTemplates",
                           nullptr};
    gint status = -1;
    GError* error = nullptr;
    ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DEFAULT, nullptr,
                             nullptr, nullptr, nullptr, &status, &error))
        << (error ? error->message : "");
    EXPECT_TRUE(g_spawn_check_wait_status(status, nullptr));
    ASSERT_TRUE(spinUntil([&] { return !got.empty(); }, std::chrono::seconds(5)));
    EXPECT_EQ(got.front().first, quillet::ids::kSuiteName);
    EXPECT_EQ(got.front().second, "fileTemplates");
    spinUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(got.size(), 1u) << "only observers of the name are called";
}

TEST_F(DBusNotificationCenterTest, OurPostReachesAnotherProgram) {
    std::string exe = self();
    const gchar* argv[] = {exe.c_str(), "--observe", quillet::ids::kHelper, nullptr};
    GPid pid = 0;
    gint out = -1;
    GError* error = nullptr;
    ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(argv), nullptr,
                                         G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid, nullptr,
                                         &out, nullptr, &error))
        << (error ? error->message : "");
    GIOChannel* channel = g_io_channel_unix_new(out);
    gchar* line = nullptr;
    ASSERT_EQ(g_io_channel_read_line(channel, &line, nullptr, nullptr, nullptr),
              G_IO_STATUS_NORMAL);
    EXPECT_STREQ(line, "ready\n");
    g_free(line);

    DBusNotificationCenter center;
    center.post(quillet::ids::kHelper, quillet::ids::kQuitObject);

    ASSERT_EQ(g_io_channel_read_line(channel, &line, nullptr, nullptr, nullptr),
              G_IO_STATUS_NORMAL);
    EXPECT_STREQ(line, "quit\n");
    g_free(line);
    g_io_channel_unref(channel);
    ::close(out);
    int status = 0;
    ::waitpid(pid, &status, 0);
    g_spawn_close_pid(pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(DBusNotificationCenterTest, OwnPostsComeBackAndRemovedObserversStayQuiet) {
    DBusNotificationCenter center;
    int calls = 0;
    auto token = center.addObserver("org.quillet.test",
                                    [&](const std::string&, const std::string&) { ++calls; });
    quillet::postRefreshNotification(center, "ignored"); // another name
    center.post("org.quillet.test", "first");
    ASSERT_TRUE(spinUntil([&] { return calls == 1; }, std::chrono::seconds(5)));
    center.removeObserver(token);
    center.removeObserver(token); // twice is harmless
    center.post("org.quillet.test", "second");
    spinUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_EQ(calls, 1);
}

TEST(DBusNotificationCenterNoBus, PostingAndObservingWithoutABusDoNothing) {
    std::string exe = self();
    const gchar* argv[] = {exe.c_str(), "--unreachable", nullptr};
    gint status = -1;
    ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DEFAULT, nullptr,
                             nullptr, nullptr, nullptr, &status, nullptr));
    EXPECT_TRUE(g_spawn_check_wait_status(status, nullptr)) << "status " << status;
}
