// Loads a built module the way Nautilus, Nemo and Caja do: a GTypeModule
// whose load opens the library and calls <prefix>_module_initialize, and whose
// unload calls <prefix>_module_shutdown. The library itself stays mapped, as
// it does in the file manager.
#pragma once

#include <glib-object.h>

#include <string>
#include <vector>

namespace quillet::test {

// A new GTypeModule for the library, whose entry points begin with `prefix`
// ("nautilus", "nemo", "caja"); nothing is loaded until g_type_module_use.
GTypeModule* newHarnessModule(const std::string& libraryPath, const std::string& prefix);

// The types the module listed at its last load.
std::vector<GType> harnessModuleTypes(GTypeModule* module);

// A module in use for the whole process, and the one type (its menu provider)
// it lists.
struct LoadedModule {
    GTypeModule* module = nullptr;
    GType providerType = 0;

    // Empty on success, else what went wrong.
    std::string load(const std::string& libraryPath, const std::string& prefix);
    void unload();
};

} // namespace quillet::test
