// Creating an item without ever replacing one. The copy is made under a hidden
// temporary name in the target folder and only then moved to its final name,
// with a move that refuses to replace anything. Two helpers, or another
// program, creating the same name at the same moment never overwrite each
// other, and a crash mid-copy never leaves a partial item under a final name.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
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

// Copies the file, folder (with everything in it) or symbolic link at
// `source` to `wantedPath` under the name rule. Permissions of the copied
// items are those of the originals. Never replaces an existing item; on
// failure nothing is left behind. `journal` may be null.
CreateResult copyItemWithoutReplacing(const std::string& source, const std::string& wantedPath,
                                      NameRule rule, CreationJournal* journal);

// Candidate n of the unique-name rule for the wanted path; n = 0 is the wanted
// path itself, then "<base>-<n>.<ext>" (or "<base>-<n>" without extension).
std::string uniqueNameCandidate(const std::string& wantedPath, std::uint64_t n);

} // namespace quillet::helper
