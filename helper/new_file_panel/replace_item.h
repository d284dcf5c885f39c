// Putting a copy of a template at a name the user confirmed, without ever
// losing what was there before.
//
// The copy is made first, under a private staging folder inside the target's
// own folder (so the final move is a rename on one file system), and only a
// finished copy is swapped into place. Whatever fails, the item that was at
// the name is still there afterwards.
#pragma once

#include <functional>
#include <string>
#include <system_error>

namespace quillet::helper {

// Copies the item at `source` (file, folder or symbolic link) to
// `destination`, which does not exist yet. An empty error means success.
using CopyStep =
    std::function<std::error_code(const std::string& source, const std::string& destination)>;

// The suite's copy of a template item: folders deep, symbolic links as links,
// permission bits kept. Refuses to copy a folder into itself.
std::error_code copyTemplateItem(const std::string& source, const std::string& destination);

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
// an overwrite.
[[nodiscard]] PlaceResult createItemWithoutReplacing(const std::string& source,
                                                     const std::string& target,
                                                     const CopyStep& copy = copyTemplateItem);

// Replaces whatever is at `target` (file, folder or link) by a copy of
// `source`. When nothing is there any more, behaves as
// createItemWithoutReplacing.
[[nodiscard]] PlaceResult replaceItem(const std::string& source, const std::string& target,
                                      const CopyStep& copy = copyTemplateItem);

} // namespace quillet::helper
