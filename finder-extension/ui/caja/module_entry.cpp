// The Caja module, over the glue every file manager's module shares. Caja
// lists it under Edit › Preferences › Extensions from the description file
// installed with it.
#include "finder-extension/ui/glue/file_manager_module.h"
#include "shared/identifiers.h"

#include <libcaja-extension/caja-location-widget-provider.h>
#include <libcaja-extension/caja-menu-provider.h>

namespace {

using namespace quillet;

// Caja refuses an item without a tip, and then crashes building its menu.
QUILLET_FILE_MANAGER(Caja, caja, CAJA, CajaMenuProviderIface, "");
using Module = module::FileManagerModule<Caja>;

// What each window shows comes from the location-widget provider, and from
// the window's own signal when its active tab changes.
constexpr module::WindowFolders kWindowFolders = {Module::applicationWindows,
                                                  Module::followLoadingUri, nullptr};

void initialize(GTypeModule* module) {
    module::initializeModule(
        module, "QuilletCajaMenuProvider",
        {{Caja::providerType(), Module::initMenuProvider},
         {CAJA_TYPE_LOCATION_WIDGET_PROVIDER,
          Module::initLocationWidgetProvider<CajaLocationWidgetProviderIface>}},
        {ids::kExtensionCaja, QUILLET_MODULE_TO_DATADIR, "caja", &kWindowFolders});
}

} // namespace

QUILLET_GTYPE_MODULE_ENTRY_POINTS(caja, initialize)
