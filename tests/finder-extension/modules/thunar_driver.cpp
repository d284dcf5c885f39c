// Thunar: the module found and loaded by libthunarx's own provider factory,
// exactly as Thunar finds and loads it, and asked for menus with a window,
// which the library requires.
#include "harness_file_info.h"
#include "module_driver.h"

#include "shared/identifiers.h"

#include <thunarx/thunarx.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace quillet::test::driver {

namespace {
ThunarxProviderFactory* gFactory = nullptr;
GtkWidget* gWindow = nullptr;
std::string gStage;

std::string systemError(std::string what) {
    return what + ": " + std::strerror(errno);
}

// Debian's libthunarx reads modules from its own folder only (THUNARX_DIRS
// counts in its debug builds alone). In a mount namespace of this thread's
// own, whose mounts propagate nowhere, a folder holding only a link to the
// built module is mounted over Thunar's: the factory finds the module as it
// would find it installed, and the module, following the link, finds its
// resources in the build tree.
std::string stageModuleInThunarsFolder() {
    char* stage = g_dir_make_tmp("quillet-thunarx-XXXXXX", nullptr);
    if (stage == nullptr) {
        return "no temporary folder";
    }
    gStage = stage;
    g_free(stage);
    std::filesystem::path module(QUILLET_THUNAR_MODULE_FILE);
    if (symlink(module.c_str(), (gStage / module.filename()).c_str()) != 0) {
        return systemError("cannot link the module");
    }
    if (unshare(CLONE_NEWNS) != 0) {
        // Only root gets a mount namespace here: the process already has
        // threads, which rules out a user namespace.
        std::string reason(kUnavailable);
        return errno == EPERM && geteuid() != 0
                   ? reason + "mounting over Thunar's module folder needs root"
                   : systemError("no mount namespace of our own");
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return systemError("cannot keep our mounts private");
    }
    if (mount(gStage.c_str(), QUILLET_THUNARX_DIR, nullptr, MS_BIND, nullptr) != 0) {
        return systemError("cannot mount over " QUILLET_THUNARX_DIR);
    }
    return {};
}

// The factory's providers of menus (a new list of new references).
GList* menuProviders() {
    return thunarx_provider_factory_list_providers(gFactory, THUNARX_TYPE_MENU_PROVIDER);
}
} // namespace

const char* extensionBusName() {
    return ids::kExtensionThunar;
}

std::string loadModule() {
    // The suite's display is shared by every test running beside this one:
    // one refused connection is tried again before the run is given up.
    bool opened = gtk_init_check(nullptr, nullptr);
    for (int attempt = 0; !opened && attempt < 20; ++attempt) {
        g_usleep(100 * 1000);
        opened = gtk_init_check(nullptr, nullptr);
    }
    if (!opened) {
        return "no display for the window Thunar asks menus with";
    }
    gWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (std::string failure = stageModuleInThunarsFolder(); !failure.empty()) {
        return failure;
    }
    gFactory = thunarx_provider_factory_get_default();
    GList* providers = menuProviders();
    guint count = g_list_length(providers);
    g_list_free_full(providers, g_object_unref);
    if (count != 1) {
        std::string failure = "the factory found ";
        return failure + std::to_string(count) + " menu providers, not one";
    }
    return {};
}

void unloadModule() {
    // The module makes itself resident: Thunar never unloads it.
    g_clear_object(&gFactory);
    if (gWindow != nullptr) {
        gtk_widget_destroy(gWindow);
    }
    if (!gStage.empty()) {
        umount2(QUILLET_THUNARX_DIR, MNT_DETACH);
        std::error_code ec;
        std::filesystem::remove_all(gStage, ec);
    }
}

GType menuProviderInterface() {
    return THUNARX_TYPE_MENU_PROVIDER;
}

GObject* newMenuProvider() {
    GList* providers = menuProviders();
    GObject* provider = providers != nullptr ? G_OBJECT(g_object_ref(providers->data)) : nullptr;
    g_list_free_full(providers, g_object_unref);
    return provider;
}

GType fileInfoInterface() {
    return THUNARX_TYPE_FILE_INFO;
}

void initFileInfoInterface(gpointer table, gpointer) {
    using namespace file_info;
    using Info = ThunarxFileInfo;
    auto* iface = static_cast<ThunarxFileInfoIface*>(table);
    iface->get_name = [](Info* i) { return g_file_get_basename(location(i)); };
    iface->get_uri = [](Info* i) { return g_file_get_uri(location(i)); };
    iface->get_parent_uri = [](Info* i) { return parentUri(i); };
    iface->get_uri_scheme = [](Info* i) { return g_file_get_uri_scheme(location(i)); };
    iface->get_mime_type = [](Info* i) { return mimeType(i); };
    iface->has_mime_type = [](Info* i, const char* type) -> gboolean {
        char* own = mimeType(i);
        gboolean same = g_content_type_is_a(own, type);
        g_free(own);
        return same;
    };
    iface->is_directory = [](Info* i) { return isDirectory(i); };
    iface->get_file_info = [](Info* i) {
        GFileInfo* info =
            g_file_query_info(location(i), "standard::*", G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
        return info != nullptr ? info : g_file_info_new();
    };
    iface->get_filesystem_info = [](Info* i) {
        return g_file_query_filesystem_info(location(i), "filesystem::*", nullptr, nullptr);
    };
    iface->get_location = [](Info* i) { return G_FILE(g_object_ref(location(i))); };
}

GList* backgroundItems(GObject* provider, GObject* folder) {
    return thunarx_menu_provider_get_folder_menu_items(THUNARX_MENU_PROVIDER(provider), gWindow,
                                                       THUNARX_FILE_INFO(folder));
}

GList* fileItems(GObject* provider, GList* files) {
    return thunarx_menu_provider_get_file_menu_items(THUNARX_MENU_PROVIDER(provider), gWindow,
                                                     files);
}

GList* submenuItems(GObject* menu) {
    return thunarx_menu_get_items(THUNARX_MENU(menu));
}

} // namespace quillet::test::driver
