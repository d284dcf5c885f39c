// A hidden item under a fresh temporary name in a folder, for the caller to
// make at path(), and to move to its final name once it is complete.
#pragma once

#include "creation_journal.h"
#include "shared/error.h"

#include <string>

namespace quillet {

// The journal (may be null) remembers the item while it exists, so that a
// crash before it reaches its final name leaves nothing the next start does
// not remove. What is still at path() is removed when this goes out of
// scope, unless it was moved away or kept.
class TemporaryItem {
public:
    TemporaryItem(const std::string& folder, CreationJournal* journal);
    ~TemporaryItem();
    TemporaryItem(const TemporaryItem&) = delete;
    TemporaryItem& operator=(const TemporaryItem&) = delete;

    const std::string& path() const { return path_; }

    // Moves the finished item to `target` unless something is there, which
    // fails with "File exists" and leaves the item where it is.
    Status moveWithoutReplacing(const std::string& target);

    // What is at path() stays, now and at the next start: it may be the
    // user's data that could not be put back, and a hidden leftover is
    // better than a deletion.
    void keep();

private:
    std::string path_;
    CreationJournal* journal_;
    std::string entry_;
    bool kept_ = false;
};

// Removes a temporary item, a folder with everything in it even where it
// was made read-only. Failures are left as they are: a hidden leftover.
void removeTemporaryItem(const std::string& path);

} // namespace quillet
