#include "app/core/help.h"

#include "shared/request_url.h"
#include "shared/xdg_paths.h"

namespace quillet::app {

std::string helpPageURL(const std::string& helpDir, const std::string& page) {
    return "file://" + percentEncodePath(paths::appendingPathComponent(helpDir, page));
}

Status showHelpPage(Workspace& workspace, const std::string& helpDir, const std::string& page) {
    const std::string url = helpPageURL(helpDir, page);
    if (!workspace.openURL(url)) {
        return Error::withDetail("open the help page", url, "no program opened it",
                                 std::errc::no_such_process);
    }
    return {};
}

} // namespace quillet::app
