#include "private_bus.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quillet::test {

PrivateSessionBus::PrivateSessionBus(const std::string& workDir, const std::string& serviceDir) {
    g_mkdir_with_parents(workDir.c_str(), 0700);
    std::string config = workDir + "/session.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir="
        << workDir
        << "</listen>\n"
           "  <servicedir>"
        << serviceDir
        << "</servicedir>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
    std::string configArg = "--config-file=" + config;
    const char* argv[] = {"dbus-daemon", configArg.c_str(), "--print-address=1", "--nofork",
                          nullptr};
    GPid pid = 0;
    int out = -1;
    GError* error = nullptr;
    if (!g_spawn_async_with_pipes(nullptr, const_cast<char**>(argv), nullptr,
                                  GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD),
                                  nullptr, nullptr, &pid, nullptr, &out, nullptr, &error)) {
        g_warning("cannot start dbus-daemon: %s", error->message);
        g_error_free(error);
        return;
    }
    pid_ = pid;
    std::string line;
    char c = 0;
    while (read(out, &c, 1) == 1 && c != '\n') {
        line.push_back(c);
    }
    close(out);
    address_ = line;
    g_setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), TRUE);
    control_ = newConnection();
}

PrivateSessionBus::~PrivateSessionBus() {
    if (control_ != nullptr) {
        g_dbus_connection_close_sync(control_, nullptr, nullptr);
        g_object_unref(control_);
    }
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

GDBusConnection* PrivateSessionBus::newConnection() const {
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address_.c_str(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (connection == nullptr) {
        g_warning("cannot connect to the test bus: %s", error->message);
        g_error_free(error);
        return nullptr;
    }
    g_dbus_connection_set_exit_on_close(connection, FALSE);
    return connection;
}

bool PrivateSessionBus::nameHasOwner(const std::string& name) const {
    if (control_ == nullptr) {
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        control_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (reply == nullptr) {
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

bool PrivateSessionBus::reloadConfig() const {
    if (control_ == nullptr) {
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        control_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "ReloadConfig", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply == nullptr) {
        return false;
    }
    g_variant_unref(reply);
    return true;
}

void PrivateSessionBus::stopOwnerOf(const std::string& name) const {
    if (control_ == nullptr) {
        return;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        control_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetConnectionUnixProcessID", g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (reply == nullptr) {
        return;
    }
    guint32 pid = 0;
    g_variant_get(reply, "(u)", &pid);
    g_variant_unref(reply);
    if (pid > 0 && static_cast<pid_t>(pid) != getpid()) {
        kill(static_cast<pid_t>(pid), SIGTERM);
    }
}

bool spinUntil(const std::function<bool()>& condition, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (!g_main_context_iteration(nullptr, FALSE)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return true;
}

} // namespace quillet::test
