#include "dbus_drop_folder_service.h"

#include "glib_error.h"

#include "shared/file_uri.h"

#include <gio/gio.h>

namespace quillet::platform {

namespace {

constexpr const char* kInterfaceXml =
    "<node><interface name='org.kde.ark.DndExtract'>"
    "<method name='extractSelectedFilesTo'><arg type='s' name='path' direction='in'/></method>"
    "</interface></node>";

} // namespace

struct DBusDropFolderService::Impl {
    GDBusConnection* bus = nullptr;
    GDBusNodeInfo* node = nullptr;
    guint registration = 0;
    unsigned serial = 0;
    Handler handler;

    static void onCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                       gpointer data) {
        auto* self = static_cast<Impl*>(data);
        if (g_strcmp0(method, "extractSelectedFilesTo") != 0) {
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.DBus.Error.UnknownMethod", "no such method");
            return;
        }
        const gchar* where = nullptr;
        g_variant_get(parameters, "(&s)", &where);
        std::string folder = where;
        // Answered first: the caller must not wait for the copies.
        g_dbus_method_invocation_return_value(invocation, nullptr);
        if (folder.rfind("file:", 0) == 0) {
            folder = localPathFromFileURI(folder).valueOr(std::string());
        }
        // One drop per drag: a repeated call creates nothing more.
        Handler handler = std::move(self->handler);
        self->handler = nullptr;
        if (handler && !folder.empty() && folder.front() == '/') {
            handler(folder);
        }
    }

    void unexport() {
        if (registration != 0) {
            g_dbus_connection_unregister_object(bus, registration);
            registration = 0;
        }
    }
};

DBusDropFolderService::DBusDropFolderService() : impl_(new Impl) {
    GError* error = nullptr;
    impl_->bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (impl_->bus == nullptr) {
        g_message("no session bus for drops: %s", error->message);
        g_error_free(error);
        return;
    }
    impl_->node = g_dbus_node_info_new_for_xml(kInterfaceXml, nullptr);
}

DBusDropFolderService::~DBusDropFolderService() {
    impl_->unexport();
    if (impl_->node != nullptr) {
        g_dbus_node_info_unref(impl_->node);
    }
    if (impl_->bus != nullptr) {
        g_object_unref(impl_->bus);
    }
    delete impl_;
}

Expected<DBusDropFolderService::Address> DBusDropFolderService::exportForDrag(Handler handler) {
    if (impl_->bus == nullptr || impl_->node == nullptr) {
        return Error::withDetail("offer the drop folder", "", "no session bus",
                                 std::errc::not_connected);
    }
    impl_->unexport();
    static const GDBusInterfaceVTable vtable = {&Impl::onCall, nullptr, nullptr, {}};
    const std::string path = "/org/quillet/Quillet/DropFolder/" + std::to_string(++impl_->serial);
    GError* error = nullptr;
    impl_->registration = g_dbus_connection_register_object(
        impl_->bus, path.c_str(), impl_->node->interfaces[0], &vtable, impl_, nullptr, &error);
    if (impl_->registration == 0) {
        g_message("cannot export %s: %s", path.c_str(), error->message);
        return takeGError("export", path, &error);
    }
    impl_->handler = std::move(handler);
    return Address{g_dbus_connection_get_unique_name(impl_->bus), path};
}

} // namespace quillet::platform
