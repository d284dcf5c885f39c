#include "fake_helper.h"

#include "shared/identifiers.h"

namespace quillet::test {

namespace {
constexpr const char* kIntrospection =
    "<node><interface name='org.freedesktop.Application'>"
    "<method name='Open'><arg type='as' name='uris' direction='in'/>"
    "<arg type='a{sv}' name='platform_data' direction='in'/></method>"
    "<method name='Activate'><arg type='a{sv}' name='platform_data' direction='in'/></method>"
    "</interface></node>";
} // namespace

FakeHelper::FakeHelper(GDBusConnection* connection) : connection_(connection) {
    if (connection_ == nullptr) {
        return;
    }
    node_ = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    static const GDBusInterfaceVTable vtable = {onMethodCall, nullptr, nullptr, {}};
    registration_ = g_dbus_connection_register_object(
        connection_, ids::kHelperObjectPath, node_->interfaces[0], &vtable, this, nullptr, nullptr);
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", ids::kHelper, 4u /* do not queue */),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (reply != nullptr) {
        guint32 result = 0;
        g_variant_get(reply, "(u)", &result);
        owned_ = result == 1; // primary owner
        g_variant_unref(reply);
    }
}

FakeHelper::~FakeHelper() {
    if (connection_ == nullptr) {
        return;
    }
    if (registration_ != 0) {
        g_dbus_connection_unregister_object(connection_, registration_);
    }
    // Replies already given must go out: a request left without one is sent
    // again, and the bus would start the real helper for it.
    g_dbus_connection_flush_sync(connection_, nullptr, nullptr);
    g_dbus_connection_close_sync(connection_, nullptr, nullptr);
    g_object_unref(connection_);
    if (node_ != nullptr) {
        g_dbus_node_info_unref(node_);
    }
}

void FakeHelper::onMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                              const gchar* method, GVariant* parameters,
                              GDBusMethodInvocation* invocation, gpointer self) {
    auto* helper = static_cast<FakeHelper*>(self);
    if (g_strcmp0(method, "Open") == 0) {
        GVariantIter* uris = nullptr;
        g_variant_get(parameters, "(as@a{sv})", &uris, nullptr);
        const gchar* uri = nullptr;
        while (g_variant_iter_loop(uris, "&s", &uri)) {
            helper->uris_.emplace_back(uri);
        }
        g_variant_iter_free(uris);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

} // namespace quillet::test
