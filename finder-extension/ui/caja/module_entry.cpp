// The Caja module, over the glue every file manager's module shares. Caja
// lists it under Edit › Preferences › Extensions from the description file
// installed with it.
#include "finder-extension/ui/glue/file_manager_module.h"
#include "shared/identifiers.h"

#include <libcaja-extension/caja-menu-provider.h>

namespace {

using namespace quillet;

QUILLET_FILE_MANAGER(Caja, caja, CAJA, CajaMenuProviderIface);
using Module = module::FileManagerModule<Caja>;

void initialize(GTypeModule* module) {
    module::initializeModule(module, "QuilletCajaMenuProvider",
                             {{Caja::providerType(), Module::initMenuProvider}},
                             {ids::kExtensionCaja, QUILLET_MODULE_TO_DATADIR});
}

} // namespace

QUILLET_GTYPE_MODULE_ENTRY_POINTS(caja, initialize)
