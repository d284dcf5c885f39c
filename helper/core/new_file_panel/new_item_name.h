// Names in the new-file panel: the default name it proposes and the item a
// typed name stands for.
#pragma once

#include "shared/error.h"
#include "shared/ports/file_types.h"
#include "shared/records.h"

#include <cstddef>
#include <string>

namespace quillet::helper {

struct DefaultName {
    std::string path;      // a path in the folder at which nothing exists
    std::string fieldText; // what the name field shows: the whole name
    // The bytes of fieldText selected for typing over, as the file managers'
    // own rename does: the name without the template's extension.
    std::size_t baseLength = 0;
};

// The template's default name (prefix with its variables filled in for
// `folder`, then "." and suffix), made unique in `folder`. Only a template's
// extension is left out of the selection: without a suffix the whole name is
// selected, dots and all.
DefaultName defaultNameIn(const std::string& folder, const FileTemplate& fileTemplate);

// The name the item gets for a typed name: as typed when it ends with the
// template's extension (in any letter case) or with an extension of its own
// that the desktop knows (`types`; "notes.md" for a text template), else with
// ".<suffix>" added. An empty suffix adds nothing; without `types` only the
// template's extension counts.
std::string nameWithExtension(const std::string& typedName, const std::string& suffix,
                              const FileTypes* types = nullptr);

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
// The extension rule is nameWithExtension's.
[[nodiscard]] Expected<TypedTarget> resolveTypedName(const std::string& currentDir,
                                                     const std::string& text,
                                                     const std::string& suffix,
                                                     const FileTypes* types = nullptr);

} // namespace quillet::helper
