#include "platform/linux/xfconf_shortcut_registry.h"

#include "platform/linux/dbus_name_watch.h"
#include "platform/linux/glib_error.h"
#include "shared/text_mark.h"

#include <gio/gio.h>

#include <string_view>

namespace quillet::platform {

namespace {

constexpr const char* kService = "org.xfce.Xfconf";
constexpr const char* kPath = "/org/xfce/Xfconf";
constexpr const char* kInterface = "org.xfce.Xfconf";
constexpr const char* kChannel = "xfce4-keyboard-shortcuts";
constexpr std::string_view kCommands = "/commands/custom/";
// The window manager's own bindings, in the same channel: read, not written.
constexpr std::string_view kWindowManager = "/xfwm4/custom/";

constexpr const char* kReadAction = "read Xfce's keyboard shortcuts";
constexpr const char* kWriteAction = "write Xfce's keyboard shortcuts";

} // namespace

Expected<std::unique_ptr<ShortcutRegistry>> XfconfShortcutRegistry::open() {
    auto bus = sessionBusServing(kService, "open Xfce's keyboard settings",
                                 N_("Xfce's keyboard settings are not available (xfconf is not "
                                    "installed)."));
    if (!bus) {
        return bus.error();
    }
    return std::unique_ptr<ShortcutRegistry>(new XfconfShortcutRegistry(*bus));
}

XfconfShortcutRegistry::~XfconfShortcutRegistry() {
    g_object_unref(bus_);
}

Expected<std::vector<RegistryEntry>> XfconfShortcutRegistry::entries() {
    GError* gerror = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, kService, kPath, kInterface, "GetAllProperties", g_variant_new("(ss)", kChannel, "/"),
        G_VARIANT_TYPE("(a{sv})"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &gerror);
    if (reply == nullptr) {
        // A channel nobody wrote yet holds nothing.
        if (isRemoteErrorNamed(gerror, "NotFound")) {
            g_clear_error(&gerror);
            return std::vector<RegistryEntry>{};
        }
        return takeGError(kReadAction, kChannel, &gerror);
    }
    std::vector<RegistryEntry> custom;
    std::vector<RegistryEntry> builtIn;
    GVariantIter* properties = nullptr;
    const gchar* property = nullptr;
    GVariant* value = nullptr;
    g_variant_get(reply, "(a{sv})", &properties);
    while (g_variant_iter_next(properties, "{&sv}", &property, &value)) {
        const std::string_view name(property);
        if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) {
            const char* text = g_variant_get_string(value, nullptr);
            if (name.starts_with(kCommands)) {
                const std::string binding(name.substr(kCommands.size()));
                custom.push_back({.id = binding, .command = text, .binding = binding});
            } else if (name.starts_with(kWindowManager)) {
                const std::string binding(name.substr(kWindowManager.size()));
                builtIn.push_back(
                    {.id = binding, .name = text, .binding = binding, .builtIn = true});
            }
        }
        g_variant_unref(value);
    }
    g_variant_iter_free(properties);
    g_variant_unref(reply);
    custom.insert(custom.end(), builtIn.begin(), builtIn.end());
    return custom;
}

Status XfconfShortcutRegistry::apply(const RegistryChanges& changes) {
    auto call = [this](const char* method, GVariant* parameters,
                       const std::string& property) -> Status {
        GError* gerror = nullptr;
        GVariant* reply =
            g_dbus_connection_call_sync(bus_, kService, kPath, kInterface, method, parameters,
                                        nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &gerror);
        if (reply == nullptr) {
            return takeGError(kWriteAction, property, &gerror);
        }
        g_variant_unref(reply);
        return {};
    };
    // Removals first: a binding that moves from one template to another is
    // removed and added under the same name.
    for (const auto& gone : changes.removed) {
        const std::string property = std::string(kCommands) + gone.id;
        if (Status done = call("ResetProperty",
                               g_variant_new("(ssb)", kChannel, property.c_str(), FALSE), property);
            !done) {
            return done;
        }
    }
    for (const auto* list : {&changes.changed, &changes.added}) {
        for (const auto& entry : *list) {
            const std::string property = std::string(kCommands) + entry.id;
            if (Status done = call("SetProperty",
                                   g_variant_new("(ssv)", kChannel, property.c_str(),
                                                 g_variant_new_string(entry.command.c_str())),
                                   property);
                !done) {
                return done;
            }
        }
    }
    return {};
}

} // namespace quillet::platform
