#include "session_bus.h"

#include "platform/linux/dbus_name_watch.h"

#include <csignal>
#include <unistd.h>

namespace quillet::test {

PrivateSessionBus::PrivateSessionBus(const std::string& workDir, const std::string& serviceDir)
    : daemon_(workDir, serviceDir) {
    if (!daemon_.running()) {
        g_warning("cannot start dbus-daemon");
        return;
    }
    control_ = newConnection();
}

PrivateSessionBus::~PrivateSessionBus() {
    if (control_ != nullptr) {
        g_dbus_connection_close_sync(control_, nullptr, nullptr);
        g_object_unref(control_);
    }
}

GDBusConnection* PrivateSessionBus::newConnection() const {
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address().c_str(),
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
    return platform::nameHasOwner(control_, name, 2000);
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

} // namespace quillet::test
