// Remembers the temporary items this process is making, one small file per
// item in a private folder, so that the next start can remove what a crash
// left behind (and nothing else).
#pragma once

#include "shared/error.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillet {

// Hidden names of copies in progress; only names with this prefix are ever
// cleaned up after a crash.
inline constexpr const char* kTempPrefix = ".quillet-tmp-";

class CreationJournal {
public:
    explicit CreationJournal(std::string dir);

    const std::string& dir() const { return dir_; }

    // Records the temporary path before it is created. Returns the entry to
    // pass to end().
    Expected<std::string> begin(const std::string& tempPath);
    void end(const std::string& entry);

    // Removes the temporary items of entries whose process has ended. Returns
    // how many items were removed.
    std::size_t cleanLeftovers();

private:
    std::string dir_;
    std::atomic<std::uint64_t> counter_{0};
};

} // namespace quillet
