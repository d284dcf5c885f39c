#include "safe_create.h"

#include "item_lookup.h"
#include "shared/xdg_paths.h"
#include "temporary_item.h"
#include "unique_name.h"

#include <cerrno>
#include <cstdio> // renameat2
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCreateAction = "create the item";

// The error a file system gives for a rename flag it does not implement.
bool isUnsupported(int err) {
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}

Error removalFailed(const std::string& path, std::error_code reason) {
    return {kRemoveExistingAction, path, reason};
}

int exchange(const std::string& a, const std::string& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
}

struct SplitPath {
    std::string folder;
    std::string path; // folder joined with the name, trailing slashes gone
};

Expected<SplitPath> splitTarget(const std::string& wanted) {
    const std::string target = paths::withoutTrailingSlashes(wanted);
    const auto slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? std::string() : target.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        return Error(kCreateAction, wanted, std::make_error_code(std::errc::invalid_argument));
    }
    return SplitPath{slash == 0 ? std::string("/") : target.substr(0, slash), target};
}

// The finished copy goes to the wanted name, or under the unique-name rule
// to the first free one.
Expected<std::string> placeWithoutReplacing(TemporaryItem& staged, const std::string& wanted,
                                            WhenTaken whenTaken) {
    for (std::uint64_t n = 0;; ++n) {
        const std::string candidate = uniqueNameCandidate(wanted, n);
        // A cheap look first: most taken names are seen here without a move.
        if (!isNameTaken(candidate).valueOr(false)) {
            Status moved = staged.moveWithoutReplacing(candidate);
            if (moved) {
                return candidate;
            }
            if (moved.error().code() != std::errc::file_exists) {
                return moved.error();
            }
        }
        if (whenTaken == WhenTaken::Fail) {
            return Error(kCreateAction, candidate, std::make_error_code(std::errc::file_exists));
        }
    }
}

// For file systems that cannot exchange two names: move the old item aside,
// then the new one into place, and move the old one back if that fails.
Status replaceByMovingAside(TemporaryItem& staged, const std::string& folder,
                            const std::string& target) {
    // Out of the journal: until the new item is in place, what goes aside is
    // the user's data, which no later start may remove.
    TemporaryItem aside(folder, nullptr);
    if (::rename(target.c_str(), aside.path().c_str()) != 0) {
        return Error::fromErrno(kRemoveExistingAction, target);
    }
    aside.keep();
    if (Status moved = staged.moveWithoutReplacing(target); !moved) {
        // The old item goes back; should that fail too, it stays under its
        // hidden name, never deleted.
        ::rename(aside.path().c_str(), target.c_str());
        return moved.error().during(kCreateAction);
    }
    // The replacement asked for is done: the new item has the name. Should
    // part of the old one resist deletion, it stays hidden beside it rather
    // than the new item going without its finishing steps.
    std::error_code ec;
    fs::remove_all(aside.path(), ec);
    return {};
}

Status replaceWith(TemporaryItem& staged, const SplitPath& target) {
    const std::string& path = target.path;
    if (!isFolderItself(staged.path()) && !isFolderItself(path)) {
        // Neither is a folder: rename replaces the old name in one step.
        if (::rename(staged.path().c_str(), path.c_str()) != 0) {
            return Error::fromErrno(kRemoveExistingAction, path);
        }
        return {};
    }
    // A folder is involved, which rename cannot put over a non-empty folder
    // (nor a file over a folder): swap the two names instead.
    if (exchange(staged.path(), path) != 0) {
        const int err = errno;
        if (isUnsupported(err)) {
            return replaceByMovingAside(staged, target.folder, path);
        }
        return removalFailed(path, {err, std::generic_category()});
    }
    // The old item now sits at the temporary name; should the program end
    // here, the next start removes it, as asked.
    std::error_code ec;
    fs::remove_all(staged.path(), ec);
    if (ec) {
        // Part of it could not be deleted: put back what is left rather than
        // leave it hidden, and report that it could not be removed.
        if (exchange(staged.path(), path) != 0) {
            staged.keep();
        }
        return removalFailed(path, ec);
    }
    return {};
}

} // namespace

Expected<std::string> copyItem(const std::string& source, const std::string& target,
                               WhenTaken whenTaken, CreationJournal* journal,
                               const CopyStep& copy) {
    const Expected<SplitPath> split = splitTarget(target);
    if (!split) {
        return split.error();
    }
    if (whenTaken == WhenTaken::Replace && ::access(split->folder.c_str(), W_OK | X_OK) != 0) {
        // The folder cannot be changed, so the old item cannot go either.
        return Error::fromErrno(kRemoveExistingAction, split->folder);
    }
    TemporaryItem staged(split->folder, journal);
    if (Status copied = copy(source, staged.path()); !copied) {
        return copied.error();
    }
    if (whenTaken != WhenTaken::Replace) {
        return placeWithoutReplacing(staged, split->path, whenTaken);
    }
    Expected<std::string> placed = placeWithoutReplacing(staged, split->path, WhenTaken::Fail);
    if (placed || placed.error().code() != std::errc::file_exists) {
        return placed;
    }
    if (Status replaced = replaceWith(staged, *split); !replaced) {
        return replaced.error();
    }
    return split->path;
}

} // namespace quillet
