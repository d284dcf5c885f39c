// The Nemo module: the entry points Nemo looks up when it loads the module,
// over the glue every file manager's module shares.
#include "finder-extension/glue/file_manager_module.h"
#include "finder-extension/glue/module_lifecycle.h"
#include "shared/identifiers.h"

#include <libnemo-extension/nemo-menu-provider.h>
#include <libnemo-extension/nemo-name-and-desc-provider.h>

namespace {

using namespace quillet;

struct Nemo {
    using Provider = NemoMenuProvider;
    using FileInfo = NemoFileInfo;
    using Menu = NemoMenu;
    using MenuItem = NemoMenuItem;
    static constexpr auto newItem = nemo_menu_item_new;
    static constexpr auto newMenu = nemo_menu_new;
    static constexpr auto appendItem = nemo_menu_append_item;
    static constexpr auto setSubmenu = nemo_menu_item_set_submenu;
    static constexpr auto location = nemo_file_info_get_location;
    static constexpr auto parentLocation = nemo_file_info_get_parent_location;
    static constexpr auto isDirectory = nemo_file_info_is_directory;
    static GType fileInfoType() { return NEMO_TYPE_FILE_INFO; }
};
using Module = module::FileManagerModule<Nemo>;

void menuProviderInit(gpointer iface, gpointer) {
    auto* menu = static_cast<NemoMenuProviderIface*>(iface);
    menu->get_file_items = Module::fileItems;
    menu->get_background_items = Module::folderItems;
}

// Nemo's list of extensions (Edit › Plugins) shows this name and line.
GList* nameAndDescription(NemoNameAndDescProvider*) {
    std::string description = "Adds a New File menu with your templates to the folders you choose";
    if (module::ExtensionHost* host = module::ExtensionHost::current()) {
        description = host->translate(description);
    }
    std::string entry = "Quillet:::";
    entry += description;
    return g_list_append(nullptr, g_strdup(entry.c_str()));
}

void nameAndDescriptionInit(gpointer iface, gpointer) {
    static_cast<NemoNameAndDescProviderIface*>(iface)->get_name_and_desc = nameAndDescription;
}

} // namespace

// The module is built with hidden visibility; these three are its interface.
#define QUILLET_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" {

QUILLET_MODULE_EXPORT void nemo_module_initialize(GTypeModule* module) {
    module::initializeModule(module, "QuilletNemoMenuProvider",
                             {{NEMO_TYPE_MENU_PROVIDER, menuProviderInit},
                              {NEMO_TYPE_NAME_AND_DESC_PROVIDER, nameAndDescriptionInit}},
                             {ids::kExtensionNemo, QUILLET_MODULE_TO_DATADIR});
}

QUILLET_MODULE_EXPORT void nemo_module_shutdown(void) {
    module::shutdownModule();
}

QUILLET_MODULE_EXPORT void nemo_module_list_types(const GType** types, int* num_types) {
    module::listModuleTypes(types, num_types);
}

} // extern "C"
