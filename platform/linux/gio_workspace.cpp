#include "gio_workspace.h"

#include <gio/gio.h>

namespace quillet::platform {

namespace {

constexpr int kNameHasOwnerTimeoutMs = 500;

GDBusConnection* sessionBus() {
    // The same shared connection every caller in the process gets.
    return g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
}

std::string uriForPath(const std::string& path) {
    GFile* file = g_file_new_for_path(path.c_str());
    gchar* uri = g_file_get_uri(file);
    std::string result = uri;
    g_free(uri);
    g_object_unref(file);
    return result;
}

bool launchDefault(const std::string& uri) {
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error)) {
        g_message("cannot open %s: %s", uri.c_str(), error->message);
        g_clear_error(&error);
        return false;
    }
    return true;
}

void onShowItemsDone(GObject* source, GAsyncResult* result, gpointer userData) {
    auto* fallbackUri = static_cast<gchar*>(userData);
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply != nullptr) {
        g_variant_unref(reply);
    } else {
        g_message("the file manager cannot show the items: %s", error->message);
        g_clear_error(&error);
        launchDefault(fallbackUri);
    }
    g_free(fallbackUri);
}

} // namespace

bool GioWorkspace::openURL(const std::string& url) {
    return launchDefault(url);
}

bool GioWorkspace::openFile(const std::string& path) {
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    GAppInfo* app = g_file_query_default_handler(file, nullptr, &error);
    bool ok = false;
    if (app != nullptr) {
        GList files = {file, nullptr, nullptr};
        ok = g_app_info_launch(app, &files, nullptr, &error);
        g_object_unref(app);
    }
    if (!ok) {
        g_message("cannot open %s: %s", path.c_str(),
                  error != nullptr ? error->message : "no application");
        g_clear_error(&error);
    }
    g_object_unref(file);
    return ok;
}

bool GioWorkspace::revealItems(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return false;
    }
    GDBusConnection* bus = sessionBus();
    std::string fallback;
    {
        GFile* file = g_file_new_for_path(paths.front().c_str());
        GFile* parent = g_file_get_parent(file);
        gchar* uri = g_file_get_uri(parent != nullptr ? parent : file);
        fallback = uri;
        g_free(uri);
        if (parent != nullptr) {
            g_object_unref(parent);
        }
        g_object_unref(file);
    }
    if (bus == nullptr) {
        return launchDefault(fallback);
    }
    GVariantBuilder uris;
    g_variant_builder_init(&uris, G_VARIANT_TYPE("as"));
    for (const auto& path : paths) {
        g_variant_builder_add(&uris, "s", uriForPath(path).c_str());
    }
    g_dbus_connection_call(bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                           "org.freedesktop.FileManager1", "ShowItems",
                           g_variant_new("(ass)", &uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, -1,
                           nullptr, onShowItemsDone, g_strdup(fallback.c_str()));
    g_object_unref(bus);
    return true;
}

bool GioWorkspace::launchProgram(const std::string& path, const std::vector<std::string>& args) {
    std::vector<gchar*> argv;
    argv.push_back(const_cast<gchar*>(path.c_str()));
    for (const auto& arg : args) {
        argv.push_back(const_cast<gchar*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    GError* error = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib forks twice, so the program is
    // adopted by init and never waits on us.
    gboolean ok = g_spawn_async(g_get_home_dir(), argv.data(), nullptr,
                                static_cast<GSpawnFlags>(G_SPAWN_STDIN_FROM_DEV_NULL), nullptr,
                                nullptr, nullptr, &error);
    if (!ok) {
        g_message("cannot launch %s: %s", path.c_str(), error->message);
        g_clear_error(&error);
    }
    return ok;
}

bool GioWorkspace::isProgramRunning(const std::string& id) const {
    if (!g_dbus_is_name(id.c_str())) {
        return false;
    }
    GDBusConnection* bus = sessionBus();
    if (bus == nullptr) {
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", id.c_str()), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, kNameHasOwnerTimeoutMs, nullptr, nullptr);
    g_object_unref(bus);
    if (reply == nullptr) {
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

} // namespace quillet::platform
