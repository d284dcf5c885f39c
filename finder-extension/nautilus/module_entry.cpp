// The Nautilus module: the entry points Nautilus looks up when it loads the
// module, over the glue every file manager's module shares.
#include "finder-extension/glue/file_manager_module.h"
#include "finder-extension/glue/module_lifecycle.h"
#include "shared/identifiers.h"

// The header declares the entry points without C linkage.
extern "C" {
#include <nautilus-extension.h>
}

namespace {

using namespace quillet;

struct Nautilus {
    using Provider = NautilusMenuProvider;
    using FileInfo = NautilusFileInfo;
    using Menu = NautilusMenu;
    using MenuItem = NautilusMenuItem;
    // Nautilus 43 draws no item icons; the name is passed for when it does.
    static constexpr auto newItem = nautilus_menu_item_new;
    static constexpr auto newMenu = nautilus_menu_new;
    static constexpr auto appendItem = nautilus_menu_append_item;
    static constexpr auto setSubmenu = nautilus_menu_item_set_submenu;
    static constexpr auto location = nautilus_file_info_get_location;
    static constexpr auto parentLocation = nautilus_file_info_get_parent_location;
    static constexpr auto isDirectory = nautilus_file_info_is_directory;
    static GType fileInfoType() { return NAUTILUS_TYPE_FILE_INFO; }
};
using Module = module::FileManagerModule<Nautilus>;

void menuProviderInit(gpointer iface, gpointer) {
    auto* menu = static_cast<NautilusMenuProviderInterface*>(iface);
    menu->get_file_items = Module::fileItems;
    menu->get_background_items = Module::folderItems;
}

} // namespace

// The module is built with hidden visibility; these three are its interface.
#define QUILLET_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" {

QUILLET_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module) {
    module::initializeModule(module, "QuilletMenuProvider",
                             {{NAUTILUS_TYPE_MENU_PROVIDER, menuProviderInit}},
                             {ids::kExtension, QUILLET_MODULE_TO_DATADIR});
}

QUILLET_MODULE_EXPORT void nautilus_module_shutdown(void) {
    module::shutdownModule();
}

QUILLET_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* num_types) {
    module::listModuleTypes(types, num_types);
}

} // extern "C"
