// Putting a copy of a template at a name the user confirmed, without ever
// losing what was there before.
//
// The copy is made first, as a temporary item of the helper's creation
// journal inside the target's own folder (so the final move is a rename on
// one file system, and a crash leaves nothing the next start does not
// remove), and only a finished copy is swapped into place. Whatever fails,
// the item that was at the name is still there afterwards.
#pragma once

#include "helper/core/creation/safe_create.h"

#include <string>
#include <system_error>

namespace quillet::helper {

struct PlaceResult {
    enum class Failure {
        None,
        // The old item could not be taken away; it is still at its name.
        RemovingExisting,
        // No new item could be made (copy failed, or the name got taken).
        Creating,
    };

    Failure failure = Failure::None;
    std::error_code error;

    bool ok() const { return failure == Failure::None; }
};

// Creates the copy at `target` only while nothing is there: if another
// program takes the name meanwhile, the result is a failure (EEXIST), never
// an overwrite. `journal` may be null.
[[nodiscard]] PlaceResult createItemWithoutReplacing(const std::string& source,
                                                     const std::string& target,
                                                     CreationJournal* journal,
                                                     const CopyStep& copy = copyTemplateItem);

// Replaces whatever is at `target` (file, folder or link) by a copy of
// `source`. When nothing is there any more, behaves as
// createItemWithoutReplacing. `journal` may be null.
[[nodiscard]] PlaceResult replaceItem(const std::string& source, const std::string& target,
                                      CreationJournal* journal,
                                      const CopyStep& copy = copyTemplateItem);

} // namespace quillet::helper
