// Loads the built module the way the file manager does: a GTypeModule whose
// load opens the library and calls nautilus_module_initialize, and whose
// unload calls nautilus_module_shutdown. The library itself stays mapped, as
// it does in the file manager.
#pragma once

#include <glib-object.h>

#include <string>
#include <vector>

namespace quillet::test {

// A new GTypeModule for the library; nothing is loaded until g_type_module_use.
GTypeModule* newHarnessModule(const std::string& libraryPath);

// The types the module listed at its last load.
std::vector<GType> harnessModuleTypes(GTypeModule* module);

} // namespace quillet::test
