// Caja: the module in a GTypeModule, as Caja loads it; menus are asked for
// without a window, which the library allows.
#include "harness_file_info.h"
#include "harness_module.h"
#include "module_driver.h"

#include "shared/identifiers.h"

#include <libcaja-extension/caja-menu-provider.h>

namespace quillet::test::driver {

namespace {
LoadedModule gLoaded;
} // namespace

const char* extensionBusName() {
    return ids::kExtensionCaja;
}

std::string loadModule() {
    return gLoaded.load(QUILLET_CAJA_MODULE_FILE, "caja");
}

void unloadModule() {
    gLoaded.unload();
}

GType menuProviderInterface() {
    return CAJA_TYPE_MENU_PROVIDER;
}

GObject* newMenuProvider() {
    return G_OBJECT(g_object_new(gLoaded.providerType, nullptr));
}

GType fileInfoInterface() {
    return CAJA_TYPE_FILE_INFO;
}

void initFileInfoInterface(gpointer iface, gpointer) {
    fillFileInfoInterface<CajaFileInfoIface, CajaFileInfo>(static_cast<CajaFileInfoIface*>(iface));
}

GList* backgroundItems(GObject* provider, GObject* folder) {
    return caja_menu_provider_get_background_items(CAJA_MENU_PROVIDER(provider), nullptr,
                                                   CAJA_FILE_INFO(folder));
}

GList* fileItems(GObject* provider, GList* files) {
    return caja_menu_provider_get_file_items(CAJA_MENU_PROVIDER(provider), nullptr, files);
}

GList* submenuItems(GObject* menu) {
    return caja_menu_get_items(CAJA_MENU(menu));
}

} // namespace quillet::test::driver
