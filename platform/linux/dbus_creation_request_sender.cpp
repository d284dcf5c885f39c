#include "dbus_creation_request_sender.h"

#include "shared/identifiers.h"

#include <gio/gio.h>

#include <memory>

namespace quillet::platform {

namespace {

constexpr const char* kApplicationInterface = "org.freedesktop.Application";

struct Request {
    std::string busName;
    std::string objectPath;
    std::string url;
};

// Errors after which the helper cannot have seen the request. A timeout or a
// lost reply is not among them: the helper may be working on it.
bool isUndelivered(const GError* error) {
    static constexpr GDBusError kUndelivered[] = {
        G_DBUS_ERROR_SERVICE_UNKNOWN,
        G_DBUS_ERROR_NAME_HAS_NO_OWNER,
        G_DBUS_ERROR_UNKNOWN_METHOD,
        G_DBUS_ERROR_UNKNOWN_OBJECT,
        G_DBUS_ERROR_UNKNOWN_INTERFACE,
        G_DBUS_ERROR_SPAWN_EXEC_FAILED,
        G_DBUS_ERROR_SPAWN_FORK_FAILED,
        G_DBUS_ERROR_SPAWN_FAILED,
        G_DBUS_ERROR_SPAWN_SETUP_FAILED,
        G_DBUS_ERROR_SPAWN_CONFIG_INVALID,
        G_DBUS_ERROR_SPAWN_SERVICE_INVALID,
        G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND,
        G_DBUS_ERROR_SPAWN_PERMISSIONS_INVALID,
        G_DBUS_ERROR_SPAWN_FILE_INVALID,
        G_DBUS_ERROR_SPAWN_NO_MEMORY,
    };
    for (GDBusError code : kUndelivered) {
        if (g_error_matches(error, G_DBUS_ERROR, code)) {
            return true;
        }
    }
    return false;
}

void onLaunched(GObject*, GAsyncResult* result, gpointer) {
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri_finish(result, &error)) {
        g_debug("no handler took the creation request: %s", error->message);
        g_error_free(error);
    }
}

void openWithDefaultHandler(const std::string& url) {
    g_app_info_launch_default_for_uri_async(url.c_str(), nullptr, nullptr, onLaunched, nullptr);
}

void onOpenReturned(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Request> request(static_cast<Request*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply != nullptr) {
        g_variant_unref(reply);
        return;
    }
    g_debug("helper did not take the creation request: %s", error->message);
    if (isUndelivered(error)) {
        openWithDefaultHandler(request->url);
    }
    g_error_free(error);
}

void onBus(GObject*, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Request> request(static_cast<Request*>(data));
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_finish(result, &error);
    if (bus == nullptr) {
        g_debug("no session bus for the creation request: %s", error->message);
        g_error_free(error);
        openWithDefaultHandler(request->url);
        return;
    }
    GVariantBuilder uris;
    g_variant_builder_init(&uris, G_VARIANT_TYPE("as"));
    g_variant_builder_add(&uris, "s", request->url.c_str());
    GVariantBuilder platformData;
    g_variant_builder_init(&platformData, G_VARIANT_TYPE("a{sv}"));
    GVariant* parameters = g_variant_new("(asa{sv})", &uris, &platformData);
    // The call may start the helper: the bus activates it from its service file.
    Request* pending = request.release();
    g_dbus_connection_call(bus, pending->busName.c_str(), pending->objectPath.c_str(),
                           kApplicationInterface, "Open", parameters, nullptr,
                           G_DBUS_CALL_FLAGS_NONE, -1, nullptr, onOpenReturned, pending);
    g_object_unref(bus);
}

} // namespace

DBusCreationRequestSender::DBusCreationRequestSender()
    : DBusCreationRequestSender(ids::kHelper, ids::kHelperObjectPath) {}

DBusCreationRequestSender::DBusCreationRequestSender(std::string busName, std::string objectPath)
    : busName_(std::move(busName)), objectPath_(std::move(objectPath)) {}

void DBusCreationRequestSender::send(const std::string& url) {
    // The request carries its own copies: it may outlive this sender.
    auto* request = new Request{busName_, objectPath_, url};
    g_bus_get(G_BUS_TYPE_SESSION, nullptr, onBus, request);
}

} // namespace quillet::platform
