#include "app/core/help.h"

#include "app/core/preferences/message_catalog.h"
#include "shared/request_url.h"
#include "shared/xdg_paths.h"

namespace quillet::app {

std::string helpPageURL(const std::string& helpDir, const std::string& page,
                        const std::vector<std::string>& languages) {
    const std::string path = locateLocalized(helpDir, page, languages)
                                 .value_or(paths::appendingPathComponent(helpDir, page));
    return "file://" + percentEncodePath(path);
}

Status showHelpPage(Workspace& workspace, const std::string& helpDir,
                    const std::vector<std::string>& languages, const std::string& page) {
    Status opened = workspace.openURL(helpPageURL(helpDir, page, languages));
    if (!opened) {
        return opened.error().during("open the help page");
    }
    return {};
}

} // namespace quillet::app
