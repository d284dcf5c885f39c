// The Caja module: the entry points Caja looks up when it loads the module,
// over the glue every file manager's module shares. Caja lists it under
// Edit › Preferences › Extensions from the description file installed with it.
#include "finder-extension/glue/file_manager_module.h"
#include "finder-extension/glue/module_lifecycle.h"
#include "shared/identifiers.h"

#include <libcaja-extension/caja-menu-provider.h>

namespace {

using namespace quillet;

struct Caja {
    using Provider = CajaMenuProvider;
    using FileInfo = CajaFileInfo;
    using Menu = CajaMenu;
    using MenuItem = CajaMenuItem;
    static constexpr auto newItem = caja_menu_item_new;
    static constexpr auto newMenu = caja_menu_new;
    static constexpr auto appendItem = caja_menu_append_item;
    static constexpr auto setSubmenu = caja_menu_item_set_submenu;
    static constexpr auto location = caja_file_info_get_location;
    static constexpr auto parentLocation = caja_file_info_get_parent_location;
    static constexpr auto isDirectory = caja_file_info_is_directory;
    static GType fileInfoType() { return CAJA_TYPE_FILE_INFO; }
};
using Module = module::FileManagerModule<Caja>;

void menuProviderInit(gpointer iface, gpointer) {
    auto* menu = static_cast<CajaMenuProviderIface*>(iface);
    menu->get_file_items = Module::fileItems;
    menu->get_background_items = Module::folderItems;
}

} // namespace

// The module is built with hidden visibility; these three are its interface.
#define QUILLET_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" {

QUILLET_MODULE_EXPORT void caja_module_initialize(GTypeModule* module) {
    module::initializeModule(module, "QuilletCajaMenuProvider",
                             {{CAJA_TYPE_MENU_PROVIDER, menuProviderInit}},
                             {ids::kExtensionCaja, QUILLET_MODULE_TO_DATADIR});
}

QUILLET_MODULE_EXPORT void caja_module_shutdown(void) {
    module::shutdownModule();
}

QUILLET_MODULE_EXPORT void caja_module_list_types(const GType** types, int* num_types) {
    module::listModuleTypes(types, num_types);
}

} // extern "C"
