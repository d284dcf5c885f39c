// The help pages shipped with the program, opened in the default browser.
#pragma once

#include "shared/error.h"
#include "shared/ports/workspace.h"

#include <string>
#include <vector>

namespace quillet::app {

inline constexpr const char* kHelpStartPage = "index.html";
inline constexpr const char* kHelpTemplatesPage = "configure-file-templates.html";
inline constexpr const char* kHelpLocationsPage = "finder-context-menu.html";

// file:// URL of a page in the help folder: the translated copy in
// <helpDir>/<language>/ for the first of the user's languages that has one
// (each with its variants, "de_DE.UTF-8" down to "de"), else the English page.
std::string helpPageURL(const std::string& helpDir, const std::string& page,
                        const std::vector<std::string>& languages = {});

// Fails when the browser could not be started.
[[nodiscard]] Status showHelpPage(Workspace& workspace, const std::string& helpDir,
                                  const std::vector<std::string>& languages,
                                  const std::string& page = kHelpStartPage);

} // namespace quillet::app
