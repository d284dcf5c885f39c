#include "app/core/extension_status.h"

#include "shared/identifiers.h"

namespace quillet::app {

std::vector<std::string> extensionFamilyIds() {
    const std::string base = ids::kExtension;
    return {base, base + ".Nemo", base + ".Caja", base + ".Thunar"};
}

bool isExtensionRunning(const Workspace& workspace) {
    for (const auto& id : extensionFamilyIds()) {
        if (workspace.isProgramRunning(id)) {
            return true;
        }
    }
    return false;
}

} // namespace quillet::app
