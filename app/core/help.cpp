#include "app/core/help.h"

#include "shared/request_url.h"
#include "shared/xdg_paths.h"

namespace quillet::app {

std::string helpPageURL(const std::string& helpDir, const std::string& page) {
    return "file://" + percentEncodePath(paths::appendingPathComponent(helpDir, page));
}

bool showHelpPage(Workspace& workspace, const std::string& helpDir, const std::string& page) {
    return workspace.openURL(helpPageURL(helpDir, page));
}

} // namespace quillet::app
