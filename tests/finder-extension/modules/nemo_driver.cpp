// Nemo: the module in a GTypeModule, as Nemo loads it; menus are asked for
// without a window, which the library allows.
#include "harness_file_info.h"
#include "harness_module.h"
#include "module_driver.h"

#include "shared/identifiers.h"

#include <libnemo-extension/nemo-menu-provider.h>

namespace quillet::test::driver {

namespace {
LoadedModule gLoaded;
} // namespace

const char* extensionBusName() {
    return ids::kExtensionNemo;
}

std::string loadModule() {
    return gLoaded.load(QUILLET_NEMO_MODULE_FILE, "nemo");
}

void unloadModule() {
    gLoaded.unload();
}

GType menuProviderInterface() {
    return NEMO_TYPE_MENU_PROVIDER;
}

GObject* newMenuProvider() {
    return G_OBJECT(g_object_new(gLoaded.providerType, nullptr));
}

GType fileInfoInterface() {
    return NEMO_TYPE_FILE_INFO;
}

void initFileInfoInterface(gpointer iface, gpointer) {
    fillFileInfoInterface<NemoFileInfoInterface, NemoFileInfo>(
        static_cast<NemoFileInfoInterface*>(iface));
}

GList* backgroundItems(GObject* provider, GObject* folder) {
    return nemo_menu_provider_get_background_items(NEMO_MENU_PROVIDER(provider), nullptr,
                                                   NEMO_FILE_INFO(folder));
}

GList* fileItems(GObject* provider, GList* files) {
    return nemo_menu_provider_get_file_items(NEMO_MENU_PROVIDER(provider), nullptr, files);
}

GList* submenuItems(GObject* menu) {
    return nemo_menu_get_items(NEMO_MENU(menu));
}

} // namespace quillet::test::driver
