// Names in the new-file panel: the default name it proposes and the item a
// typed name stands for.
#pragma once

#include "shared/error.h"
#include "shared/records.h"

#include <string>

namespace quillet::helper {

struct DefaultName {
    std::string path;      // a path in the folder at which nothing exists
    std::string fieldText; // what the name field shows: the name without its hidden extension
};

// The template's default name (prefix, then "." and suffix), made unique in
// `folder`. The extension is left out of the field only when there is one to
// hide: without a suffix the field holds the whole name, dots and all.
DefaultName defaultNameIn(const std::string& folder, const FileTemplate& fileTemplate);

// The name the item gets for a typed name: ".<suffix>" is added unless the
// name already ends with it (in any letter case). An empty suffix adds nothing.
std::string nameWithExtension(const std::string& typedName, const std::string& suffix);

// What confirming the panel with a typed text means, in the folder it shows.
struct TypedTarget {
    enum class Kind {
        // The text names an existing folder: go there instead of creating.
        Navigate,
        // Create (or, when `exists`, replace after asking) the item at `path`.
        Create,
    };

    Kind kind = Kind::Create;
    std::string path;
    bool exists = false;
};

// The text may be a plain name or a path (relative to `currentDir`, or
// absolute), as in the toolkit's own file dialog. Fails when nothing can be
// created under the text; then the error's detail says why as an English
// "%@" pattern, for the caller to translate and fill in with the error's path.
[[nodiscard]] Expected<TypedTarget>
resolveTypedName(const std::string& currentDir, const std::string& text, const std::string& suffix);

} // namespace quillet::helper
