// Nautilus: the module in a GTypeModule, as Nautilus loads it.
#include "harness_file_info.h"
#include "harness_module.h"
#include "module_driver.h"

#include "shared/identifiers.h"

#include <nautilus-extension.h>

namespace quillet::test::driver {

namespace {
LoadedModule gLoaded;
} // namespace

const char* extensionBusName() {
    return ids::kExtension;
}

std::string loadModule() {
    return gLoaded.load(QUILLET_NAUTILUS_MODULE_FILE, "nautilus");
}

void unloadModule() {
    gLoaded.unload();
}

GType menuProviderInterface() {
    return NAUTILUS_TYPE_MENU_PROVIDER;
}

GObject* newMenuProvider() {
    return G_OBJECT(g_object_new(gLoaded.providerType, nullptr));
}

GType fileInfoInterface() {
    return NAUTILUS_TYPE_FILE_INFO;
}

void initFileInfoInterface(gpointer iface, gpointer) {
    fillFileInfoInterface<NautilusFileInfoInterface, NautilusFileInfo>(
        static_cast<NautilusFileInfoInterface*>(iface));
}

GList* backgroundItems(GObject* provider, GObject* folder) {
    return nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(provider),
                                                       NAUTILUS_FILE_INFO(folder));
}

GList* fileItems(GObject* provider, GList* files) {
    return nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(provider), files);
}

GList* submenuItems(GObject* menu) {
    return nautilus_menu_get_items(NAUTILUS_MENU(menu));
}

} // namespace quillet::test::driver
