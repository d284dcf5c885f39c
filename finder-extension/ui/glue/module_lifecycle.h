// What lies behind a module's entry points, the same for every file manager:
// one provider type, and the host started at load and stopped at unload.
#pragma once

#include "extension_host.h"

#include <glib-object.h>

#include <initializer_list>

namespace quillet::module {

struct ProvidedInterface {
    GType type;
    GInterfaceInitFunc init;
};

// Registers the provider type with the module's GTypeModule, then starts the
// host. Never throws: without a host the provider answers no items, and the
// file manager runs on.
void initializeModule(GTypeModule* module, const char* typeName,
                      std::initializer_list<ProvidedInterface> interfaces,
                      const ModuleIdentity& identity) noexcept;
// For a file manager with a type plugin of its own, which registered the
// provider type itself.
void initializeModule(GType providerType, const ModuleIdentity& identity) noexcept;
void shutdownModule() noexcept;
// The provider type, once registered.
void listModuleTypes(const GType** types, int* count) noexcept;

} // namespace quillet::module
