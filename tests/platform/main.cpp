// The platform tests' own main: the same executable also serves as the
// "other program" of the cross-process tests (see child_modes below).
#include "platform/linux/dbus_notification_center.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// --post NAME OBJECT: posts one notification and exits.
int postMode(const char* name, const char* object) {
    quillet::platform::DBusNotificationCenter center;
    center.post(name, object);
    return center.isConnected() ? 0 : 3;
}

// --observe NAME: prints "ready", then the object of the first notification
// of that name, and exits; gives up after ten seconds.
int observeMode(const char* name) {
    quillet::platform::DBusNotificationCenter center;
    if (!center.isConnected()) {
        return 3;
    }
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    std::string got;
    center.addObserver(name, [&](const std::string&, const std::string& object) {
        got = object;
        g_main_loop_quit(loop);
    });
    // A round trip to the bus: once it returns, the match rule is in place.
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GVariant* id = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                               "org.freedesktop.DBus", "GetId", nullptr, nullptr,
                                               G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (id != nullptr) {
        g_variant_unref(id);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    g_timeout_add_seconds(
        10,
        [](gpointer l) { return g_main_loop_quit(static_cast<GMainLoop*>(l)), G_SOURCE_REMOVE; },
        loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    g_object_unref(bus);
    std::printf("%s\n", got.c_str());
    return got.empty() ? 1 : 0;
}

// --unreachable: with no bus to talk to, posting and observing do nothing.
int unreachableMode() {
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillet-test-bus", 1);
    quillet::platform::DBusNotificationCenter center;
    bool called = false;
    auto token =
        center.addObserver("n", [&](const std::string&, const std::string&) { called = true; });
    center.post("n", "o");
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    center.removeObserver(token);
    return !center.isConnected() && !called ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--post") == 0) {
        return postMode(argv[2], argv[3]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--observe") == 0) {
        return observeMode(argv[2]);
    }
    if (argc == 2 && std::strcmp(argv[1], "--unreachable") == 0) {
        return unreachableMode();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
