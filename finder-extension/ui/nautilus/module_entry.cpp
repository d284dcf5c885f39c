// The Nautilus module, over the glue every file manager's module shares.
// Nautilus 43 draws no item icons; their names are passed for when it does.
#include "finder-extension/ui/glue/file_manager_module.h"
#include "shared/identifiers.h"

// The header declares the entry points without C linkage.
extern "C" {
#include <nautilus-extension.h>
}

namespace {

using namespace quillet;

QUILLET_FILE_MANAGER(Nautilus, nautilus, NAUTILUS, NautilusMenuProviderInterface, nullptr);
using Module = module::FileManagerModule<Nautilus>;

// Nautilus 43 says what each window shows in OpenWindowsWithLocations of its
// org.freedesktop.FileManager1 object (a{sas}, keyed by the window's object
// path "<application path>/window/<id>"). It serves that object on its own
// connection whether or not it owns the well-known name, so the module asks
// its own connection, without waiting: the answer comes from this very loop.
constexpr const char* kFileManagerPath = "/org/freedesktop/FileManager1";
constexpr const char* kFileManagerInterface = "org.freedesktop.FileManager1";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";

// The locations come in tab order; the window is titled after the active
// tab's folder, so the one whose name is the title is the active tab's (the
// first where none matches, as with a single tab shown by another name).
const gchar* activeTabLocation(GtkWindow* window, GVariant* locations) {
    const gsize count = g_variant_n_children(locations);
    const gchar* chosen = nullptr;
    const char* title = gtk_window_get_title(window);
    for (gsize i = 0; i < count; ++i) {
        const gchar* uri = nullptr;
        g_variant_get_child(locations, i, "&s", &uri);
        if (chosen == nullptr) {
            chosen = uri;
        }
        if (title == nullptr) {
            break;
        }
        GFile* file = g_file_new_for_uri(uri);
        gchar* name = g_file_get_basename(file);
        const bool titled = name != nullptr && g_strcmp0(name, title) == 0;
        g_free(name);
        g_object_unref(file);
        if (titled) {
            return uri;
        }
    }
    return chosen;
}

void applyWindowLocations(GVariant* windows) {
    module::ExtensionHost* host = module::ExtensionHost::current();
    module::WindowTracker* tracker = host != nullptr ? host->windowTracker() : nullptr;
    const char* applicationPath = tracker != nullptr && tracker->application() != nullptr
                                      ? g_application_get_dbus_object_path(tracker->application())
                                      : nullptr;
    if (applicationPath == nullptr) {
        return;
    }
    // Copied: reporting may change the tracker's set.
    const std::set<GObject*> followed = tracker->windows();
    for (GObject* window : followed) {
        if (!GTK_IS_APPLICATION_WINDOW(window)) {
            continue;
        }
        gchar* key = g_strdup_printf("%s/window/%u", applicationPath,
                                     gtk_application_window_get_id(GTK_APPLICATION_WINDOW(window)));
        if (GVariant* locations = g_variant_lookup_value(windows, key, G_VARIANT_TYPE("as"))) {
            if (const gchar* uri = activeTabLocation(GTK_WINDOW(window), locations)) {
                module::windowShowsLocation(window, uri);
            }
            g_variant_unref(locations);
        }
        g_free(key);
    }
}

void onWindowLocations(GObject* bus, GAsyncResult* result, gpointer) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
    if (reply == nullptr) {
        g_debug("no window locations: %s", error->message);
        g_error_free(error);
        return;
    }
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    if (g_variant_is_of_type(value, G_VARIANT_TYPE("a{sas}"))) {
        applyWindowLocations(value);
    }
    g_variant_unref(value);
    g_variant_unref(reply);
}

void refreshWindowLocations(GObject* = nullptr) {
    module::ExtensionHost* host = module::ExtensionHost::current();
    module::WindowTracker* tracker = host != nullptr ? host->windowTracker() : nullptr;
    GDBusConnection* bus = tracker != nullptr && tracker->application() != nullptr
                               ? g_application_get_dbus_connection(tracker->application())
                               : nullptr;
    if (bus == nullptr) {
        return;
    }
    g_dbus_connection_call(
        bus, g_dbus_connection_get_unique_name(bus), kFileManagerPath, kPropertiesInterface, "Get",
        g_variant_new("(ss)", kFileManagerInterface, "OpenWindowsWithLocations"),
        G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, onWindowLocations, nullptr);
}

// Each new window: the locations are read again, and from the first on,
// every change Nautilus announces is followed.
void followWindow(GObject* window) {
    static guint subscription = 0;
    GtkApplication* application = gtk_window_get_application(GTK_WINDOW(window));
    GDBusConnection* bus = application != nullptr
                               ? g_application_get_dbus_connection(G_APPLICATION(application))
                               : nullptr;
    if (subscription == 0 && bus != nullptr) {
        subscription = g_dbus_connection_signal_subscribe(
            bus, g_dbus_connection_get_unique_name(bus), kPropertiesInterface, "PropertiesChanged",
            kFileManagerPath, kFileManagerInterface, G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
               gpointer) { refreshWindowLocations(); },
            nullptr, nullptr);
    }
    // A tab switch changes no location, only the window's title.
    g_signal_connect(window, "notify::title",
                     G_CALLBACK(+[](GObject*, GParamSpec*, gpointer) { refreshWindowLocations(); }),
                     nullptr);
    refreshWindowLocations();
}

constexpr module::WindowFolders kWindowFolders = {Module::applicationWindows, followWindow,
                                                  refreshWindowLocations};

void initialize(GTypeModule* module) {
    module::initializeModule(
        module, "QuilletMenuProvider", {{Nautilus::providerType(), Module::initMenuProvider}},
        {ids::kExtension, QUILLET_MODULE_TO_DATADIR, "nautilus", &kWindowFolders});
}

} // namespace

QUILLET_GTYPE_MODULE_ENTRY_POINTS(nautilus, initialize)
