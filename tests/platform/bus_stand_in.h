// A program on the test's session bus, on a connection of its own: it serves
// one interface of an introspection text at a path, owns a name (queued
// behind an owner that is there already, whom it replaces when that one
// leaves), and hands every call to the test.
#pragma once

#include <gio/gio.h>

#include <functional>

namespace quillet::test {

class BusStandIn {
public:
    using Handler = std::function<void(const gchar* method, GVariant* parameters,
                                       GDBusMethodInvocation* invocation)>;

    BusStandIn(const char* name, const char* path, const char* xml, const char* interface,
               Handler handler)
        : handler_(std::move(handler)) {
        gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        connection_ = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        g_free(address);
        node_ = g_dbus_node_info_new_for_xml(xml, nullptr);
        static const GDBusInterfaceVTable vtable = {&BusStandIn::onCall, nullptr, nullptr, {}};
        g_dbus_connection_register_object(connection_, path,
                                          g_dbus_node_info_lookup_interface(node_, interface),
                                          &vtable, this, nullptr, nullptr);
        GVariant* reply = g_dbus_connection_call_sync(
            connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", name, 0u), nullptr, G_DBUS_CALL_FLAGS_NONE, -1,
            nullptr, nullptr);
        if (reply != nullptr) {
            g_variant_unref(reply);
        }
    }
    ~BusStandIn() {
        g_dbus_connection_close_sync(connection_, nullptr, nullptr);
        g_object_unref(connection_);
        g_dbus_node_info_unref(node_);
    }
    BusStandIn(const BusStandIn&) = delete;
    BusStandIn& operator=(const BusStandIn&) = delete;

    GDBusConnection* connection() const { return connection_; }

private:
    static void onCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                       gpointer self) {
        static_cast<BusStandIn*>(self)->handler_(method, parameters, invocation);
    }

    Handler handler_;
    GDBusConnection* connection_ = nullptr;
    GDBusNodeInfo* node_ = nullptr;
};

} // namespace quillet::test
