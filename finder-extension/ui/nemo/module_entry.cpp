// The Nemo module, over the glue every file manager's module shares.
#include "finder-extension/ui/glue/file_manager_module.h"
#include "shared/identifiers.h"
#include "shared/text_mark.h"

#include <libnemo-extension/nemo-location-widget-provider.h>
#include <libnemo-extension/nemo-menu-provider.h>
#include <libnemo-extension/nemo-name-and-desc-provider.h>

namespace {

using namespace quillet;

// Nemo refuses an item without a tip.
QUILLET_FILE_MANAGER(Nemo, nemo, NEMO, NemoMenuProviderIface, "");
using Module = module::FileManagerModule<Nemo>;

// What each window shows comes from the location-widget provider, and from
// the window's own signal when its active tab changes.
constexpr module::WindowFolders kWindowFolders = {Module::applicationWindows,
                                                  Module::followLoadingUri, nullptr};

// Nemo's list of extensions (Edit › Plugins) shows this name and line.
GList* nameAndDescription(NemoNameAndDescProvider*) {
    std::string description =
        N_("Adds a New File menu with your templates to the folders you choose");
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

void initialize(GTypeModule* module) {
    module::initializeModule(
        module, "QuilletNemoMenuProvider",
        {{Nemo::providerType(), Module::initMenuProvider},
         {NEMO_TYPE_LOCATION_WIDGET_PROVIDER,
          Module::initLocationWidgetProvider<NemoLocationWidgetProviderIface>},
         {NEMO_TYPE_NAME_AND_DESC_PROVIDER, nameAndDescriptionInit}},
        {ids::kExtensionNemo, QUILLET_MODULE_TO_DATADIR, "nemo", &kWindowFolders});
}

} // namespace

QUILLET_GTYPE_MODULE_ENTRY_POINTS(nemo, initialize)
