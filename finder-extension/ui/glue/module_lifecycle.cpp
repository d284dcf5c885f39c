#include "module_lifecycle.h"

#include "menu_provider.h"

#include <exception>

namespace quillet::module {

namespace {
GType gTypes[1];
}

void initializeModule(GTypeModule* module, const char* typeName,
                      std::initializer_list<ProvidedInterface> interfaces,
                      const ModuleIdentity& identity) noexcept {
    GType type =
        g_type_module_register_type(module, G_TYPE_OBJECT, typeName, &providerTypeInfo(), {});
    for (const auto& provided : interfaces) {
        const GInterfaceInfo info = {provided.init, nullptr, nullptr};
        g_type_module_add_interface(module, type, provided.type, &info);
    }
    initializeModule(type, identity);
}

void initializeModule(GType providerType, const ModuleIdentity& identity) noexcept {
    gTypes[0] = providerType;
    try {
        ExtensionHost::start(identity);
    } catch (const std::exception& e) {
        g_warning("Quillet extension not started: %s", e.what());
    } catch (...) {
        g_warning("Quillet extension not started");
    }
}

void shutdownModule() noexcept {
    try {
        ExtensionHost::stop();
    } catch (...) {
        g_warning("Quillet extension did not stop cleanly");
    }
}

void listModuleTypes(const GType** types, int* count) noexcept {
    *types = gTypes;
    *count = gTypes[0] != 0 ? 1 : 0;
}

} // namespace quillet::module
