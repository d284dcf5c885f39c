// Creating an item as a copy without ever losing one. The copy is made under
// a hidden temporary name in the target's own folder (so the final move is a
// rename on one file system) and only a finished copy is moved to its final
// name. Two programs creating the same name at the same moment never
// overwrite each other, a crash mid-copy never leaves a partial item under a
// final name, and whatever fails, an item that was at the name is still
// there afterwards.
#pragma once

#include "creation_journal.h"
#include "item_copy.h"
#include "shared/error.h"

#include <functional>
#include <string>

namespace quillet {

// What happens when the target's name is taken.
enum class WhenTaken {
    UseFreeName, // the first free name of the unique-name rule (unique_name.h)
    Fail,        // nothing: fails with "File exists", also when taken meanwhile
    Replace,     // the copy takes the name; the old item goes only once it is in place
};

// Copies the item at `source` to `destination`, which does not exist yet.
using CopyStep = std::function<Status(const std::string& source, const std::string& destination)>;

// The action of the Error when the item already at the name could not be
// taken away (WhenTaken::Replace); it is then still at its name.
inline constexpr const char* kRemoveExistingAction = "remove the existing item";

// Copies `source` (file, folder with everything in it, symbolic link) to
// `target` as the rule says, and returns the path of the new item. `target`
// must name an item in a folder. `journal` (may be null) remembers the copy
// while it is in progress; `copy` makes the copy at the temporary name.
Expected<std::string> copyItem(const std::string& source, const std::string& target,
                               WhenTaken whenTaken, CreationJournal* journal = nullptr,
                               const CopyStep& copy = copyNewItem);

} // namespace quillet
