#include "gio_workspace.h"

#include "dbus_name_watch.h"
#include "glib_error.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>
#include <memory>

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

Status launchDefault(const std::string& uri) {
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error)) {
        g_message("cannot open %s: %s", uri.c_str(), error->message);
        return takeGError("open", uri, &error);
    }
    return {};
}

// One reveal on its way: the next place to ask when one fails.
struct Reveal {
    GDBusConnection* bus = nullptr; // owned
    std::vector<std::string> uris;
    std::string folderUri; // opened when no file manager answers
    std::string name;      // the first item's name, for Thunar
    bool askedTheDesktop = false;

    ~Reveal() {
        if (bus != nullptr) {
            g_object_unref(bus);
        }
    }
};

// The file managers that serve the FileManager1 object under a bus name of
// their own, so that the one the request came from shows the item even when
// another owns org.freedesktop.FileManager1.
constexpr struct {
    const char* fileManager;
    const char* busName;
} kOwnFileManager1[] = {
    {"nautilus", "org.gnome.Nautilus"},
    {"nemo", "org.Nemo"},
    {"caja", "org.mate.Caja"},
};
constexpr const char* kDesktopFileManager = "org.freedesktop.FileManager1";

void askNext(std::unique_ptr<Reveal> reveal);

void onRevealAnswered(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Reveal> reveal(static_cast<Reveal*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply != nullptr) {
        g_variant_unref(reply);
        return;
    }
    g_message("the file manager cannot show the items: %s", error->message);
    g_clear_error(&error);
    askNext(std::move(reveal));
}

// The requesting file manager is asked only while it runs (it has just sent
// the request); the desktop's may be started for the reveal.
GDBusCallFlags startFlags(const Reveal& reveal) {
    return reveal.askedTheDesktop ? G_DBUS_CALL_FLAGS_NONE : G_DBUS_CALL_FLAGS_NO_AUTO_START;
}

void showItemsThrough(const char* busName, std::unique_ptr<Reveal> reveal) {
    GVariantBuilder uris;
    g_variant_builder_init(&uris, G_VARIANT_TYPE("as"));
    for (const auto& uri : reveal->uris) {
        g_variant_builder_add(&uris, "s", uri.c_str());
    }
    GDBusConnection* bus = reveal->bus;
    const GDBusCallFlags flags = startFlags(*reveal);
    g_dbus_connection_call(bus, busName, "/org/freedesktop/FileManager1",
                           "org.freedesktop.FileManager1", "ShowItems",
                           g_variant_new("(ass)", &uris, ""), nullptr, flags, -1, nullptr,
                           onRevealAnswered, reveal.release());
}

// After the requesting file manager: the desktop's, then the folder itself.
void askNext(std::unique_ptr<Reveal> reveal) {
    if (!reveal->askedTheDesktop) {
        reveal->askedTheDesktop = true;
        showItemsThrough(kDesktopFileManager, std::move(reveal));
        return;
    }
    // A reply callback has nobody to tell; the failure is logged.
    (void)launchDefault(reveal->folderUri);
}

void askFileManager(const std::string& fileManager, std::unique_ptr<Reveal> reveal) {
    if (fileManager == "thunar") {
        GDBusConnection* bus = reveal->bus;
        const std::string folder = reveal->folderUri;
        const std::string name = reveal->name;
        g_dbus_connection_call(bus, "org.xfce.FileManager", "/org/xfce/FileManager",
                               "org.xfce.FileManager", "DisplayFolderAndSelect",
                               g_variant_new("(ssss)", folder.c_str(), name.c_str(), "", ""),
                               nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr,
                               onRevealAnswered, reveal.release());
        return;
    }
    for (const auto& own : kOwnFileManager1) {
        if (fileManager == own.fileManager) {
            showItemsThrough(own.busName, std::move(reveal));
            return;
        }
    }
    askNext(std::move(reveal));
}

} // namespace

Status GioWorkspace::openURL(const std::string& url) {
    return launchDefault(url);
}

Status GioWorkspace::openFile(const std::string& path) {
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    GAppInfo* app = g_file_query_default_handler(file, nullptr, &error);
    bool ok = false;
    if (app != nullptr) {
        GList files = {file, nullptr, nullptr};
        ok = g_app_info_launch(app, &files, nullptr, &error);
        g_object_unref(app);
    }
    g_object_unref(file);
    if (!ok) {
        g_message("cannot open %s: %s", path.c_str(),
                  error != nullptr ? error->message : "no application");
        return takeGError("open", path, &error);
    }
    return {};
}

Status GioWorkspace::moveToTrash(const std::string& path) {
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    const bool trashed = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (!trashed) {
        g_message("cannot move %s to the trash: %s", path.c_str(), error->message);
        return takeGError("move to the trash", path, &error);
    }
    return {};
}

Status GioWorkspace::revealItems(const std::vector<std::string>& paths,
                                 const std::string& fileManager) {
    if (paths.empty()) {
        return Error::withDetail("show the items", "", "no items");
    }
    GDBusConnection* bus = sessionBus();
    std::string folderUri;
    std::string name;
    {
        GFile* file = g_file_new_for_path(paths.front().c_str());
        GFile* parent = g_file_get_parent(file);
        gchar* uri = g_file_get_uri(parent != nullptr ? parent : file);
        folderUri = uri;
        g_free(uri);
        gchar* base = g_file_get_basename(file);
        name = base != nullptr ? base : "";
        g_free(base);
        if (parent != nullptr) {
            g_object_unref(parent);
        }
        g_object_unref(file);
    }
    if (bus == nullptr) {
        return launchDefault(folderUri);
    }
    auto reveal = std::make_unique<Reveal>();
    reveal->bus = bus;
    reveal->folderUri = std::move(folderUri);
    reveal->name = std::move(name);
    for (const auto& path : paths) {
        reveal->uris.push_back(uriForPath(path));
    }
    askFileManager(fileManager, std::move(reveal));
    return {};
}

Status GioWorkspace::launchProgram(const std::string& path, const std::vector<std::string>& args) {
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
        return takeGError("launch", path, &error);
    }
    return {};
}

bool GioWorkspace::isProgramRunning(const std::string& id) const {
    if (!g_dbus_is_name(id.c_str())) {
        return false;
    }
    GDBusConnection* bus = sessionBus();
    if (bus == nullptr) {
        return false;
    }
    const bool owned = nameHasOwner(bus, id, kNameHasOwnerTimeoutMs);
    g_object_unref(bus);
    return owned;
}

std::vector<AssociatedApp> GioWorkspace::applicationsForFile(const std::string& path) const {
    std::vector<AssociatedApp> apps;
    gchar* type = nullptr;
    if (g_file_test(path.c_str(), G_FILE_TEST_IS_DIR)) {
        type = g_strdup("inode/directory");
    } else {
        type = g_content_type_guess(path.c_str(), nullptr, 0, nullptr);
    }
    GList* all = g_app_info_get_all_for_type(type);
    g_free(type);
    for (GList* it = all; it != nullptr; it = it->next) {
        auto* info = G_APP_INFO(it->data);
        const char* id = g_app_info_get_id(info);
        const char* name = g_app_info_get_display_name(info);
        if (id == nullptr || name == nullptr ||
            std::any_of(apps.begin(), apps.end(), [&](const auto& a) { return a.id == id; })) {
            continue;
        }
        AssociatedApp app{id, name, {}};
        if (GIcon* icon = g_app_info_get_icon(info); icon != nullptr) {
            if (G_IS_THEMED_ICON(icon)) {
                const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon));
                app.icon = names != nullptr && names[0] != nullptr ? names[0] : "";
            } else if (G_IS_FILE_ICON(icon)) {
                gchar* file = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)));
                app.icon = file != nullptr ? file : "";
                g_free(file);
            }
        }
        apps.push_back(std::move(app));
    }
    g_list_free_full(all, g_object_unref);
    return apps;
}

Status GioWorkspace::openFileWithApplication(const std::string& path, const std::string& appId) {
    GDesktopAppInfo* info = g_desktop_app_info_new(appId.c_str());
    if (info == nullptr) {
        g_message("cannot open %s: no application %s", path.c_str(), appId.c_str());
        return Error::withDetail("open", path, "no application " + appId,
                                 std::errc::no_such_file_or_directory);
    }
    GFile* file = g_file_new_for_path(path.c_str());
    GList files = {file, nullptr, nullptr};
    GError* error = nullptr;
    const bool ok = g_app_info_launch(G_APP_INFO(info), &files, nullptr, &error);
    g_object_unref(file);
    g_object_unref(info);
    if (!ok) {
        g_message("cannot open %s with %s: %s", path.c_str(), appId.c_str(), error->message);
        return takeGError("open", path, &error);
    }
    return {};
}

} // namespace quillet::platform
