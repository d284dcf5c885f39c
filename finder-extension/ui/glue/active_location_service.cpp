#include "active_location_service.h"

namespace quillet::module {

namespace {

constexpr const char* kObjectPath = "/org/quillet/QuilletExtension";
constexpr const char* kInterface = "org.quillet.QuilletExtension";
constexpr const char* kIntrospection = R"(<node>
  <interface name="org.quillet.QuilletExtension">
    <property name="ActiveLocation" type="s" access="read"/>
    <property name="ActiveSince" type="t" access="read"/>
  </interface>
</node>)";

GDBusInterfaceInfo* interfaceInfo() {
    // Parsed once, kept for the process: the file manager may load the
    // module again, and the bus keeps its own reference while exported.
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    return g_dbus_node_info_lookup_interface(node, kInterface);
}

} // namespace

ActiveLocationService::~ActiveLocationService() {
    if (bus_ != nullptr) {
        g_dbus_connection_unregister_object(bus_, registration_);
        g_object_unref(bus_);
    }
}

GVariant* ActiveLocationService::property(GDBusConnection*, const gchar*, const gchar*,
                                          const gchar*, const gchar* name, GError** error,
                                          gpointer self) {
    const ActiveLocation& published = static_cast<ActiveLocationService*>(self)->published_;
    if (g_strcmp0(name, "ActiveLocation") == 0) {
        return g_variant_new_string(published.uri.c_str());
    }
    if (g_strcmp0(name, "ActiveSince") == 0) {
        return g_variant_new_uint64(published.since);
    }
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", name);
    return nullptr;
}

void ActiveLocationService::exportOn(GDBusConnection* bus) {
    if (bus_ != nullptr) {
        return;
    }
    static const GDBusInterfaceVTable vtable = {nullptr, &property, nullptr, {}};
    GError* error = nullptr;
    registration_ = g_dbus_connection_register_object(bus, kObjectPath, interfaceInfo(), &vtable,
                                                      this, nullptr, &error);
    if (registration_ == 0) {
        // Without it the shortcut's script falls back to asking the desktop.
        g_warning("the active folder is not published: %s", error->message);
        g_error_free(error);
        return;
    }
    bus_ = G_DBUS_CONNECTION(g_object_ref(bus));
}

void ActiveLocationService::publish(const ActiveLocation& location) {
    published_ = location;
    if (bus_ == nullptr) {
        return;
    }
    GVariantBuilder changed;
    g_variant_builder_init(&changed, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&changed, "{sv}", "ActiveLocation",
                          g_variant_new_string(published_.uri.c_str()));
    g_variant_builder_add(&changed, "{sv}", "ActiveSince", g_variant_new_uint64(published_.since));
    g_dbus_connection_emit_signal(
        bus_, nullptr, kObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
        g_variant_new("(sa{sv}as)", kInterface, &changed, nullptr), nullptr);
}

} // namespace quillet::module
