// The Thunar module: the entry points libthunarx looks up when it loads the
// module, over the glue every file manager's module shares.
#include "finder-extension/ui/glue/file_manager_module.h"
#include "shared/identifiers.h"

// Some of the headers declare their functions without C linkage.
extern "C" {
#include <thunarx/thunarx.h>
}

namespace {

using namespace quillet;

// Thunar's file info has no parent location of its own.
GFile* parentLocation(ThunarxFileInfo* info) {
    GFile* location = thunarx_file_info_get_location(info);
    if (location == nullptr) {
        return nullptr;
    }
    GFile* parent = g_file_get_parent(location);
    g_object_unref(location);
    return parent;
}

struct Thunar {
    using Provider = ThunarxMenuProvider;
    using ProviderIface = ThunarxMenuProviderIface;
    using FileInfo = ThunarxFileInfo;
    using Menu = ThunarxMenu;
    using MenuItem = ThunarxMenuItem;
    static constexpr auto newItem = thunarx_menu_item_new;
    static constexpr auto newMenu = thunarx_menu_new;
    static constexpr auto appendItem = thunarx_menu_append_item;
    static constexpr auto setSubmenu = thunarx_menu_item_set_menu;
    static constexpr auto location = thunarx_file_info_get_location;
    static constexpr auto parentLocation = ::parentLocation;
    static constexpr auto isDirectory = thunarx_file_info_is_directory;
    static constexpr const char* noTip = "";
    static GType fileInfoType() { return THUNARX_TYPE_FILE_INFO; }
    static GType providerType() { return THUNARX_TYPE_MENU_PROVIDER; }
};
using Module = module::FileManagerModule<Thunar>;

// A Thunar window says what it shows in its "current-directory" property, a
// file info of Thunar's own.
void reportCurrentDirectory(GObject* window, GParamSpec*, gpointer) {
    GObject* directory = nullptr;
    g_object_get(window, "current-directory", &directory, nullptr);
    if (directory == nullptr) {
        return;
    }
    if (THUNARX_IS_FILE_INFO(directory)) {
        gchar* uri = thunarx_file_info_get_uri(THUNARX_FILE_INFO(directory));
        module::windowShowsLocation(window, uri);
        g_free(uri);
    }
    g_object_unref(directory);
}

void followWindow(GObject* window) {
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(window), "current-directory") == nullptr) {
        return;
    }
    g_signal_connect(window, "notify::current-directory", G_CALLBACK(reportCurrentDirectory),
                     nullptr);
    reportCurrentDirectory(window, nullptr, nullptr);
}

constexpr module::WindowFolders kWindowFolders = {Module::applicationWindows, followWindow,
                                                  nullptr};

} // namespace

// The module is built with hidden visibility; these three are its interface.
#define QUILLET_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" {

QUILLET_MODULE_EXPORT void thunar_extension_initialize(ThunarxProviderPlugin* plugin) {
    if (const char* mismatch = thunarx_check_version(THUNARX_MAJOR_VERSION, THUNARX_MINOR_VERSION,
                                                     THUNARX_MICRO_VERSION)) {
        g_warning("Quillet extension not started: %s", mismatch);
        return;
    }
    // libthunarx unloads a module nobody uses for a while; ours holds its
    // name on the bus and its watch of the settings, which must not come
    // and go with the menus.
    thunarx_provider_plugin_set_resident(plugin, TRUE);
    GType type = thunarx_provider_plugin_register_type(
        plugin, G_TYPE_OBJECT, "QuilletThunarMenuProvider", &module::providerTypeInfo(), {});
    const GInterfaceInfo menuProvider = {Module::initMenuProvider, nullptr, nullptr};
    thunarx_provider_plugin_add_interface(plugin, type, Thunar::providerType(), &menuProvider);
    module::initializeModule(
        type, {ids::kExtensionThunar, QUILLET_MODULE_TO_DATADIR, "thunar", &kWindowFolders});
}

QUILLET_MODULE_EXPORT void thunar_extension_shutdown(void) {
    module::shutdownModule();
}

QUILLET_MODULE_EXPORT void thunar_extension_list_types(const GType** types, gint* n_types) {
    module::listModuleTypes(types, n_types);
}

} // extern "C"
