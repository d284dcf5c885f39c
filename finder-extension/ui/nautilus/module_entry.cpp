// The Nautilus module, over the glue every file manager's module shares.
// Nautilus 43 draws no item icons; their names are passed for when it does.
#include "finder-extension/ui/glue/file_manager_module.h"
#include "shared/identifiers.h"

// The header declares the entry points without C linkage.
extern "C" {
#include <nautilus-extension.h>
}

namespace {

using namespace quillet;

QUILLET_FILE_MANAGER(Nautilus, nautilus, NAUTILUS, NautilusMenuProviderInterface);
using Module = module::FileManagerModule<Nautilus>;

void initialize(GTypeModule* module) {
    module::initializeModule(module, "QuilletMenuProvider",
                             {{Nautilus::providerType(), Module::initMenuProvider}},
                             {ids::kExtension, QUILLET_MODULE_TO_DATADIR});
}

} // namespace

QUILLET_GTYPE_MODULE_ENTRY_POINTS(nautilus, initialize)
