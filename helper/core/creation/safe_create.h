// Creating an item without ever replacing one. The copy is made under a hidden
// temporary name in the target folder and only then moved to its final name,
// with a move that refuses to replace anything. Two helpers, or another
// program, creating the same name at the same moment never overwrite each
// other, and a crash mid-copy never leaves a partial item under a final name.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

namespace quillet::helper {

// Hidden names of copies in progress; only names with this prefix are ever
// cleaned up after a crash.
inline constexpr const char* kTempPrefix = ".quillet-tmp-";

// Remembers the temporary items this process is making, one small file per
// item in a private folder, so that the next start can remove what a crash
// left behind (and nothing else).
class CreationJournal {
public:
    explicit CreationJournal(std::string dir);

    const std::string& dir() const { return dir_; }

    // Records the temporary path before it is created. Returns the entry to
    // pass to end(), or "" when the journal cannot be written (creation goes
    // on: the worst outcome is a hidden leftover).
    std::string begin(const std::string& tempPath);
    void end(const std::string& entry);

    // Removes the temporary items of entries whose process has ended. Returns
    // how many items were removed.
    std::size_t cleanLeftovers();

private:
    std::string dir_;
    std::atomic<std::uint64_t> counter_{0};
};

enum class NameRule {
    Unique, // the wanted name, else <base>-1.<ext>, <base>-2.<ext>, ... the first free one
    Exact,  // the wanted name or nothing: fails with "File exists" when it is taken
};

struct CreateResult {
    std::string path;       // the created item, when error is empty
    std::error_code error;  // why nothing was created
    std::string failedPath; // the path the failing step was about

    bool ok() const { return !error; }
    // "<reason> (<path>)", e.g. "Permission denied (/home/me/ro)".
    std::string description() const;
};

// Copies the item at `source` (file, folder or symbolic link) to
// `destination`, which does not exist yet. An empty error means success.
using CopyStep =
    std::function<std::error_code(const std::string& source, const std::string& destination)>;

// The suite's copy of a template item: folders with everything in them,
// symbolic links as links, permission bits kept. Refuses to copy a folder
// into itself, which would never end.
std::error_code copyTemplateItem(const std::string& source, const std::string& destination);

// A hidden item under a fresh temporary name in a folder, for the caller to
// make at path(). The journal remembers it while it exists, so that a crash
// before it reaches its final name leaves nothing the next start does not
// remove. What is still at path() is removed when this goes out of scope,
// unless it was moved away or kept.
class TemporaryItem {
public:
    TemporaryItem(const std::string& folder, CreationJournal* journal);
    ~TemporaryItem();
    TemporaryItem(const TemporaryItem&) = delete;
    TemporaryItem& operator=(const TemporaryItem&) = delete;

    const std::string& path() const { return path_; }

    // Moves the finished item to `target` unless something is there, which
    // fails with "File exists" and leaves the item where it is.
    CreateResult moveWithoutReplacing(const std::string& target);

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

// Copies the file, folder (with everything in it) or symbolic link at
// `source` to `wantedPath` under the name rule. Permissions of the copied
// items are those of the originals. Never replaces an existing item; on
// failure nothing is left behind. `journal` may be null.
CreateResult copyItemWithoutReplacing(const std::string& source, const std::string& wantedPath,
                                      NameRule rule, CreationJournal* journal);

// The same with another copy step (whose failures carry no path).
CreateResult copyItemWithoutReplacing(const std::string& source, const std::string& wantedPath,
                                      NameRule rule, CreationJournal* journal,
                                      const CopyStep& copy);

// Candidate n of the unique-name rule for the wanted path; n = 0 is the wanted
// path itself, then "<base>-<n>.<ext>" (or "<base>-<n>" without extension).
std::string uniqueNameCandidate(const std::string& wantedPath, std::uint64_t n);

} // namespace quillet::helper
