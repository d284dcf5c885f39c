// The three entry points the file manager looks up when it loads the module.
#include "extension_host.h"
#include "menu_provider.h"

// The header declares the entry points without C linkage.
extern "C" {
#include <nautilus-extension.h>
}

#include <exception>

namespace {
GType gTypes[1];
}

// The module is built with hidden visibility; these three are its interface.
#define QUILLET_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" {

QUILLET_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module) {
    try {
        quillet::nautilus::registerMenuProviderType(module);
        gTypes[0] = quillet::nautilus::menuProviderType();
        quillet::nautilus::ExtensionHost::start();
    } catch (const std::exception& e) {
        // Without a host the provider answers no items; the file manager runs on.
        g_warning("Quillet extension not started: %s", e.what());
    } catch (...) {
        g_warning("Quillet extension not started");
    }
}

QUILLET_MODULE_EXPORT void nautilus_module_shutdown(void) {
    try {
        quillet::nautilus::ExtensionHost::stop();
    } catch (...) {
        g_warning("Quillet extension did not stop cleanly");
    }
}

QUILLET_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* num_types) {
    *types = gTypes;
    *num_types = gTypes[0] != 0 ? 1 : 0;
}

} // extern "C"
