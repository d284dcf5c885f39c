// The desktop's templates folder (XDG_TEMPLATES_DIR), where users keep the
// templates of their file managers: its items as template records that
// point at them where they are, never copied.
#pragma once

#include "shared/error.h"
#include "shared/value.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::app {

// What a link file ("Type=Link" desktop entry, as KDE keeps its templates)
// names: the item it stands for and the name it gives it.
struct TemplateLink {
    std::string target; // absolute path
    std::string name;   // may be empty
    std::string icon;   // a theme icon name or a path; may be empty
};

// Reads the link file's text; `folder` is where the file lies, against which
// a relative URL is resolved. Fails for an entry that is not a link to a
// local item.
[[nodiscard]] Expected<TemplateLink> readTemplateLink(std::string_view text,
                                                      const std::string& folder);

// One record per item of `folder`, in name order: files and folders (hidden
// ones and "~" backups left out) under their own names, link files under the
// target they name. Items whose path `isListed` already are left out, as are
// links whose target is missing. Empty when the folder is empty or missing.
std::vector<Value> templatesFolderRecords(const std::string& folder,
                                          const std::function<bool(const std::string&)>& isListed);

} // namespace quillet::app
